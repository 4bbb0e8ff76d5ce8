#!/usr/bin/env bash
# Builds everything and runs every test: the native rules (ctest), the
# desktop operations under Wine, and the end-to-end scenarios on the real
# program under Wine. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh

# The Wine prefix the tests start from is made (once) while the build runs.
mkdir -p build
python3 tests/e2e/harness.py prefix-template >build/prefix-template.log 2>&1 &
template=$!
trap 'kill "$template" 2>/dev/null || true' EXIT

scripts/build.sh native win64 win32

echo "== native tests"
(cd build/native && ctest --output-on-failure)

echo "== Wine tests"
wait "$template" || true  # the tests make it themselves if this failed
python3 tests/e2e/run_tests.py "$@"
