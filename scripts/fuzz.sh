#!/usr/bin/env bash
# Builds the libFuzzer programs with clang into build-fuzz/ and runs each for a time budget:
#   scripts/fuzz.sh [seconds per target, default 30] [target ...]
# Each run starts from the seed corpus in fuzz/corpus/<target>; new inputs it finds go to
# build-fuzz/corpus/<target> (the repo's corpus is only read). A crash stops the script with
# the input saved as build-fuzz/crash-<target>-*: copy it into fuzz/corpus/<target>/ once fixed,
# so the replay test keeps it.
set -euo pipefail
cd "$(dirname "$0")/.."
budget=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(reply_receiver tunnel_receiver config_file device_library)

san="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1 -Wno-unknown-warning-option"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_FLAGS="$san" -DCMAKE_CXX_FLAGS="$san" -DVORN_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$t"
  echo "== fuzz_$t for ${budget}s"
  # Leak checking stays on; -rss_limit_mb guards against runaway allocation.
  log="build-fuzz/fuzz_$t.log"
  status=0
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "build-fuzz/fuzz/fuzz_$t" -max_total_time="$budget" -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/crash-$t-" "build-fuzz/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb|SUMMARY)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$log" >&2
    echo "fuzz_$t failed (exit $status); input saved as build-fuzz/crash-$t-*" >&2
    exit 1
  fi
done
