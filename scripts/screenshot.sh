#!/usr/bin/env bash
# Inside a display: starts tolvane.exe under Wine, waits for its window, saves a screenshot of
# the screen and closes the program. Usage: screenshot.sh BUILD_DIR OUTPUT.png
set -euo pipefail
build=$1
shot=$2

"$build/wine-run.sh" "$build/src/app/tolvane.exe" &
program=$!
for _ in $(seq 1 100); do
    if xwininfo -root -tree 2>/dev/null | grep -q '"Tolvane'; then
        break
    fi
    sleep 0.2
done
sleep 1
import -window root "$shot"
WINEPREFIX="$PWD/$build/wineprefix" wineserver -k 2>/dev/null || true
wait "$program" 2>/dev/null || true
