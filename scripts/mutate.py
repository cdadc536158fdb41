#!/usr/bin/env python3
"""Fault sampler: plants small random faults into a copy of the program and runs the suite on each.

Picks N mutation sites at random (seeded) from src/ and tools/, changes one operator each,
rebuilds what the change reaches and runs the whole suite with a per-test time limit. Prints
each site, the change and KILLED / SURVIVED / NO BUILD, then the kill rate (killed against
killed + survived). With --table it plants the hand-written faults of tests/faults/faults.tsv
instead and prints the rate per area.

The worktree is never touched: a copy of the commit lives in build-mutants/tree with its own
build folder, and each mutated file is put back before the next one. Run it niced:
    nice -n 19 scripts/mutate.py -n 150 --seed 1
"""
import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

TOP = Path(__file__).resolve().parent.parent
KEYWORDS = {"return", "break", "continue", "goto", "throw", "delete", "case", "default", "else", "do",
            "using", "typedef", "static_assert", "if", "while", "for", "switch", "sizeof", "emit",
            "co_return", "Q_OBJECT", "Q_UNUSED", "Q_ASSERT", "Q_EMIT", "Q_DECLARE_METATYPE"}
# Swapping the arguments of these cannot change a result.
SYMMETRIC = {"min", "max", "qMin", "qMax", "swap", "qBound", "std::min", "std::max", "hash_combine"}
# The mutated file must still build without the warnings a fault brings along (an unused variable
# after a deleted statement), so they are switched off in that file only.
PRAGMAS = "".join(f'#pragma GCC diagnostic ignored "-W{w}"\n' for w in (
    "pragmas", "unused-variable", "unused-but-set-variable", "unused-parameter", "unused-value", "unused-result",
    "unused-function", "empty-body", "sign-compare", "type-limits", "unused-local-typedefs",
    "bool-compare", "parentheses", "tautological-compare", "shadow", "array-bounds",
    "maybe-uninitialized", "stringop-overflow", "overflow"))


def mask(text):
    """The text with comments, string and character literals and preprocessor lines blanked
    (same length, newlines kept), so operators are searched in code only."""
    out = list(text)
    i, n = 0, len(text)

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == "#":
            j = i
            while j < n and not (text[j] == "\n" and text[j - 1] != "\\"):
                j += 1
            blank(i, j)
            i = j
            continue
        if c == "\n":
            line_start = True
            i += 1
            continue
        if not c.isspace():
            line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            blank(i, j)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            blank(i, j)
            i = j
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            end = text.find(")" + m.group(1) + '"', i) if m else -1
            if end < 0:
                i += 1
                continue
            j = end + len(m.group(1)) + 2
            blank(i, j)
            out[i] = out[j - 1] = '"'
            i = j
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():  # digit separator 1'000
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            blank(i, j)
            out[i] = out[j - 1] = c
            i = j
        else:
            i += 1
    return "".join(out)


# Numbers in widget geometry (grid cells, margins, sizes) are left alone: the suite does not look
# at layouts; screenshots do (scripts/screenshots.sh).
GEOMETRY = re.compile(r"\b(add(Widget|Layout|Spacing|Stretch|Row)|set(ContentsMargins|Spacing|(Column|Row)(Stretch|"
                      r"MinimumWidth|Width)|(Minimum|Maximum|Fixed)(Width|Height|Size)|Stretch|Margin)|resize|QSize)\(")
SIMPLE_ARG = re.compile(r"^(?:[A-Za-z_][\w]*(?:(?:::|\.|->)[A-Za-z_]\w*)*|-?\d+)$")
ASSIGN_OR_CALL = re.compile(
    r"^([ \t]*)((?:[A-Za-z_]\w*|\*[A-Za-z_]\w*)(?:(?:::|\.|->)~?[A-Za-z_]\w*|\[[^\]\n]*\]|\(\))*"
    r"\s*(?:\(.*\)|(?:=|\+=|-=|\*=|/=|\|=|&=|\^=|<<=|>>=)\s.*|\+\+|--)\s*;)[ \t]*$", re.M)


