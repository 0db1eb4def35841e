#!/usr/bin/env bash
# Starts VLZozed from build/app/. With a display, the program simply runs there. Without one, a
# private virtual desktop (Xvfb, openbox, trayer) is started, a short scripted session is played
# (first start, a second note, typing, hide and restore, exit), screenshots land in build/demo/,
# and everything started is stopped again.
set -euo pipefail
cd "$(dirname "$0")/.."
app_dir=${VLZ_APP_DIR:-build/app}
if [[ ! -x "$app_dir/VLZozed" ]]; then
  echo "VLZozed is not built: run scripts/run.sh first." >&2
  exit 1
fi
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$app_dir/VLZozed"
fi
exec python3 scripts/demo.py "$app_dir" build/demo
