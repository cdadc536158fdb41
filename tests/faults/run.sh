#!/usr/bin/env bash
# Plants the faults of faults.tsv one at a time into a copy of the last commit, rebuilds, runs
# the whole suite and prints which tests caught each fault, then the kill rate per area.
# Usage: tests/faults/run.sh [fault-id regex]     (the copy lives in build-faults/)
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
only=${1:-.}
work=$top/build-faults
tree=$work/tree
mkdir -p "$tree"
find "$tree" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
git -C "$top" archive HEAD | tar -xmf - -C "$tree"
cmake -S "$tree" -B "$tree/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON >/dev/null ||
  exit 1
nice cmake --build "$tree/build" >"$work/build.log" 2>&1 || { echo "clean build failed"; exit 1; }

plant() {  # file old new: replace the one occurrence of old, or fail
  python3 -c 'import sys
p, o, n = sys.argv[1:]
t = open(p).read()
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
  if ! nice cmake --build "$tree/build" >"$work/build.log" 2>&1; then
    verdict="does not build"
  elif timeout 600 ctest --test-dir "$tree/build" -j2 >"$work/ctest.log" 2>&1; then
    verdict="SURVIVED"
  else
    caught[$area]=$((${caught[$area]:-0} + 1))
    failed=$(grep -E '^\s+[0-9]+ - ' "$work/ctest.log" | sed -E 's/^\s+[0-9]+ - (\S+).*/\1/')
    verdict="caught by $(wc -w <<<"$failed"): $(head -c 150 <<<"${failed//$'\n'/ }")"
  fi
  printf '%-4s %-10s %s\n' "$id" "$area" "$verdict"
  cp "$work/original" "$tree/$file"
done <"$tree/tests/faults/faults.tsv"

all=0 kill=0
for area in "${!total[@]}"; do
  printf 'area %-10s %d of %d caught\n' "$area" "${caught[$area]:-0}" "${total[$area]}"
  all=$((all + total[$area])) kill=$((kill + ${caught[$area]:-0}))
done
echo "all        $kill of $all caught"