def sites(path, text):
    """Every mutation this file offers: (offset, old text, new text or None for a +1/-1 literal,
    kind)."""
    m = mask(text)
    found = []
    for r in re.finditer(r"(?<=\s)(<=|>=|<|>)(?=\s)", m):
        found.append((r.start(), r.group(), {"<": "<=", "<=": "<", ">": ">=", ">=": ">"}[r.group()], "relational"))
    for r in re.finditer(r"(?<=\s)(==|!=)(?=\s)", m):
        found.append((r.start(), r.group(), "!=" if r.group() == "==" else "==", "equality"))
    for r in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", m):
        found.append((r.start(), r.group(), "||" if r.group() == "&&" else "&&", "logical"))
    for r in re.finditer(r"(?<![\w.'])\d+(?![\w.'])", m):
        if GEOMETRY.search(m[m.rfind("\n", 0, r.start()) + 1:m.find("\n", r.start())]):
            continue
        found.append((r.start(), r.group(), None, "literal"))
    for r in re.finditer(r"(?<=[\w)\]])\[([^\[\]\n\"']+)\]", m):
        inner = r.group(1)
        if inner.strip().isdigit() or not inner.strip():
            continue
        found.append((r.start(), r.group(), None, "index"))
    for r in ASSIGN_OR_CALL.finditer(m):
        stmt = r.group(2)
        word = re.match(r"\*?(\w+)", stmt).group(1)
        if word in KEYWORDS or stmt.count("(") != stmt.count(")"):
            continue
        found.append((r.start(2), text[r.start(2):r.end(2)], "{}", "statement"))
    for r in re.finditer(r"\breturn\s+([^;{}]+);", m):
        expr = r.group(1).strip()
        if expr in ("{}", "*this") or "\n" in r.group(1) and expr.count("(") != expr.count(")"):
            continue
        new = {"true": "return false;", "false": "return true;"}.get(expr, "return {};")
        found.append((r.start(), text[r.start():r.end()], new, "return"))
    for r in re.finditer(r"((?:[A-Za-z_]\w*::)*[A-Za-z_]\w*)\(([^(),\n]+),\s*([^(),\n]+)\)", m):
        name, a, b = r.group(1), r.group(2).strip(), r.group(3).strip()
        if (name in KEYWORDS or name.split("::")[-1] in SYMMETRIC or a == b or not SIMPLE_ARG.match(a)
                or not SIMPLE_ARG.match(b) or a[-1].isdigit() != b[-1].isdigit()):
            continue
        s = r.start(2)
        found.append((s, text[s:r.end(3)], f"{text[r.start(3):r.end(3)]}, {text[s:r.end(2)].strip()}", "swap"))
    return found


def source_files(commit, changed_since):
    files = subprocess.run(["git", "-C", TOP, "ls-tree", "-r", "--name-only", commit, "src", "tools"],
                           capture_output=True, text=True, check=True).stdout.split()
    if changed_since:
        changed = set(subprocess.run(["git", "-C", TOP, "diff", "--name-only", f"{changed_since}...{commit}"],
                                     capture_output=True, text=True, check=True).stdout.split())
        files = [f for f in files if f in changed]
    return [f for f in files if f.endswith((".cpp", ".h"))]


def show(commit, path):
    return subprocess.run(["git", "-C", TOP, "show", f"{commit}:{path}"], capture_output=True, text=True,
                          check=True).stdout


def sample(commit, n, seed, changed_since):
    rng = random.Random(seed)
    candidates = []
    for f in source_files(commit, changed_since):
        text = show(commit, f)
        candidates += [(f, *s) for s in sites(f, text)]
    picked = rng.sample(candidates, min(n, len(candidates)))
    mutants = []
    for f, off, old, new, kind in picked:
        if kind == "literal":
            step = rng.choice((1, -1)) if int(old) > 0 else 1
            new = str(int(old) + step)
        elif kind == "index":
            step = rng.choice(("+", "-"))
            new = f"[{old[1:-1]} {step} 1]"
        mutants.append({"file": f, "offset": off, "old": old, "new": new, "kind": kind})
    mutants.sort(key=lambda m: (m["file"], m["offset"]))
    return mutants, len(candidates)


def table(only, path):
    mutants = []
    for line in Path(path).read_text().splitlines():
        parts = line.split("\t")
        if not line or line.startswith("#") or len(parts) != 5 or not re.search(only, parts[0]):
            continue
        fid, area, f, old, new = parts
        old, new = old.replace("\u23ce", "\n"), new.replace("\u23ce", "\n")  # a line break in the text
        mutants.append({"id": fid, "area": area, "file": f, "offset": None, "old": old, "new": new, "kind": area})
    return mutants


def run(cmd, budget, log, **kw):
    """Runs cmd in its own process group, at most budget seconds; returns the exit code or None."""
    with open(log, "w") as out:
        p = subprocess.Popen(cmd, stdout=out, stderr=subprocess.STDOUT, start_new_session=True, **kw)
        try:
            return p.wait(timeout=max(budget, 1))
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGKILL)
            p.wait()
            return None


