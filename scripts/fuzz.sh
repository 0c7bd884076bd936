#!/usr/bin/env bash
# Builds the fuzz harnesses of tests/fuzz with clang (build directory
# build-fuzz: libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and
# runs each in turn for SECONDS seconds from its seed corpus
# tests/fuzz/corpus/<harness>. Inputs found on the way are kept in
# build-fuzz/corpus/<harness> for the next run, faults in
# build-fuzz/crashes/, the whole output in build-fuzz/logs/<harness>.log;
# the seed corpus in the tree is never changed. Ends with 1 when a harness
# found a fault.
#
#   bash scripts/fuzz.sh [SECONDS] [HARNESS...]     (default 60 s, every harness)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz.sh: clang++ není nainstalován (balíčky clang a libclang-rt-14-dev)" >&2
    exit 2
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DKJ_BUILD_FUZZ=ON -DKJ_BUILD_UI=OFF -DKJ_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz --target fuzzers

harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
    for src in tests/fuzz/*_fuzz.cpp; do
        name=$(basename "$src" .cpp)
        harnesses+=("${name%_fuzz}")
    done
fi
# The harnesses write files for every input: on a memory file system when
# there is one, in a directory of this run that is removed at the end.
base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
work=$(mktemp -d "$base/kjfuzz-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/crashes build-fuzz/logs

failed=0
printf '%-14s %12s %8s %8s  %s\n' harness executions cov ft result
for h in "${harnesses[@]}"; do
    mkdir -p "build-fuzz/corpus/$h" "tests/fuzz/corpus/$h"
    log="build-fuzz/logs/$h.log"
    result=ok
    if ! TMPDIR="$work" "./build-fuzz/${h}_fuzz" -max_total_time="$seconds" -timeout=20 \
            -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$h-" \
            "build-fuzz/corpus/$h" "tests/fuzz/corpus/$h" >"$log" 2>&1; then
        result="CHYBA, viz $log"
        failed=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    cov=$(grep -oE '^#[0-9]+.* cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 | sed -E 's/.* cov: ([0-9]+) ft: ([0-9]+)/\1 \2/' || true)
    printf '%-14s %12s %8s %8s  %s\n' "$h" "${runs:-?}" ${cov:-? ?} "$result"
    rm -rf "${work:?}"/*
done
exit $failed
