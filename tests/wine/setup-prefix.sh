#!/bin/sh
# Makes the tests' private Wine prefix, always a 64-bit one, with the stand-in system tools in its
# system folder. Usage: setup-prefix.sh PREFIX STANDIN_EXE [SYSTEM_FOLDER]; a 32-bit build passes
# syswow64, where WoW64 sends its programs' uses of system32, and a 32-bit stand-in.
set -eu
prefix=$1
system="$prefix/drive_c/windows/${3:-system32}"
export WINEPREFIX="$prefix" WINEDEBUG=-all
if [ ! -f "$prefix/system.reg" ]; then
    # No Mono or Gecko: nothing here needs them, and installing them would ask.
    WINEARCH=win64 WINEDLLOVERRIDES="mscoree=;mshtml=" wineboot -i >/dev/null 2>&1
    wineserver -w
fi
for tool in chkdsk chkntfs shutdown wpeutil; do cp -f "$2" "$system/$tool.exe"; done
# Wine's own fonts, so "MS Sans Serif" and "Tahoma" resolve as on Windows.
mkdir -p "$prefix/drive_c/windows/Fonts"
cp -f /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$prefix/drive_c/windows/Fonts/" \
    2>/dev/null || true
# A second, non-system drive, for runs that must not name the system drive.
mkdir -p "$prefix/drive_t"
ln -sfn ../drive_t "$prefix/dosdevices/t:"
reg() { wine reg "$@" /f >/dev/null 2>&1; }
# shutdown.exe is a Wine builtin too: the native stand-in must win.
reg add 'HKCU\Software\Wine\DllOverrides' /v shutdown.exe /d native
# Without a window manager on the virtual display, Wine draws the frames itself and does not
# wait for a manager to confirm each window it hides (two seconds a window otherwise).
for value in Decorated Managed; do reg add 'HKCU\Software\Wine\X11 Driver' /v $value /d N; done
# A crashing test program ends at once instead of waiting in Wine's debugger, in both views.
for view in 64 32; do
    reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger "/reg:$view" || true
done
wineserver -w
echo "Wine prefix ready: $prefix"
