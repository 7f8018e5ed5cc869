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
  [runtime]="base"
  [platform]="base"
  [tools]="runtime base"
  [kit]="runtime base resources"
  [scan]="runtime base"
  [devices]="kit scan runtime base resources"
  [about]="kit runtime base resources"
  [app]="devices about kit runtime base resources"
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
