#!/bin/sh
# Makes the tests' private Wine prefix and installs the stand-in system tools into its system
# folder. Usage: setup-prefix.sh PREFIX STANDIN_EXE
set -eu
prefix=$1
standin=$2
export WINEPREFIX="$prefix" WINEDEBUG=-all
if [ ! -f "$prefix/system.reg" ]; then
    # No Mono or Gecko: nothing here needs them, and installing them would ask.
    WINEDLLOVERRIDES="mscoree=;mshtml=" wineboot -i >/dev/null 2>&1
    wineserver -w
fi
system32="$prefix/drive_c/windows/system32"
fonts="$prefix/drive_c/windows/Fonts"
# Wine's own fonts, so "MS Sans Serif" and "Tahoma" resolve as on Windows.
if [ -d /usr/share/wine/fonts ]; then
    mkdir -p "$fonts"
    cp -f /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$fonts"/ 2>/dev/null || true
fi
for tool in chkdsk chkntfs shutdown wpeutil; do
    cp -f "$standin" "$system32/$tool.exe"
done
# shutdown.exe is also a Wine builtin: make the native stand-in win.
wine reg add 'HKCU\Software\Wine\DllOverrides' /v shutdown.exe /d native /f >/dev/null 2>&1
wineserver -w
echo "Wine prefix ready: $prefix"
