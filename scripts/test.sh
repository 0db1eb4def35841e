#!/usr/bin/env bash
# Builds VLZozed from nothing and runs every test: the formatting of the C++ sources, the whole
# suite under AddressSanitizer and UndefinedBehaviorSanitizer (the end-to-end tests alone, one at
# a time; the Debian package made from that build, unpacked and run, included), then each fuzz
# target for a short bounded time. The benchmarks are built with the suite, so that they keep
# compiling, and run by hand from a release build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# The project's C++ files as git knows them, or as they lie in an unpacked source tree.
cxx_sources() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z -- '*.cpp' '*.h'
  else
    find src tests tools bench \( -name '*.cpp' -o -name '*.h' \) -print0
  fi
}

status=0
if ! cxx_sources | xargs -0 clang-format --dry-run -Werror; then
  echo "Formatting differs from .clang-format: run clang-format -i on the files above." >&2
  status=1
fi

jobs=$(nproc)
# The benchmarks are built too, so that they keep building; they run only when asked
# (bench/run.py, in a Release build).
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVLZ_SANITIZE=ON \
      -DVLZ_BUILD_BENCH=ON -DCMAKE_CXX_FLAGS="-O1" >/dev/null
cmake --build build-asan -j "$jobs"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVLZ_FUZZ=ON \
      >/dev/null
cmake --build build-fuzz -j "$jobs"

ctest --test-dir build-asan --output-on-failure -j "$jobs" || status=1
# Each fuzz target runs single-threaded for a bounded time on its committed corpus, so they share
# the cores as the suite does.
ctest --test-dir build-fuzz --output-on-failure -j "$jobs" || status=1
exit $status
