#!/usr/bin/env bash
# Configures and builds the three builds: native (rules and their tests),
# win64 (the program and everything that runs under Wine) and win32 (the
# release program and its skin library, compiled and linked, never run here);
# on request also native-san (the native tests under AddressSanitizer and
# UndefinedBehaviorSanitizer).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(native win64 win32)
for b in "${builds[@]}"; do
    case "$b" in
        native) tc=() ;;
        native-san) tc=(-DNX_SANITIZE=ON) ;;  # the native tests under ASan and UBSan
        win64) tc=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-x86_64.cmake") ;;
        win32) tc=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" -DNX_BUILD_TESTS=OFF) ;;
        *) echo "unknown build $b" >&2; exit 2 ;;
    esac
    cmake -S . -B "build/$b" -DCMAKE_BUILD_TYPE=Release "${tc[@]}" >/dev/null
    cmake --build "build/$b" -j"$jobs" >/dev/null
    echo "built $b"
done
