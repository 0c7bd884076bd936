#!/usr/bin/env bash
# Builds the Debian package build-pkg/knihy-jizd_VERSION_ARCH.deb: the
# program and its tools (no tests) in a Release build for /usr, packed by
# CPack with the dependencies dpkg-shlibdeps finds. Install it with
#   apt-get install ./build-pkg/knihy-jizd_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
if ! command -v dpkg-shlibdeps >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq dpkg-dev
fi
cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DKJ_BUILD_UI=ON -DKJ_BUILD_TESTS=OFF -DKJ_BUILD_BENCH=OFF -DKJ_SANITIZE=OFF >/dev/null
cmake --build build-pkg
(cd build-pkg && cpack -G DEB)
ls -l build-pkg/knihy-jizd_*.deb
