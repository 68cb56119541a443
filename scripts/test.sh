#!/usr/bin/env bash
# Sets up, builds every preset and runs every test: the native unit tests, then for the Windows
# x64 build and the x86 build the unit, backend, view, end-to-end and release tests under Wine on
# a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
source scripts/wine-env.sh

cmake --preset linux
cmake --build --preset linux
ctest --preset linux

status=0
for preset in windows-x64 windows-x86; do
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    if [ "$preset" = windows-x86 ] && [ "$TOLVANE_WINE32" = no ]; then
        echo "This machine's kernel runs no 32-bit programs: the x86 build is built, not tested."
        continue
    fi
    if [ -n "${DISPLAY:-}" ]; then
        ctest --preset "$preset" || status=$?
    else
        xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset "$preset" || status=$?
    fi
    WINEPREFIX="$PWD/build/$preset/wineprefix" wineserver -k 2>/dev/null || true
done
exit $status
