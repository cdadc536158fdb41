#!/usr/bin/env bash
# Line and branch coverage of the program (src/, tools/) by the whole suite, per folder and for
# the least-covered files. Needs gcovr (scripts/setup.sh). Usage: scripts/coverage.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-coverage}
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_COVERAGE=ON >/dev/null
cmake --build "$dir"
find "$dir" -name '*.gcda' -delete
status=0
ctest --test-dir "$dir" -j2 >"$dir/coverage-ctest.log" 2>&1 || status=$?
[ $status -eq 0 ] || echo "some tests failed (see $dir/coverage-ctest.log): the figures count what ran"
gcovr -r . --object-directory "$dir" --filter 'src/' --filter 'tools/' --exclude-unreachable-branches \
  --exclude-throw-branches --json-summary "$dir/coverage.json" >/dev/null
python3 - "$dir/coverage.json" <<'PY'
import collections, json, sys
files = json.load(open(sys.argv[1]))["files"]
fold = collections.defaultdict(lambda: [0, 0, 0, 0])
for f in files:
    for key in (f["filename"].rsplit("/", 1)[0], "all"):
        a = fold[key]
        a[0] += f["line_covered"]; a[1] += f["line_total"]; a[2] += f["branch_covered"]; a[3] += f["branch_total"]
pct = lambda c, t: f"{100 * c / t:5.1f} %" if t else "    -  "
print(f"{'folder':<16} {'lines':>22} {'branches':>22}")
for key, (lc, lt, bc, bt) in sorted(fold.items(), key=lambda kv: (kv[0] == "all", kv[0])):
    print(f"{key:<16} {lc:>6} of {lt:>6} {pct(lc, lt)} {bc:>6} of {bt:>6} {pct(bc, bt)}")
print("least covered files (lines):")
for f in sorted((f for f in files if f["line_total"] >= 20), key=lambda f: f["line_covered"] / f["line_total"])[:6]:
    print(f"  {f['filename']:<40} {pct(f['line_covered'], f['line_total'])} of {f['line_total']} lines")
PY
exit $status
