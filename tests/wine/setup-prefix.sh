#!/bin/sh
# Makes the tests' private Wine prefix and installs the stand-in system tools into its system
# folder. Usage: setup-prefix.sh PREFIX STANDIN_EXE [SYSTEM_FOLDER]
# The prefix is always a 64-bit one. A 32-bit build passes syswow64 as SYSTEM_FOLDER: its programs
# run there under WoW64, which sends their every use of system32 to syswow64, so their stand-in
# (a 32-bit build of it) belongs there.
set -eu
prefix=$1
standin=$2
system_folder=${3:-system32}
export WINEPREFIX="$prefix" WINEDEBUG=-all
if [ ! -f "$prefix/system.reg" ]; then
    # No Mono or Gecko: nothing here needs them, and installing them would ask.
    WINEARCH=win64 WINEDLLOVERRIDES="mscoree=;mshtml=" wineboot -i >/dev/null 2>&1
    wineserver -w
fi
system="$prefix/drive_c/windows/$system_folder"
fonts="$prefix/drive_c/windows/Fonts"
# Wine's own fonts, so "MS Sans Serif" and "Tahoma" resolve as on Windows.
if [ -d /usr/share/wine/fonts ]; then
    mkdir -p "$fonts"
    cp -f /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$fonts"/ 2>/dev/null || true
fi
for tool in chkdsk chkntfs shutdown wpeutil; do
    cp -f "$standin" "$system/$tool.exe"
done
# A second, non-system drive for runs that must not name the system drive: T: is a folder of
# the prefix.
mkdir -p "$prefix/drive_t"
ln -sfn ../drive_t "$prefix/dosdevices/t:"
# shutdown.exe is also a Wine builtin: make the native stand-in win.
wine reg add 'HKCU\Software\Wine\DllOverrides' /v shutdown.exe /d native /f >/dev/null 2>&1
# The tests run on a virtual display without a window manager. Wine then draws the windows'
# frames and captions itself (so screenshots show them), and does not wait for a window manager
# to confirm each window it hides (two seconds per window otherwise).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A crashing test program ends at once instead of waiting in Wine's debugger; 32-bit programs
# read the 32-bit view of the key.
for view in 64 32; do
    wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
        "/reg:$view" >/dev/null 2>&1 || true
done
wineserver -w
echo "Wine prefix ready: $prefix"
