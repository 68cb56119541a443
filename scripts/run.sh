#!/usr/bin/env bash
# Sets up, builds and starts tolvane.exe under Wine, in the build's private prefix whose system
# folder holds harmless stand-ins for chkdsk, chkntfs and shutdown. Without a display it runs the
# program on a virtual one, saves a screenshot of the window and closes the program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
source scripts/wine-env.sh

cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target tolvane tolvane_standin
build=build/windows-x64
sh tests/wine/setup-prefix.sh "$PWD/$build/wineprefix" "$build/tests/tools/tolvane_standin.exe"

if [ -n "${DISPLAY:-}" ]; then
    # A desktop has a window manager: let it frame and move the window, unlike on the tests'
    # virtual display.
    for setting in Decorated Managed; do
        WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all \
            wine reg delete 'HKCU\Software\Wine\X11 Driver' /v "$setting" /f >/dev/null 2>&1 || true
    done
    exec "$build/wine-run.sh" "$build/src/app/tolvane.exe"
fi

shot="$PWD/$build/tolvane-window.png"
xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/screenshot.sh "$build" "$shot"
echo "Screenshot of the window: $shot"
