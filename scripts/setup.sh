#!/usr/bin/env bash
# Installs what building and testing Tolvane needs on Debian 12, where it is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ googletest python3
    mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    wine wine64 wine32:i386 fonts-wine
    xvfb xauth x11-utils imagemagick
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "Run this command as root (for example with sudo) so that they can be installed." >&2
    exit 1
fi

# The x86 build's tests run under 32-bit Wine, a package of the i386 architecture.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Enabling the i386 architecture for 32-bit Wine"
    dpkg --add-architecture i386
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
