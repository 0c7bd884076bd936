#!/usr/bin/env bash
# Builds everything and runs every test: core and Qt tests (offscreen), then
# the core tests once more under AddressSanitizer and UndefinedBehaviorSanitizer
# in a build without the user interface, where Qt is not even looked for (so
# the core is shown to build with no Qt on its include path).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKJ_BUILD_UI=ON -DKJ_SANITIZE=OFF >/dev/null
cmake --build build
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKJ_BUILD_UI=OFF -DKJ_SANITIZE=ON >/dev/null
cmake --build build-asan
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure)
# Every fuzz harness for a few seconds from its seed corpus, when clang and
# its libFuzzer are installed (scripts/fuzz.sh SECONDS runs them longer).
if command -v clang++ >/dev/null 2>&1 && echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, long) { return 0; }' |
        clang++ -x c++ -fsanitize=fuzzer -o /dev/null - 2>/dev/null; then
    bash scripts/fuzz.sh 4
else
    echo "test.sh: clang++ s libFuzzer chybí, fuzz testy vynechány" >&2
fi
