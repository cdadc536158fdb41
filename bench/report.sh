#!/bin/sh
# Runs the report benches in one go and prints the markdown tables of bench/README.md.
#   bench/report.sh [build folder]   (default: build)
set -eu
build=${1:-build}
cmake --build "$build" -j "$(nproc)" --target bench_report bench_startup vornsim >/dev/null

echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) CPU(s), $(uname -sr), load average $(cut -d' ' -f1-3 /proc/loadavg)."
echo
"$build/bench/bench_report" jobs
"$build/bench/bench_report" files
echo
echo "| Start-up to the window shown (offscreen, with port probing) | ms from main() | ms whole process |"
echo "|---|---|---|"
for run in 1 2 3; do
  start=$(date +%s%N)
  line=$(QT_QPA_PLATFORM=offscreen "$build/bench/bench_startup" 2>/dev/null)
  end=$(date +%s%N)
  inner=$(echo "$line" | sed -n 's/.* after \([0-9.]*\) ms.*/\1/p')
  echo "| run $run | $inner | $(( (end - start) / 1000000 )) |"
done
