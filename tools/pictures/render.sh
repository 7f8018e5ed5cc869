#!/bin/sh
# Rebuilds the picture generator in a temporary directory and rewrites
# resources/pictures/*.png. Needs g++, qt6-base-dev and fonts-dejavu-core.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-"$here/../../resources/pictures"}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
g++ -std=c++17 -O2 -fPIC -o "$tmp/drawpictures" "$here/drawpictures.cpp" \
    $(pkg-config --cflags --libs Qt6Gui)
mkdir -p "$out"
"$tmp/drawpictures" "$out"
