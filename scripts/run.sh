#!/usr/bin/env bash
# Builds VLZozed, lays out build/app/ (the program and its character packages) and starts it there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
exec scripts/start.sh
