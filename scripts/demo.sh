#!/usr/bin/env bash
# Builds the program and its tools (not the tests) and starts the program on
# the demo installation build/demo (work\ is the station's working
# directory, data\ and prog\ the data and program directories named by
# data.adr and prog.adr). The installation is made when it is missing and
# kept between runs, with what was entered in it; --reset makes it anew.
set -euo pipefail
reset=()
for arg in "$@"; do
    case "$arg" in
        --reset) reset=(--reset) ;;
        *)
            echo "Použití: bash scripts/demo.sh [--reset]" >&2
            exit 2
            ;;
    esac
done
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKJ_BUILD_UI=ON -DKJ_SANITIZE=OFF >/dev/null
cmake --build build --target programs
./build/kj_demo "${reset[@]}" demo/template build/demo
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    echo "Není k dispozici grafická obrazovka (DISPLAY není nastaveno)." >&2
    echo "Program spusťte v grafickém sezení, nebo pod virtuální obrazovkou:" >&2
    echo "  xvfb-run -a bash scripts/demo.sh" >&2
    exit 1
fi
cd build/demo/work
exec ../../knihy_jizd --root ..
