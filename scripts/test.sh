#!/usr/bin/env bash
# Sets up, builds both presets and runs every test: the native unit tests, then the Windows
# build's unit, backend, view and end-to-end tests under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset linux
cmake --build --preset linux
ctest --preset linux

cmake --preset windows-x64
cmake --build --preset windows-x64

status=0
if [ -n "${DISPLAY:-}" ]; then
    ctest --preset windows-x64 || status=$?
else
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset windows-x64 || status=$?
fi
WINEPREFIX="$PWD/build/windows-x64/wineprefix" wineserver -k 2>/dev/null || true
exit $status
