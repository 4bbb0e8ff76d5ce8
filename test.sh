#!/usr/bin/env bash
# Builds everything and runs every test: the native rules (ctest), the
# desktop operations under Wine, and the end-to-end scenarios on the real
# program under Wine. Exits non-zero on any failure.
#
# The Wine tests need only the x86_64 build; the native build with its tests
# and the 32-bit release build run beside them (the Wine tests hold on a
# busy machine), and their output follows the Wine tests' own.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
mkdir -p build

# The Wine prefix the tests start from is made (once) while the build runs.
python3 tests/e2e/harness.py prefix-template >build/prefix-template.log 2>&1 &
template=$!
side=""
trap 'kill $template $side 2>/dev/null || true' EXIT

scripts/build.sh win64

(
    set -e
    scripts/build.sh native win32 native-san
    echo "== native tests"
    (cd build/native && ctest --output-on-failure)
    echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    (cd build/native-san && ctest --output-on-failure)
    echo "== fuzzing the rules, 5 s a target"
    scripts/fuzz.sh 5
) >build/side-tests.log 2>&1 &
side=$!

echo "== Wine tests"
wait "$template" || true  # the tests make it themselves if this failed
wine_status=0
python3 tests/e2e/run_tests.py "$@" || wine_status=$?

side_status=0
wait "$side" || side_status=$?
cat build/side-tests.log

# The release made of both programs: packaged, their files checked, and
# installed, used and removed under Wine.
echo "== release"
release_status=0
scripts/package.sh --no-build || release_status=$?
python3 tests/release/check_pe.py build/win32/nexlune.exe --machine i386 || release_status=$?
python3 tests/release/check_pe.py build/win64/nexlune.exe --machine amd64 || release_status=$?
python3 tests/e2e/run_tests.py --release || release_status=$?

[ "$side_status" -eq 0 ] || echo "native build or tests FAILED"
[ "$wine_status" -eq 0 ] || echo "Wine tests FAILED"
[ "$release_status" -eq 0 ] || echo "release packaging or checks FAILED"
[ "$side_status" -eq 0 ] && [ "$wine_status" -eq 0 ] && [ "$release_status" -eq 0 ]
