#!/usr/bin/env bash
# Plants the faults of faults.tsv one at a time into a copy of the last commit, rebuilds, runs
# the whole suite and prints which tests caught each fault, then the kill rate per area.
# Usage: tests/faults/run.sh [fault-id regex] [commit] [copy folder, default build-faults]
set -u

# The whole script is read before it runs, so it can be edited while a pass is going.
main() {
  top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  only=${1:-.}
  work=$top/${3:-build-faults}
  tree=$work/tree
  mkdir -p "$tree"
  commit=$(git -C "$top" rev-parse "${2:-HEAD}")
  if [[ $(cat "$work/commit" 2>/dev/null) == "$commit" ]]; then
    # Same commit as last time: only put the planted files back.
    git -C "$top" archive "$commit" $(cut -f3 "$top/tests/faults/faults.tsv" | grep /) | tar -xmf - -C "$tree"
  else
    find "$tree" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
    git -C "$top" archive "$commit" | tar -xmf - -C "$tree"
    echo "$commit" >"$work/commit"
  fi
  cmake -S "$tree" -B "$tree/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON >/dev/null ||
    exit 1
  nice cmake --build "$tree/build" >"$work/build.log" 2>&1 || { echo "clean build failed"; exit 1; }

  alltargets=$(ninja -C "$tree/build" -t targets all | grep -oE '^[^ :]*(test_[a-z]+|fuzz_[a-z_]+|vornctl|vornsim): CXX_EXEC' |
    cut -d: -f1 | tr '\n' ' ')

  plant() {  # file old new: replace the one occurrence of old, or fail
    python3 -c 'import sys; p, o, n = sys.argv[1:]; t = open(p).read()
sys.exit(1) if t.count(o) != 1 else open(p, "w").write(t.replace(o, n))' "$@"
  }

  declare -A caught total
  while IFS=$'\t' read -r id area file old new; do
    [[ -z $id || $id == \#* || ! $id =~ $only ]] && continue
    total[$area]=$((${total[$area]:-0} + 1))
    cp "$tree/$file" "$work/original"
    if ! plant "$tree/$file" "$old" "$new"; then
      printf '%-4s %-10s NOT PLANTED (text not found once in %s)\n' "$id" "$area" "$file"
      continue
    fi
    # Only what the suite runs and the planted file reaches: no benchmarks, no window program.
    case $file in
      src/ui/*) targets="tests/test_ui" ;;
      src/cli/*) targets="vornctl" ;;
      tools/vornsim/*) targets="vornsim" ;;
      *) targets="$alltargets" ;;
    esac
    # The file planted last time is back as it was; whatever it reached is rebuilt as well.
    if ! nice cmake --build "$tree/build" --target $targets ${previous:-} >"$work/build.log" 2>&1; then
      verdict="does not build"
    elif timeout 600 ctest --test-dir "$tree/build" -j3 >"$work/ctest.log" 2>&1; then
      verdict="SURVIVED"
    else
      caught[$area]=$((${caught[$area]:-0} + 1))
      failed=$(sed -n '/tests FAILED:/,$p' "$work/ctest.log" | grep -E '^\s+[0-9]+ - ' | sed -E 's/^\s+[0-9]+ - (\S+).*/\1/')
      verdict="caught by $(wc -w <<<"$failed"): ${failed//$'\n'/ }"
    fi
    printf '%-4s %-10s %s\n' "$id" "$area" "$verdict"
    cp "$work/original" "$tree/$file"
    previous=$targets
  done <"$top/tests/faults/faults.tsv"

  all=0 kill=0
  for area in "${!total[@]}"; do
    printf 'area %-10s %d of %d caught\n' "$area" "${caught[$area]:-0}" "${total[$area]}"
    all=$((all + total[$area])) kill=$((kill + ${caught[$area]:-0}))
  done
  echo "all        $kill of $all caught"
}
main "$@"
exit
