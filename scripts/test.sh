#!/usr/bin/env bash
# Builds Tarnvik with its tests and runs the whole suite with CTest.
#   test.sh              in build/
#   test.sh --sanitize   in build-sanitize/, with AddressSanitizer, LeakSanitizer and
#                        UndefinedBehaviorSanitizer, compiled with clang (build/ has the default g++)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$top/build
options=(-DTARNVIK_TESTS=ON)
if [ "${1:-}" = "--sanitize" ]; then
  dir=$top/build-sanitize
  options+=(-DTARNVIK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++)
  # A folder configured with another compiler starts afresh: CMake would
  # switch compilers but drop the other options.
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang++$' "$dir/CMakeCache.txt"; then
    rm -rf "$dir"
  fi
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS=suppressions=$top/tests/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
"$top/scripts/install-deps.sh" test
"$top/scripts/build.sh" "$dir" "${options[@]}"
export LC_ALL=C.UTF-8
ctest --test-dir "$dir" --parallel "$(nproc)" --output-on-failure --timeout 300
