#!/usr/bin/env bash
# Inside a display without a window manager (Xvfb): starts tolvane.exe under Wine, waits for its
# window, saves a screenshot of that window, frame included (the build's prefix has Wine draw
# the frames itself), and closes the program. Usage: screenshot.sh BUILD_DIR OUTPUT.png
set -euo pipefail
build=$1
shot=$2
caption='Tolvane   v1.5  -  Chkdsk.exe Wrapper/Enhancer for Windows'

"$build/wine-run.sh" "$build/src/app/tolvane.exe" &
program=$!
window=
for _ in $(seq 1 100); do
    window=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$caption\"" | awk '{print $1}' | head -n 1 || true)
    if [ -n "$window" ]; then
        break
    fi
    sleep 0.2
done
sleep 1
if [ -n "$window" ]; then
    import -window "$window" "$shot"
else
    echo "The window did not appear; saving the whole screen instead." >&2
    import -window root "$shot"
fi
WINEPREFIX="$PWD/$build/wineprefix" wineserver -k 2>/dev/null || true
wait "$program" 2>/dev/null || true
