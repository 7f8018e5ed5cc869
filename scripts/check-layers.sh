#!/usr/bin/env bash
# Checks that includes follow the layers: each folder includes only itself
# and the folders listed for it below, the folders' include graph has no
# cycle, and Qt appears only inside runtime/ (its .cpp files and
# runtime/internal) and in the offline picture generator. Prints every breach
# and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# folder: the folders it may include (resources holds generated data headers).
declare -A allowed=(
  [base]=""
  [core]="base"
  [runtime]="core base"
  [platform]="base"
  [tools]="core base"
  [kit]="runtime core base resources"
  [scan]="core base"
  [devices]="kit scan runtime core base resources"
  [about]="kit runtime core base resources"
  [app]="devices about kit runtime core base resources"
)
# Why a folder's list is as short as it is, said with each refusal.
declare -A why=(
  [base]="the lowest layer, below everything else"
  [core]="the core below the windowing runtime, with no toolkit"
  [platform]="the disk-tool stand-ins are programs of their own, apart from the application"
  [tools]="the layout compiler runs at build time, with no toolkit"
  [scan]="the scan core is built and tested with no toolkit and no windows"
)

status=0
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT

for folder in "${!allowed[@]}"; do
  [ -d "$folder" ] || continue
  while IFS=: read -r file _ line; do
    target=$(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/p' <<<"$line")
    [ -n "$target" ] || continue
    [ "$target" = "$folder" ] && continue
    echo "$folder $target" >>"$edges"
    if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
      echo "$file: $folder/ may not include $target/: $line"
      only=$(sed -E 's@([^ ]+)@\1/@g' <<<"${allowed[$folder]}")
      echo "  $folder/ may include only ${only:-itself}${why[$folder]:+: ${why[$folder]}}"
      status=1
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$folder" --include='*.h' --include='*.cpp' || true)

  while IFS= read -r hit; do
    file=${hit%%:*}
    case "$file" in
      runtime/internal/*.h | runtime/*.cpp | tools/pictures/*) ;;
      *) echo "$hit: Qt belongs inside runtime/ only (its .cpp files and runtime/internal)"; status=1 ;;
    esac
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$folder" --include='*.h' --include='*.cpp' || true)
done

if ! sort -u "$edges" | tsort >/dev/null 2>&1; then
  echo "the folders include each other in a cycle:"
  sort -u "$edges" | tsort 2>&1 >/dev/null | sed 's/^/  /'
  status=1
fi

# Inside runtime/, files include each other in one circle only: a window,
# its controls and the registry of windows. A class is one node (its .h, its
# .cpp and its native side in internal/), that circle is one node too, and
# the rest must then have no cycle.
circle=" Window WindowRegistry Registry Control PushButton BevelButton Canvas Label Listbox TextArea "
node() {
  local stem
  stem=$(basename "$1")
  stem=${stem%.*}
  case $stem in
    NativeWindow) stem=Window ;;
    NativeControl) stem=Control ;;
    NativePicture) stem=Picture ;;
    NativeMenus) stem=MenuItem ;;
  esac
  if [[ "$circle" == *" $stem "* ]]; then echo "window-controls-registry"; else echo "$stem"; fi
}
inner=$(mktemp)
trap 'rm -f "$edges" "$inner"' EXIT
while IFS=: read -r file _ line; do
  target=$(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"runtime\/(.*)".*/\1/p' <<<"$line")
  [ -n "$target" ] || continue
  from=$(node "$file")
  to=$(node "$target")
  [ "$from" = "$to" ] || echo "$from $to" >>"$inner"
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"runtime/' runtime --include='*.h' --include='*.cpp' || true)
if ! sort -u "$inner" | tsort >/dev/null 2>&1; then
  echo "runtime/ includes in a cycle other than that of a window, its controls and the registry:"
  sort -u "$inner" | tsort 2>&1 >/dev/null | sed 's/^/  /'
  status=1
fi
exit $status
