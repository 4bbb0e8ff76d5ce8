#!/usr/bin/env bash
# Builds Nexlune and runs it. With a display it starts Nexlune under Wine on
# it; without one it shows the main job on a private display: a GBK file
# dropped on the list, the hotkey pressed, the text arriving in an editor.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh win64 win32
if [ -n "${DISPLAY:-}" ]; then
    export WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=zh_CN.UTF-8
    exec wine build/win64/nexlune.exe
fi
exec python3 tests/e2e/demo.py
