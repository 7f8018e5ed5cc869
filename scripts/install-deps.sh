#!/usr/bin/env bash
# Installs the Debian packages Tarnvik needs, when they are missing.
#   install-deps.sh run    what building and running the application needs
#   install-deps.sh test   that, plus what the test suite needs
set -euo pipefail

build=(g++ cmake ninja-build pkg-config qt6-base-dev libblkid-dev libmount-dev fonts-liberation2)
run=(util-linux mount xvfb xauth)
# clang (and the sanitizer runtimes it only recommends) builds the sanitizer
# run; btrfs-progs and the udev, bus, polkit and udisks daemons serve the
# disk-tool tests on real devices and the ordinary user's path.
test=(googletest libgtest-dev e2fsprogs dosfstools btrfs-progs udev dbus-daemon polkitd udisks2 xdotool x11-utils
  clang-format clang libclang-rt-14-dev)

case "${1:-run}" in
  run) wanted=("${build[@]}" "${run[@]}") ;;
  test) wanted=("${build[@]}" "${run[@]}" "${test[@]}") ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing Debian packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
