#!/usr/bin/env bash
# Builds everything and runs every test: the native rules (ctest), the
# desktop operations under Wine, and the end-to-end scenarios on the real
# program under Wine. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh native win64 win32

echo "== native tests"
(cd build/native && ctest --output-on-failure)

echo "== Wine tests"
python3 tests/e2e/run_tests.py "$@"
