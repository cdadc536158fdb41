#!/usr/bin/env bash
# Saves a picture of each tab of the window into docs/: the window runs on a virtual X
# display against the simulated Vorn (demo layout) and performs "Read All" first.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
bash scripts/build.sh "$dir" >/dev/null
cmake --build "$dir" -j "$(nproc)" --target test_ui vornsim >/dev/null
mkdir -p docs
VORN_SCREENSHOT_DIR="$PWD/docs" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1600x1200x24" "$dir/tests/test_ui" --gtest_filter='*Screenshots.*'
ls -1 docs/*.png
