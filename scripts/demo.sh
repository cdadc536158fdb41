#!/usr/bin/env bash
# First run: installs what is needed, builds, starts a simulated Vorn (demo layout) on a
# pseudo-terminal and opens VornConfig with that terminal offered as port 1. Pick port 1 in
# the "Port:" list and press "Read All". Closing the window stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: VornConfig is a desktop program and needs one."
  echo "On a machine without a screen run it on a virtual display:  xvfb-run -a bash scripts/demo.sh"
  exit 1
fi

simout=$(mktemp)
build/vornsim --demo >"$simout" &
sim=$!
cleanup() {
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  rm -f "$simout"
}
trap cleanup EXIT INT TERM
for _ in $(seq 50); do
  [ -s "$simout" ] && break
  kill -0 "$sim" 2>/dev/null || { echo "The simulator did not start." >&2; exit 1; }
  sleep 0.1
done
pty=$(head -n 1 "$simout")
if [ -z "$pty" ]; then
  echo "The simulator did not report its terminal." >&2
  exit 1
fi
echo "Simulated Vorn serving $pty, offered as port 1. Pick port 1 and press \"Read All\"."
VORNCONFIG_PORTS="$pty" build/vornconfig