def prepare(work, commit, test_timeout):
    """The copy of the commit and its clean build; a copy of the same commit is reused."""
    tree = work / "tree"
    stamp = work / "commit"
    tree.mkdir(parents=True, exist_ok=True)
    if not stamp.exists() or stamp.read_text().strip() != commit:
        for child in tree.iterdir():
            if child.name != "build":
                shutil.rmtree(child) if child.is_dir() else child.unlink()
        archive = subprocess.Popen(["git", "-C", TOP, "archive", commit], stdout=subprocess.PIPE)
        subprocess.run(["tar", "-xmf", "-", "-C", tree], stdin=archive.stdout, check=True)
        archive.wait()
        stamp.write_text(commit + "\n")
    # Same layout and options as scripts/build.sh, so the clean build comes from ccache.
    subprocess.run(["cmake", "-S", tree, "-B", tree / "build", "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                    "-DVORN_WERROR=ON", f"-DVORN_TEST_TIMEOUT={test_timeout}"], stdout=subprocess.DEVNULL, check=True)
    # What the suite runs: test and fuzz-replay binaries and the two programs they start.
    listing = subprocess.run(["ninja", "-C", tree / "build", "-t", "targets", "all"], capture_output=True, text=True,
                             check=True).stdout
    outputs = dict((name, tree / "build" / path) for path, name in re.findall(
        r"^((?:\S*/)?((?:test|fuzz_replay)_\w+|vornctl|vornsim|vornconfig)): CXX_EXEC", listing, re.M))
    targets = sorted(outputs)
    print("building the clean copy ...", flush=True)
    if run(["cmake", "--build", tree / "build", "--target", *targets], 3600, work / "build.log") != 0:
        sys.exit(f"the clean copy does not build: see {work / 'build.log'}")
    if run(["ctest", "--test-dir", tree / "build", "-j2"], 1200, work / "ctest.log") != 0:
        sys.exit(f"the suite fails on the clean copy: see {work / 'ctest.log'}")
    shown = subprocess.run(["ctest", "--test-dir", tree / "build", "--show-only=json-v1"], capture_output=True,
                           text=True, check=True).stdout
    tests = {}
    for t in json.loads(shown)["tests"]:
        tests.setdefault(Path(t["command"][0]).name, []).append(t["name"])
    return tree, outputs, tests


def home_targets(path, outputs):
    """The test binary of the mutated file's folder, and the programs tests start (so none is left from the
    mutant before)."""
    parts = Path(path).parts
    area = parts[1] if len(parts) > 2 else ""
    return [t for t in (f"test_{area}", "vornsim", "vornctl", "vornconfig") if t in outputs]


def mtimes(outputs):
    return {t: p.stat().st_mtime_ns if p.exists() else 0 for t, p in outputs.items()}


def suite(build, names, budget, log):
    """Runs the named tests (all when names is None) until the first failure: (verdict, caught) or None."""
    cmd = ["ctest", "--test-dir", build, "-j2", "--stop-on-failure"]
    if names is not None:
        if not names:
            return None
        cmd += ["-R", "^(" + "|".join(re.escape(n) for n in sorted(names)) + ")$"]
    code = run(cmd, budget, log)
    text = log.read_text(errors="replace")
    failed = re.findall(r"^\s+\d+ - (\S+)", text.split("tests FAILED:")[-1], re.M) if code else []
    if code is None:
        return "KILLED", "(ran past the budget)"
    if code != 0:
        return "KILLED", " ".join(failed[:3]) or "(suite failed)"
    return None


def apply(text, m):
    if m["offset"] is None:
        if text.count(m["old"]) != 1:
            return None
        body = text.replace(m["old"], m["new"])
        return PRAGMAS + body if m["file"].endswith(".cpp") else body
    assert text[m["offset"]:m["offset"] + len(m["old"])] == m["old"]
    body = text[:m["offset"]] + m["new"] + text[m["offset"] + len(m["old"]):]
    return PRAGMAS + body if m["file"].endswith(".cpp") else body


def line_of(text, offset):
    return text.count("\n", 0, offset) + 1


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("-n", type=int, default=20, help="number of mutants (default 20)")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--changed-since", metavar="REV", help="only files changed between REV and the commit")
    ap.add_argument("--commit", default="HEAD", help="what to copy and mutate (default HEAD)")
    ap.add_argument("--table", metavar="ID_REGEX", nargs="?", const=".",
                    help="plant the faults of tests/faults/faults.tsv (those whose id matches) instead")
    ap.add_argument("--faults", default=str(TOP / "tests/faults/faults.tsv"),
                    help="the table --table plants (default tests/faults/faults.tsv)")
    ap.add_argument("--test-timeout", type=int, default=20, help="seconds per test (default 20)")
    ap.add_argument("--budget", type=int, default=600, help="seconds per mutant, build and suite (default 600)")
    ap.add_argument("--work", default="build-mutants", help="folder of the copy (default build-mutants)")
    ap.add_argument("--list", action="store_true", help="print the sample only, build nothing")
    ap.add_argument("--only", metavar="K,K", help="run only these numbers of the sample (a second look at survivors)")
    args = ap.parse_args()

    commit = subprocess.run(["git", "-C", TOP, "rev-parse", args.commit], capture_output=True, text=True,
                            check=True).stdout.strip()
    if args.table:
        mutants, total = table(args.table, args.faults), None
    else:
        mutants, total = sample(commit, args.n, args.seed, args.changed_since)
        print(f"commit {commit[:10]}, seed {args.seed}: {len(mutants)} of {total} sites", flush=True)
    for k, m in enumerate(mutants, 1):
        m.setdefault("id", str(k))
    if args.only:
        keep = set(args.only.split(","))
        mutants = [m for m in mutants if m["id"] in keep]
    originals = {}
    for m in mutants:
        if m["file"] not in originals:
            originals[m["file"]] = show(commit, m["file"])
        text = originals[m["file"]]
        pos = m["offset"] if m["offset"] is not None else max(text.find(m["old"]), 0)
        m["site"] = f"{m['file']}:{line_of(text, pos)}"
    if args.list:
        for m in mutants:
            print(f"{m.get('id', ''):<4} {m['site']:<42} {m['kind']:<10} {m['old']!r} -> {m['new']!r}")
        return

    work = (TOP / args.work).resolve()
    tree, outputs, tests = prepare(work, commit, args.test_timeout)
    targets = sorted(outputs)
    build = tree / "build"
    killed = survived = nobuild = 0
    tally = {}
    results = open(work / "results.tsv", "a")
    for m in mutants:
        path = tree / m["file"]
        mutated = apply(originals[m["file"]], m)
        start = time.monotonic()
        caught = ""
        if mutated is None:
            verdict = "NOT PLANTED"
        else:
            path.write_text(mutated)
            # First the tests of the mutated file's own folder, so most faults are caught after one small
            # build; then every other test whose binary the change reached (all of them when a program the
            # tests start was rebuilt). A binary the change did not reach runs as before and is skipped.
            before = mtimes(outputs)
            home = home_targets(m["file"], outputs)
            ran = set()
            verdict = None
            code = run(["cmake", "--build", build, "--target", *home], args.budget, work / "build.log")
            if code == 0:
                names = [n for t in home if t.startswith("test_") for n in tests.get(t, [])]
                ran.update(names)
                found = suite(build, names, args.budget - (time.monotonic() - start), work / "ctest.log")
                if found:
                    verdict, caught = found
                else:
                    code = run(["cmake", "--build", build, "--target", *targets],
                               args.budget - (time.monotonic() - start), work / "build.log")
            if verdict is None and code != 0:
                verdict = "NO BUILD"
            if verdict is None:
                after = mtimes(outputs)
                changed = {t for t in outputs if after[t] != before[t]}
                if changed & {"vornsim", "vornctl"}:
                    names = [n for ns in tests.values() for n in ns]
                else:
                    # The command-line tests also start the window program.
                    names = [n for t in changed | ({"test_cli"} if "vornconfig" in changed else set())
                             for n in tests.get(t, [])]
                found = suite(build, [n for n in names if n not in ran],
                              args.budget - (time.monotonic() - start), work / "ctest.log")
                verdict, caught = found or ("SURVIVED", "")
            path.write_text(originals[m["file"]])
        if verdict == "KILLED":
            killed += 1
        elif verdict == "SURVIVED":
            survived += 1
        else:
            nobuild += 1
        key = m.get("area", m["kind"])
        k, t = tally.get(key, (0, 0))
        tally[key] = (k + (verdict == "KILLED"), t + (verdict in ("KILLED", "SURVIVED")))
        name = m["id"]
        change = f"{m['old'].strip()!r} -> {m['new']!r}"
        print(f"{name:>4} {m['site']:<40} {m['kind']:<10} {verdict:<8} {change} {caught}"
              f" [{time.monotonic() - start:.0f} s]", flush=True)
        results.write("\t".join([commit[:10], str(args.seed) if not args.table else "table", name, m["site"],
                                 m["kind"], verdict, m["old"], m["new"], caught]) + "\n")
        results.flush()
    # The last mutated file is back as it was: rebuild it so the copy is clean for the next run.
    run(["cmake", "--build", build, "--target", *targets], args.budget, work / "build.log")
    for key, (k, t) in sorted(tally.items()):
        print(f"  {key:<12} {k} of {t} killed")
    rate = f"{100 * killed / (killed + survived):.0f} %" if killed + survived else "-"
    print(f"killed {killed}, survived {survived}, no build {nobuild}: kill rate {rate}")


if __name__ == "__main__":
    main()
