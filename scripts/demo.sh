#!/usr/bin/env bash
# Installs, builds and starts VornConfig against a simulated Vorn on a pseudo-terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
simout=$(mktemp)
build/vornsim --demo >"$simout" &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$simout"' EXIT
for _ in $(seq 50); do [ -s "$simout" ] && break; sleep 0.1; done
pty=$(head -n 1 "$simout")
echo "Simulated Vorn serving $pty (offered as port 1)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found. Run this under a virtual display: xvfb-run -a bash scripts/demo.sh"
  exit 1
fi
VORNCONFIG_PORTS="$pty" build/vornconfig
