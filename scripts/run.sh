#!/usr/bin/env bash
# Builds Tarnvik and starts it. Without a display it runs under Xvfb.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" run
# The test suite needs GoogleTest, which running does not install.
"$top/scripts/build.sh" "$top/build" -DTARNVIK_TESTS=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting Tarnvik under Xvfb (see README: 'Without a display')."
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$top/build/bin/tarnvik"
fi
exec "$top/build/bin/tarnvik"
