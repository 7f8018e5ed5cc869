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
exit $status
