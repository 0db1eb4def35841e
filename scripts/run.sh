#!/usr/bin/env bash
# Builds VLZozed, lays out build/app/ (the program and its character packages) and starts it there.
# Only the program and its packages are built, so that the first start comes quickly; the tests and
# benchmarks are built by scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVLZ_BUILD_TESTS=OFF \
      -DVLZ_BUILD_BENCH=OFF -DVLZ_TEST_HOOKS=OFF >/dev/null
cmake --build build --target VLZozed characters
exec scripts/start.sh
