#!/usr/bin/env bash
# Builds VLZozed from nothing and runs every test: the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer (the Debian package made from that build, unpacked and run, included),
# then each fuzz target for a short bounded time. The benchmarks are built with the suite, so that
# they keep compiling, and run by hand from a release build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
# The benchmarks are built too, so that they keep building; they run only when asked
# (bench/run.py, in a Release build).
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVLZ_SANITIZE=ON \
      -DVLZ_BUILD_BENCH=ON -DCMAKE_CXX_FLAGS="-O1" >/dev/null
cmake --build build-asan -j "$jobs"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVLZ_FUZZ=ON \
      >/dev/null
cmake --build build-fuzz -j "$jobs"

status=0
ctest --test-dir build-asan --output-on-failure -j "$jobs" || status=1
ctest --test-dir build-fuzz --output-on-failure || status=1
exit $status
