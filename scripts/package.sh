#!/usr/bin/env bash
# Builds VLZozed for release and makes its Debian package, build-package/vlzozed_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DVLZ_BUILD_TESTS=OFF \
      -DVLZ_BUILD_BENCH=OFF -DVLZ_TEST_HOOKS=OFF >/dev/null
cmake --build build-package
cd build-package
cpack -G DEB
