#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, only those
# missing, and the zh_CN.UTF-8 locale (code page 936 under Wine).
set -euo pipefail

packages=(cmake make g++ clang libclang-rt-14-dev libgtest-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb xdotool
          imagemagick librsvg2-bin fonts-wqy-microhei fonts-wine nsis locales python3 openssl)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# wine32 makes /usr/bin/wine pick the 32-bit loader, which cannot run here.
if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q "install ok installed"; then
    echo "warning: wine32 is installed; 64-bit programs may fail to start" >&2
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
    $sudo_cmd locale-gen >/dev/null
fi
