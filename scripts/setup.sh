#!/usr/bin/env bash
# Installs the Debian packages VornConfig needs to build, test and run. Safe to run again.
set -euo pipefail
packages=(cmake ninja-build g++ ccache qt6-base-dev qt6-serialport-dev libgl1-mesa-dev
  libgtest-dev libgmock-dev clang-format xvfb xauth clang-14 libclang-rt-14-dev
  help2man desktop-file-utils appstream lintian bash-completion
  gcovr  # scripts/coverage.sh
  fonts-dejavu-core  # the layout record of the window tests is made with DejaVu Sans
  xdotool imagemagick)  # the last two drive and picture the window on a virtual display
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  echo "Installing: ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
