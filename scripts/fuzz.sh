#!/usr/bin/env bash
# Builds the fuzz targets of the window-free rules with clang and libFuzzer
# (under AddressSanitizer and UndefinedBehaviorSanitizer) and runs each for
# the given seconds (default 5), starting from the seed corpus in
# tests/fuzz/corpus. What a run finds is kept in build/fuzz/found/TARGET; an
# input that breaks a property or crashes is written to build/fuzz/ and the
# script fails.
#   scripts/fuzz.sh [SECONDS] [TARGET ...]
# A longer run, e.g. half an hour per target: scripts/fuzz.sh 1800
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
shift || true
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ -DNX_FUZZ=ON >/dev/null
cmake --build build/fuzz -j"$(nproc)" >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for t in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$t" .cpp)"); done
fi
status=0
for t in "${targets[@]}"; do
    found=build/fuzz/found/$t
    mkdir -p "$found"
    if ./build/fuzz/"$t" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
            -artifact_prefix=build/fuzz/"$t"- "$found" tests/fuzz/corpus/"$t" >build/fuzz/"$t".log 2>&1; then
        echo "fuzz $t: $(grep -o 'Done [0-9]* runs in [0-9]* second' build/fuzz/"$t".log | tail -1)s, nothing found"
    else
        echo "fuzz $t: FAILED"
        grep -E "property failed|ERROR|SUMMARY|Test unit written" build/fuzz/"$t".log | head -5
        status=1
    fi
done
exit $status
