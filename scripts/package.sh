#!/usr/bin/env bash
# Makes the release of Nexlune in dist/ (emptied first): for each of win32 and
# win64 a zip (the program and its usage text) and a setup program (NSIS, for
# the current user only), and SHA256SUMS of the four. The version is the
# project's in CMakeLists.txt; the names carry its major.minor.
#   scripts/package.sh [--no-build]
#   --no-build  packages build/win32 and build/win64 as they are
set -euo pipefail
cd "$(dirname "$0")/.."
build=1
for arg in "$@"; do
    case "$arg" in
        --no-build) build=0 ;;
        *) echo "usage: scripts/package.sh [--no-build]" >&2; exit 2 ;;
    esac
done
scripts/deps.sh
[ "$build" -eq 0 ] || scripts/build.sh win32 win64

versions=$(python3 packaging/release_files.py version)
read -r version4 version <<<"$versions"
usage_name="使用说明.txt"
stage=build/package
rm -rf dist "$stage"
mkdir -p dist "$stage"
python3 packaging/release_files.py text packaging/usage_zh_CN.txt "$stage/usage.txt"

for arch in win32 win64; do
    program="build/$arch/nexlune.exe"
    [ -f "$program" ] || { echo "missing $program: build it first (scripts/build.sh $arch)" >&2; exit 1; }
    name="Nexlune-$version-$arch"
    python3 packaging/release_files.py zip "dist/$name.zip" "$program=nexlune.exe" "$stage/usage.txt=$usage_name"
    icon=()
    [ ! -f "build/$arch/nexlune.ico" ] || icon=(-DICON="$PWD/build/$arch/nexlune.ico")
    makensis -V2 -INPUTCHARSET UTF8 -DARCH="$arch" -DVERSION="$version" -DVERSION4="$version4" \
        -DPROGRAM="$PWD/$program" -DUSAGE="$PWD/$stage/usage.txt" -DOUTFILE="$PWD/dist/$name-setup.exe" \
        "${icon[@]}" packaging/nexlune.nsi
done

(cd dist && sha256sum -- *.zip *-setup.exe >SHA256SUMS)
echo "release $version in dist/:"
(cd dist && ls -l --time-style=+ -- *)
