#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing VLZozed need.
# Idempotent: quiet when everything is there, and only the missing packages are fetched.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang lld libclang-rt-14-dev clang-format
  qt6-base-dev qt6-translations-l10n libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libstb-dev libgd-dev libimagequant-dev
  python3 xdg-utils xvfb xauth openbox trayer xdotool x11-utils imagemagick fonts-noto-cjk
  dpkg-dev file desktop-file-utils appstream
  dbus-daemon python3-dbus python3-gi xfce4-panel weston xwayland x11-xserver-utils
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  echo "Run as root (or with sudo) to install the missing packages." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
