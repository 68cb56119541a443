# Sourced by the run and test scripts. Some kernels run no 32-bit programs (built without IA-32
# emulation): Wine's 32-bit loader then fails with "Exec format error", and Debian's wine command
# picks it whenever it is installed. Its 64-bit loader serves the 64-bit prefixes all the same,
# so the commands are pointed at it, and TOLVANE_WINE32 says whether 32-bit programs can run.
TOLVANE_WINE32=yes
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    TOLVANE_WINE32=no
    shim="$PWD/build/wine64-only"
    mkdir -p "$shim"
    for name in wine wine-stable; do
        printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
            >"$shim/$name"
        chmod +x "$shim/$name"
    done
    export PATH="$shim:$PATH"
fi
export TOLVANE_WINE32
