#!/usr/bin/env bash
# Builds VLZozed, lays out build/app/ and starts the program there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
if [[ -x build/app/VLZozed ]]; then
  exec scripts/start.sh
fi
echo "VLZozed is not built yet: the libraries and tools are in build/." >&2
