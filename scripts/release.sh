#!/usr/bin/env bash
# Builds both Windows presets and gathers what is published into build/release: the x64 and x86
# zips and one checksum file for both, written as each build writes its own. Each build checks
# only its own zip and checksum file, so run scripts/test.sh before publishing.
set -euo pipefail
cd "$(dirname "$0")/.."

out=build/release
rm -rf "$out"
mkdir -p "$out"
files=()
for architecture in x64 x86; do
    build="build/windows-$architecture"
    cmake --preset "windows-$architecture" >/dev/null
    cmake --build --preset "windows-$architecture" --target tolvane_package
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    cp "$build/Tolvane-$version-$architecture.zip" "$out/"
    files+=("$out/Tolvane-$version-$architecture.zip")
done
sums="Tolvane-$version-SHA256SUMS.txt"
cmake "-DOUTPUT=$out/$sums" "-DFILES=$(IFS=';' && echo "${files[*]}")" -P cmake/write_checksums.cmake
(cd "$out" && sha256sum -c "$sums")
