#!/usr/bin/env python3
"""Times zonix side by side with the tools people use for the same work.

Peers: lrs and redund (lrslib), the Parma Polyhedra Library (through
bench/ppl_driver), qhull (qconvex, qhalf), GLPK (glpsol) and, for the
application cones, Normaliz.  Every tool
runs as a whole process on the same generated input, under /usr/bin/time and
a timeout; the time shown is the median of the runs, the memory the largest
peak resident size.  Every peer's answer is checked against zonix's, and a
disagreement is marked where its time would stand.

    run_bench.py [--build DIR] [--quick] [--only GROUP] [--profile N]

--quick runs small instances (a check of the pipeline, in a minute or two)
and writes its table into the build directory; the full run writes
bench/results.md and bench/results.csv.  --only GROUP (a group's heading, or
a short name such as "hard" or "lp"; may be repeated) runs those groups and
replaces only their tables in the existing results, keeping the rest.  A full
run keeps the sections that were added to results.md by hand.  --profile N runs zonix under
callgrind on the N workloads (families) where it is furthest behind a peer,
each on its quickest instance where it is behind, and adds the functions
that take its time to the table.
"""

import argparse
import csv
import datetime
import math
import os
import platform
import re
import shlex
import signal
import statistics
import subprocess
import sys
import threading
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent

# ---- workloads ---------------------------------------------------------------------
# (family, params).  Full sizes are chosen so that zonix takes from a tenth of
# a second to some seconds on a quiet two-core machine.

H_TO_V = "H to V"
V_TO_H = "V to H"
ADJ = "Adjacency"
RED = "Redundancy removal"
LP = "LP"
HARD = "Hard families"
VOLUME = "Volume"
APP = "Application cones"
PROJ = "Projection"
GROUPS = [H_TO_V, V_TO_H, ADJ, RED, PROJ, LP, HARD, VOLUME, APP]
# Short names for --only.
GROUP_NAMES = {"hard": HARD, "htov": H_TO_V, "vtoh": V_TO_H, "adj": ADJ, "red": RED,
               "volume": VOLUME}
GROUP_NAMES.update(app=APP, cones=APP, proj=PROJ, project=PROJ)
# The projection instances of bench/project_family (its "list"): random
# polytopes of 20-60 rows in 4-10 variables onto 2 and 3 of them, then the
# 3-, 6- and 8-cubes and cross-polytopes onto 2.
PROJ_CASES = 30

FULL = {
    H_TO_V: [
        ("cube-h", (12,)), ("cube-h", (14,)), ("cube-h", (16,)),
        ("cross-h", (9,)), ("cross-h", (10,)), ("cross-h", (11,)), ("cross-h", (12,)),
        ("randineq-h", (300, 6, 1)), ("randineq-h", (60, 8, 1)),
        ("randineq-h", (30, 10, 1)), ("randineq-h", (25, 12, 3)),
        ("simplexprod-h", (25, 25)), ("simplexprod-h", (40, 40)),
        ("simplexprod-h", (60, 60)),
    ],
    V_TO_H: [
        ("cyclic-v", (120, 4, 4)), ("cyclic-v", (60, 5, 3)), ("cyclic-v", (40, 6)),
        ("cyclic-v", (30, 7, 3)), ("cyclic-v", (24, 8, 3)),
        # Beyond what double precision resolves: shown so that the limit is seen.
        ("cyclic-v", (50, 6, 4)),
        # C(30,15) from its 30 points: 341,088 facets, a benchmark for exact tools.
        ("cyclic-v", (30, 15)),
        ("sphere-v", (1000, 4, 1)), ("sphere-v", (300, 5, 1)), ("sphere-v", (150, 6, 1)),
        ("sphere-v", (60, 7, 1)), ("sphere-v", (40, 8, 1)),
        ("zeroone-v", (40, 9, 1)), ("zeroone-v", (60, 9, 1)), ("zeroone-v", (40, 10, 1)),
    ],
    ADJ: [
        ("cube-h", (12,)), ("cube-h", (13,)), ("cross-h", (10,)),
        ("randineq-h", (300, 6, 1)), ("simplexprod-h", (40, 40)),
        ("cyclic-v", (40, 6)), ("sphere-v", (300, 5, 1)), ("zeroone-v", (40, 9, 1)),
    ],
    RED: [
        ("redundant-h", (1000, 5, 90, 1)), ("redundant-h", (1000, 10, 70, 1)),
        ("redundant-h", (1000, 15, 50, 1)), ("redundant-h", (5000, 6, 90, 1)),
        # m rows in d variables, the given percent of them kept (tangents of a
        # paraboloid and positive sums of two of them): m in 1,000, 10,000,
        # 50,000, d in 2, 4, 8, 1 %, 10 % and 90 % kept; then 42,940 rows in
        # 2 variables with 30 kept.
    ] + [("tangents-h", (m, d, pct, 1)) for m in (1000, 10000, 50000) for d in (2, 4, 8)
         for pct in (1, 10, 90)] + [("tangents-h", (42940, 2, 30, -1))] +
    # Points uniform in a ball (reduce_v): their extreme points, beside qconvex Fx.
    [("ball-v", (100000, 3, 1)), ("ball-v", (10000, 6, 1))],
    PROJ: [("project", (i,)) for i in range(PROJ_CASES)],
    LP: [("lp", (50, 10, 100, 1)), ("lp", (200, 20, 100, 1)), ("lp", (500, 50, 100, 1))],
    # Degenerate polytopes, from H to V.  CUT(6) comes before the large ones
    # so that the group's time limit does not fall on it.
    HARD: [("metric-h", (6,)), ("birkhoff-h", (6,)), ("permutahedron-h", (8,)),
           ("cut-h", (6,)), ("permutahedron-h", (9,)), ("birkhoff-h", (7,)),
           ("metric-h", (7,))],
    # zpoly's volume (Octave) beside normaliz -V (exact) and qconvex FA.
    VOLUME: [("cube-v", (4,)), ("cube-v", (6,)), ("cube-v", (8,)),
             ("cross-v", (4,)), ("cross-v", (6,)), ("cross-v", (8,)),
             ("zeroone-v", (20, 5, 1)), ("zeroone-v", (30, 6, 1)),
             ("zeroone-v", (30, 7, 1)), ("zeroone-v", (40, 8, 1)),
             # Rational points on the sphere: simplicial, large denominators.
             ("sphere-v", (40, 6, 1)), ("sphere-v", (30, 8, 1))],
    # Cones and polytopes from applications, both ways; magic-v and
    # contingency-h are the other side of magic-h and contingency-v, made
    # once by Normaliz (see app_derived).  CUT(7) V to H last: the frontier.
    APP: [("magic-h", (4,)), ("magic-v", (4,)), ("magic-h", (5,)), ("magic-v", (5,)),
          ("knapsack-h", (10, 1)), ("knapsack-v", (10, 1)), ("knapsack-h", (11, 2)),
          ("knapsack-v", (11, 2)), ("knapsack-h", (12, 3)), ("knapsack-v", (12, 3)),
          ("contingency-v", (3, 3, 3)), ("contingency-h", (3, 3, 3)),
          ("contingency-v", (4, 4, 3)), ("contingency-h", (4, 4, 3)),
          ("contingency-v", (5, 4, 3)), ("contingency-h", (5, 4, 3)),
          ("birkhoff-v", (6,)), ("birkhoff-v", (7,)), ("cut-v", (7,))],
}

QUICK = {
    H_TO_V: [("cube-h", (8,)), ("cross-h", (6,)), ("randineq-h", (60, 5, 1)),
             ("simplexprod-h", (5, 5))],
    V_TO_H: [("cyclic-v", (20, 4)), ("sphere-v", (100, 4, 1)), ("zeroone-v", (30, 7, 1))],
    ADJ: [("cube-h", (6,)), ("cyclic-v", (20, 4)), ("sphere-v", (60, 4, 1))],
    RED: [("redundant-h", (200, 5, 80, 1)), ("redundant-h", (300, 8, 60, 1)),
          ("tangents-h", (2000, 2, 1, 1)), ("tangents-h", (1000, 4, 10, 1)),
          ("ball-v", (5000, 3, 1))],
    PROJ: [("project", (i,)) for i in (0, 9, 24, 27)],
    LP: [("lp", (50, 10, 20, 1)), ("lp", (100, 20, 20, 1))],
    HARD: [("metric-h", (5,)), ("birkhoff-h", (4,)), ("permutahedron-h", (5,)),
           ("cut-h", (5,))],
    VOLUME: [("cube-v", (4,)), ("cross-v", (4,)), ("zeroone-v", (15, 4, 1))],
    APP: [("magic-h", (4,)), ("magic-v", (4,)), ("knapsack-h", (10, 1)),
          ("knapsack-v", (10, 1)), ("contingency-v", (3, 3, 3)), ("contingency-h", (3, 3, 3)),
          ("birkhoff-v", (5,)), ("cut-v", (6,))],
}

# Peers per group, in table order.
PEERS = {
    H_TO_V: ["lrs", "PPL", "qhalf"],
    V_TO_H: ["lrs", "PPL", "qconvex"],
    ADJ: ["PPL"],
    RED: ["redund", "PPL", "qconvex"],
    PROJ: ["vertex route"],
    LP: ["glpsol"],
    HARD: ["lrs", "PPL"],
    VOLUME: ["normaliz", "qconvex"],
    APP: ["normaliz", "lrs"],
}
EXACT_PEERS = ("lrs", "redund", "PPL")
# zonix's other arithmetics, timed against its double precision run.
VARIANTS = ["exact", "auto"]
# Redundancy removal also beside its own previous method (an LP over all
# rows per row), in double precision.
PREVIOUS = "each-row"
GROUP_VARIANTS = {RED: VARIANTS + [PREVIOUS]}


def variants(group):
    return GROUP_VARIANTS.get(group, VARIANTS)
SHORT_RUN = 0.5  # seconds: runs shorter than this are repeated SHORT_RUNS times
SHORT_RUNS = 7
TINY_RUN = 0.05  # seconds: a process this short is mostly its start, and noisy
TINY_RUNS = 41


def runs_after(first, runs):
    """How many runs a tool gets, given its first run's time: short runs are
    noisy, so they run more (each tool by the same rule)."""
    if first is None or first >= SHORT_RUN:
        return runs
    return max(runs, TINY_RUNS if first < TINY_RUN else SHORT_RUNS)

# The hard families: every tool gets the same time on every instance, and
# the group as a whole a bound, so that a slow tool cannot hold the machine.
HARD_LIMIT = 60.0
HARD_BUDGET = 12 * 60.0
HARD_REPEAT_BELOW = 2.0  # seconds a tool has spent on an instance before its runs stop
HARD_TURNS_BELOW = 15.0  # the same for zonix's turns of 1 and 2 threads together
ZONIX_2T = "zonix-2t"  # the result key of zonix with two threads
HARD_LABEL = {"metric-h": "MET", "birkhoff-h": "B", "permutahedron-h": "P", "cut-h": "CUT"}
# Facets of CUT(n), to check what lrs gives when the H form is made
# (Deza and Laurent, Geometry of Cuts and Metrics).
CUT_FACETS = {3: 4, 4: 16, 5: 56, 6: 368, 7: 116764}


def expected_vertices(family, n):
    """The vertex count where the mathematics gives it."""
    if family in ("birkhoff-h", "permutahedron-h"):
        return math.factorial(n)
    if family == "cut-h":
        return 2 ** (n - 1)
    # MET(n) = CUT(n) for n <= 4; MET(5): the 16 cuts and 16 fractional
    # vertices; MET(6): 544 (Avis, Laurent).
    if family == "metric-h":
        return {3: 4, 4: 8, 5: 32, 6: 544}.get(n)
    return None

# ---- running one command -------------------------------------------------------------


class Run:
    def __init__(self, status, seconds=None, kib=None, detail=""):
        self.status = status  # "ok", "timeout", "failed"
        self.seconds = seconds
        self.kib = kib
        self.detail = detail


def run_once(argv, stdout_path, stderr_path, timeout):
    """One run under /usr/bin/time, killed with its process group on timeout."""
    timefile = str(stderr_path) + ".time"
    cmd = ["/usr/bin/time", "-f", "%e %M", "-o", timefile] + list(argv)
    with open(stdout_path, "wb") as out, open(stderr_path, "wb") as err:
        start = time.perf_counter()
        proc = subprocess.Popen(cmd, stdout=out, stderr=err, stdin=subprocess.DEVNULL,
                                start_new_session=True)
        # A blocking wait returns the moment the process ends; wait(timeout)
        # would poll, and its sleeps would show in the times.
        killed = []

        def kill():
            killed.append(True)
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass

        timer = threading.Timer(timeout, kill)
        timer.start()
        rc = proc.wait()
        seconds = time.perf_counter() - start
        timer.cancel()
        if killed:
            return Run("timeout", detail="> %s s" % fmt_s(timeout))
    kib = None
    try:
        fields = Path(timefile).read_text().split()
        # A failing command makes time write "Command exited with non-zero
        # status N" first; the numbers are the last two fields.
        kib = int(fields[-1])
    except (OSError, ValueError, IndexError):
        pass
    if rc != 0:
        tail = Path(stderr_path).read_text(errors="replace").strip().splitlines()
        tail = [t for t in tail if t.strip() and not t.startswith("Command exited")]
        # The line that says what went wrong, without the file's path.
        why = ""
        if tail:
            errors = [t for t in tail if "error" in t.lower()]
            why = errors[0] if errors else tail[-1]
            for a in argv:
                if "/" in str(a):  # paths only: a flag such as "n" is in every word
                    why = why.replace(str(a) + ": ", "").replace(str(a), "FILE")
            why = ": " + why[:100]
        return Run("failed", seconds, kib, "exit %d%s" % (rc, why))
    return Run("ok", seconds, kib)


class Result:
    """A tool on an instance: its runs, its answer and the verdict."""

    def __init__(self, tool):
        self.tool = tool
        self.status = "skipped"  # ok, disagrees, timeout, failed, skipped, n/a
        self.reference = None  # the tool whose answer this one was checked against
        self.times = []
        self.kib = None
        self.answer = None
        self.detail = ""
        self.ratio = None

    @property
    def median(self):
        return statistics.median(self.times) if self.times else None


class Timed:
    """A tool's runs on an instance, taken one at a time so that the runs of
    several tools can alternate and share the machine's drifts of load."""

    def __init__(self, tool, argv, outdir, stem, timeout, parse, before=None):
        self.res = Result(tool)
        self.argv, self.timeout, self.parse, self.before = argv, timeout, parse, before
        outdir.mkdir(parents=True, exist_ok=True)
        self.stdout_path = outdir / (stem + ".stdout")
        self.stderr_path = outdir / (stem + ".stderr")
        self.stopped = False  # a run failed or timed out

    def step(self, last=False):
        """One run; the answer is read after the last (the files may be shared
        with another tool's runs, such as an adjacency file beside the input)."""
        if self.before:
            self.before()
        r = run_once(self.argv, self.stdout_path, self.stderr_path, self.timeout)
        res = self.res
        if r.kib is not None:
            res.kib = max(res.kib or 0, r.kib)
        if r.status != "ok":
            res.status, res.detail = r.status, r.detail
            if r.status == "failed":
                res.times.append(r.seconds)
            self.stopped = True
            return
        res.times.append(r.seconds)
        if last:
            self.read_answer()

    def read_answer(self):
        res = self.res
        try:
            res.answer = self.parse(self.stdout_path.read_text(errors="replace"),
                                    self.stderr_path.read_text(errors="replace"))
            res.status = "ok"
        except (OSError, ValueError, KeyError, IndexError) as e:
            res.status, res.detail = "failed", "unreadable answer: %s" % e


def measure(tool, argv, outdir, stem, runs, timeout, parse, before=None, enough=None):
    """runs runs, fewer once they have taken enough seconds in all."""
    t = Timed(tool, argv, outdir, stem, timeout, parse, before)
    i = 0
    while i < (runs_after(t.res.times[0], runs) if t.res.times else 1):
        if enough is not None and t.res.times and sum(t.res.times) >= enough:
            break
        t.step()
        if t.stopped:
            return t.res
        i += 1
    t.read_answer()
    return t.res


def measure_in_turns(timeds, runs):
    """Several tools' runs on one instance taken in turns, run by run: a
    process of a few milliseconds is mostly its start, and the machine's
    drift would otherwise land on one tool's runs.  Each stops at its own
    count (the rule of measure) or at its first failure."""
    for t in timeds:
        t.step()
    for i in range(1, max(runs_after(t.res.times[0] if t.res.times else None, runs) for t in timeds)):
        for t in timeds:
            if not t.stopped and i < runs_after(t.res.times[0], runs):
                t.step()
    for t in timeds:
        if not t.stopped:
            t.read_answer()
    return [t.res for t in timeds]


# ---- reading answers -----------------------------------------------------------------


def read_matrix(text):
    """Rows and linearity of a representation in the shared text format."""
    lines = text.splitlines()
    lin = set()
    for i, line in enumerate(lines):
        w = line.split()
        if w and w[0] == "linearity":
            lin.update(int(x) for x in w[2:])
        if w and w[0] == "begin":
            m = int(lines[i + 1].split()[0])
            rows = [lines[i + 2 + k].split() for k in range(m)]
            return rows, lin
    raise ValueError("no begin line")


def number(s):
    if "/" in s:
        a, b = s.split("/")
        return float(a) / float(b)
    return float(s)


def zonix_generators(text):
    rows, lin = read_matrix(text)
    v = r = l = 0
    for k, row in enumerate(rows, 1):
        if k in lin:
            l += 1
        elif number(row[0]) != 0:
            v += 1
        else:
            r += 1
    return {"vertices": v, "rays": r, "lines": l}


def zonix_inequalities(text):
    rows, lin = read_matrix(text)
    f = e = 0
    for k, row in enumerate(rows, 1):
        if k in lin:
            e += 1
        elif any(number(x) != 0 for x in row[1:]):  # not the row 1 >= 0
            f += 1
    return {"facets": f, "equations": e}


def adjacency_entries(text):
    """Sum of the set sizes in a set family file ("i k : members")."""
    total = 0
    for line in text.splitlines():
        w = line.split()
        if len(w) >= 3 and w[2] == ":":
            total += abs(int(w[1]))
    return total


def lrs_totals(text):
    m = re.search(r"\*Totals:(.*)", text)
    if not m:
        raise ValueError("no totals line")
    # Not the sums such as "vertices+rays=21".
    got = dict(re.findall(r"(?<![\w+])(\w+)=(\d+)", m.group(1)))
    out = {}
    if "vertices" in got:
        out["vertices"] = int(got["vertices"])
        out["rays"] = int(got.get("rays", 0))
    if "facets" in got:
        out["facets"] = int(got["facets"])
    if "linearities" in got:
        out["lines" if "vertices" in got else "equations"] = int(got["linearities"])
    return out


def ppl_counts(text):
    out = {}
    m = re.search(r"points (\d+) rays (\d+) lines (\d+)", text)
    if m:
        out.update(vertices=int(m.group(1)), rays=int(m.group(2)), lines=int(m.group(3)))
    m = re.search(r"inequalities (\d+) equalities (\d+)", text)
    if m:
        out.update(facets=int(m.group(1)), equations=int(m.group(2)))
    m = re.search(r"adjacency (\d+)", text)
    if m:
        out["adjacency"] = int(m.group(1))
    if not out:
        raise ValueError("no counts")
    return out


def qhull_count(text, what):
    m = re.search(r"Number of %s:\s*(\d+)" % what, text)
    if not m:
        raise ValueError("no '%s' in the summary" % what)
    return int(m.group(1))


def redund_kept(text):
    lines = text.splitlines()
    for i, line in enumerate(lines):
        if line.strip() == "begin":
            return {"kept": int(lines[i + 1].split()[0])}
    raise ValueError("no begin line")


def zonix_lp_answers(files):
    out = []
    for f in files:
        text = Path(str(f) + ".zsol").read_text()
        m = re.search(r"optimal_value\s*:\s*(\S+)", text)
        out.append(("optimal", float(m.group(1))) if m else ("other", None))
    return out


def glpsol_answers(files):
    out = []
    for f in files:
        text = Path(str(f).replace(".ine", ".lp") + ".sol").read_text()
        m = re.search(r"^s bas \d+ \d+ (\w) (\w) (\S+)", text, re.M)
        if m and m.group(1) == "f" and m.group(2) == "f":
            out.append(("optimal", float(m.group(3))))
        else:
            out.append(("other", None))
    return out


def lp_agreement(a, ref):
    agree = 0
    for (s1, v1), (s2, v2) in zip(a, ref):
        if s1 == s2 and (s1 != "optimal" or abs(v1 - v2) <= 1e-6 * max(1.0, abs(v2))):
            agree += 1
    return agree


def show_answer(group, ans):
    if ans is None:
        return ""
    if group == LP:
        return "%d optimal" % sum(1 for s, _ in ans if s == "optimal")
    parts = []
    for key, label in (("vertices", "v"), ("rays", "r"), ("lines", "l"), ("facets", "f"),
                       ("equations", "e"), ("adjacency", "adj"), ("kept", "kept")):
        if key in ans and (ans[key] or key in ("vertices", "facets", "adjacency", "kept")):
            parts.append("%d %s" % (ans[key], label))
    return " + ".join(parts)


def agrees(group, ans, ref):
    """(True or False, text) for a peer's answer against the reference."""
    if group == LP:
        n = lp_agreement(ans, ref)
        return n == len(ref), "%d/%d agree" % (n, len(ref))
    common = [k for k in ans if k in ref]
    bad = [k for k in common if ans[k] != ref[k]]
    if not common:
        return False, "nothing comparable"
    if bad:
        return False, ", ".join("%s %d vs %d" % (k, ans[k], ref[k]) for k in bad)
    return True, ""


# ---- the tools -----------------------------------------------------------------------


class Tools:
    def __init__(self, build):
        self.zonix = build / "cli" / "zonix"
        self.gen = build / "bench" / "bench_gen"
        self.ppl = build / "bench" / "ppl_driver"
        self.proj = build / "bench" / "project_family"
        self._threads = None

    def threads(self):
        """Whether this zonix takes --threads (older builds run one thread)."""
        if self._threads is None:
            try:
                p = subprocess.run([str(self.zonix), "convert", "--help"], capture_output=True,
                                   text=True, timeout=20, stdin=subprocess.DEVNULL)
                self._threads = "--threads" in p.stdout + p.stderr
            except (OSError, subprocess.TimeoutExpired):
                self._threads = False
        return self._threads

    def missing(self):
        out = []
        for p in (self.zonix, self.gen, self.proj):
            if not p.exists():
                out.append(str(p))
        for exe in ("lrs", "redund", "qconvex", "qhalf", "glpsol"):
            if not which(exe):
                out.append(exe)
        if not Path("/usr/bin/time").exists():
            out.append("/usr/bin/time")
        return out


def which(exe):
    for d in os.environ.get("PATH", "").split(os.pathsep):
        p = Path(d) / exe
        if p.is_file() and os.access(p, os.X_OK):
            return p
    return None


class Case:
    def __init__(self, group, family, params):
        self.group, self.family, self.params = group, family, params
        self.key = "-".join([family] + [str(p) for p in params])
        self.name = self.key
        self.size = ""
        self.input = None  # the .ine/.ext file, or the LP directory
        self.qhull = None
        self.h = family.endswith("-h") or family == "lp"
        self.results = {}


def cut_facets(tools, case, base):
    """CUT(n) by its facets: lrs finds them from the cut vectors, and their
    number is checked, so the instance does not rest on zonix."""
    n = case.params[0]
    if n not in CUT_FACETS:
        raise ValueError("CUT(%d): facet count unknown, no check possible" % n)
    vbase = base.parent / ("cut-v-%d" % n)
    subprocess.run([str(tools.gen), "cut-v", str(n), "--out", str(vbase)], capture_output=True,
                   text=True, check=True)
    text = subprocess.run(["lrs", str(vbase.with_suffix(".ext"))], capture_output=True, text=True,
                          check=True, timeout=600).stdout
    lines = text.splitlines()
    start = lines.index("begin") + 2
    rows = [ln.split() for ln in lines[start:lines.index("end")]]
    if len(rows) != CUT_FACETS[n]:
        raise ValueError("CUT(%d): lrs found %d facets, not %d" % (n, len(rows), CUT_FACETS[n]))
    cols = len(rows[0])
    integer = all("/" not in x for r in rows for x in r)
    name = "cut-h-%d" % n
    base.with_suffix(".ine").write_text(
        "%s\nH-representation\nbegin\n%d %d %s\n%s\nend\n" % (
            name, len(rows), cols, "integer" if integer else "rational",
            "\n".join(" ".join(r) for r in rows)))
    return name, len(rows), cols


def generate(tools, case, data):
    base = data / case.key
    if case.family == "cut-h":
        case.name, m, cols = cut_facets(tools, case, base)
        case.size = "%d × %d" % (m, cols)
        case.input = base.with_suffix(".ine")
        return
    if case.family in APP_DERIVED:
        app_derived(tools, case, base)
        return
    if case.family == "project":
        out = subprocess.run([str(tools.proj), "list"], capture_output=True, text=True,
                             check=True).stdout.splitlines()
        _, name, onto, rows = out[case.params[0]].split()
        cols = re.search(r"-(\d+)-s\d+$", name)
        case.name = "%s onto %s" % (name, onto)
        case.size = rows + " rows" + (" × %s" % cols.group(1) if cols else "")
        case.input = case.params[0]
        return
    if case.family == "lp":
        m, d, count, seed = case.params
        argv = [str(tools.gen), "lp", str(m), str(d), str(count), str(seed), "--out", str(base)]
    else:
        argv = [str(tools.gen), case.family] + [str(p) for p in case.params] + ["--out", str(base)]
    out = subprocess.run(argv, capture_output=True, text=True, check=True).stdout.split()
    case.name = out[0]
    if case.family == "lp":
        case.size = "%d × (%s × %s)" % (case.params[2], out[1], out[2])
        case.input = base
    else:
        case.size = "%s × %s" % (out[1], out[2])
        case.input = base.with_suffix(".ine" if case.h else ".ext")
        q = base.with_suffix(".qh")
        case.qhull = q if q.exists() else None


def lp_files(case):
    return sorted(Path(case.input).glob("lp*.ine"))


def zonix_command(tools, case, outdir, arith="double", threads=None):
    """argv, answer parser, and a cleanup to run before each run."""
    out = outdir / (case.key + ".out")
    g = case.group
    ar = ["--arithmetic", arith] if arith else []  # none: a build without the option
    if arith == PREVIOUS:
        ar = ["--arithmetic", "double", "--method", "each"]
    if threads is not None and tools.threads() and case.group in (H_TO_V, V_TO_H, HARD, ADJ, APP):
        ar += ["--threads", str(threads)]  # reduce and lp have one thread
    if g in (H_TO_V, V_TO_H, HARD, APP):
        # To standard output, as lrs, PPL and qhull write theirs.
        argv = [str(tools.zonix), "convert", str(case.input), "-o", "-", "--quiet"] + ar
        reader = zonix_generators if case.h else zonix_inequalities
        return argv, (lambda so, se: reader(so)), None
    if g == ADJ:
        flag = "--adjacency" if case.h else "--input-adjacency"
        argv = [str(tools.zonix), "convert", str(case.input), "-o", str(out), "--quiet", flag] + ar
        ead = Path(case.input).with_suffix(".ead")
        return argv, (lambda so, se: {"adjacency": adjacency_entries(ead.read_text())}), \
            (lambda: ead.unlink(missing_ok=True))
    if g == RED:
        argv = [str(tools.zonix), "reduce", str(case.input), "-o", str(out), "--quiet"] + ar
        return argv, (lambda so, se: {"kept": len(read_matrix(out.read_text())[0])}), None
    files = lp_files(case)
    loop = "for f in %s/lp*.ine; do %s lp \"$f\" -o \"$f.zsol\" --quiet %s || exit 1; done" % (
        shlex.quote(str(case.input)), shlex.quote(str(tools.zonix)), " ".join(ar))
    return ["sh", "-c", loop], (lambda so, se: zonix_lp_answers(files)), None


def peer_command(tools, peer, case):
    g = case.group
    if peer == "lrs":
        return ["lrs", str(case.input)], (lambda so, se: lrs_totals(so))
    if peer == "redund":
        return ["redund", str(case.input)], (lambda so, se: redund_kept(so))
    if peer == "PPL":
        if not tools.ppl.exists():
            return None, "ppl_driver not built"
        flag = {ADJ: ["--adjacency"], RED: ["--reduce"]}.get(g, [])
        if g == RED:
            parse = (lambda so, se: {"kept": sum(ppl_counts(so).get(k, 0)
                                                 for k in ("facets", "equations"))})
        elif g == ADJ:
            parse = (lambda so, se: {"adjacency": ppl_counts(so)["adjacency"]})
        else:
            parse = (lambda so, se: ppl_counts(so))
        return [str(tools.ppl)] + flag + [str(case.input)], parse
    if peer == "qhalf":
        if case.qhull is None:
            return None, "no qhull input"
        return ["qhalf", "s", "Fp", "TI", str(case.qhull)], \
            (lambda so, se: {"vertices": qhull_count(se, "intersection points")})
    if peer == "qconvex":
        if case.qhull is None:
            return None, "no qhull input"
        if g == RED:  # the extreme points: their count, then one index a line
            if case.h:
                return None, "points only"
            return ["qconvex", "Fx", "TI", str(case.qhull)], \
                (lambda so, se: {"kept": int(so.split()[0])})
        return ["qconvex", "s", "n", "TI", str(case.qhull)], \
            (lambda so, se: {"facets": qhull_count(se, "facets")})
    if peer == "glpsol":
        files = lp_files(case)
        loop = "for f in %s/lp*.lp; do glpsol --lp \"$f\" -w \"$f.sol\" >/dev/null || exit 1; done" % (
            shlex.quote(str(case.input)))
        return ["sh", "-c", loop], (lambda so, se: glpsol_answers(files))
    raise ValueError(peer)


# ---- the run -------------------------------------------------------------------------


def log(msg):
    print(msg, flush=True)


def fmt_s(x):
    if x is None:
        return "–"
    if x >= 100:
        return "%.0f" % x
    if x >= 10:
        return "%.1f" % x
    if x >= 1:
        return "%.2f" % x
    return "%.3f" % x


def fmt_ratio(r):
    if r is None:
        return ""
    if r >= 10:
        return "%.0f×" % r
    if r >= 1:
        return "%.1f×" % r
    return "%.2f×" % r


def fmt_mib(kib):
    return "–" if kib is None else "%.1f" % (kib / 1024.0)


def run_case(tools, case, work, opts, timed_out):
    outdir = work / "out"
    # One thread, as every peer here: the hard families show two.
    argv, parse, before = zonix_command(tools, case, outdir / "zonix", threads=1)
    z = Timed("zonix", argv, outdir / "zonix", case.key + "-" + slug(case.group), opts.timeout,
              parse, before)
    z.res.argv = argv
    z.step(last=opts.runs == 1)
    first = None if z.stopped else z.res.times[0]
    size = case.params[:2]
    timed = [z]
    for v in variants(case.group):
        series = (case.group, case.family, v)
        if any(all(a >= b for a, b in zip(size, small)) for small in timed_out.get(series, [])):
            r = Result(v)
            r.status, r.detail = "skipped", "timed out on a smaller instance"
            case.results[v] = r
            continue
        argv, parse, before = zonix_command(tools, case, outdir / slug(v), v, threads=1)
        limit = opts.peer_timeout if first is None else \
            min(opts.peer_timeout, max(opts.min_timeout, opts.exact_factor * first))
        timed.append(Timed(v, argv, outdir / slug(v), case.key + "-" + slug(case.group), limit,
                           parse, before))
    # The arithmetics take turns, run by run, so that their ratios are not
    # a drift of the machine's load; short runs are noisy, so they run more.
    runs = runs_after(first, opts.runs)
    for i in range(runs):
        for t in timed:
            if not t.stopped and not (t is z and i == 0):
                t.step(last=i == runs - 1)
    for t in timed:
        case.results[t.res.tool] = t.res
        if t is not z and t.res.status == "timeout":
            timed_out.setdefault((case.group, case.family, t.res.tool), []).append(size)
    zmed = z.res.median if z.res.status == "ok" else None
    # Where double precision fails, peers are held to exact arithmetic's time.
    ex = case.results.get("exact")
    zref = zmed if zmed is not None else (ex.median if ex and ex.status == "ok" else None)
    for peer in PEERS[case.group]:
        series = (case.group, case.family, peer)
        if any(all(a >= b for a, b in zip(size, small)) for small in timed_out.get(series, [])):
            r = Result(peer)
            r.status, r.detail = "skipped", "timed out on a smaller instance"
            case.results[peer] = r
            continue
        argv, parse = peer_command(tools, peer, case)
        if argv is None:
            r = Result(peer)
            r.status, r.detail = "n/a", parse
            case.results[peer] = r
            continue
        # A peer gets at most factor times zonix's time, within bounds.
        limit = opts.peer_timeout / 2
        if zref is not None:
            limit = min(opts.peer_timeout, max(opts.min_timeout, opts.factor * zref))
        r = measure(peer, argv, outdir / slug(peer), case.key + "-" + slug(case.group), opts.runs,
                    limit, parse)
        if r.status == "timeout":
            timed_out.setdefault(series, []).append(size)
        case.results[peer] = r
    check_answers(case)


def hard_tools(tools):
    """(result key, threads) for zonix, then the peers with no thread count."""
    zs = [("zonix", 1), (ZONIX_2T, 2)]
    return zs + [(p, None) for p in PEERS[HARD]]


def run_hard_case(tools, case, work, opts, timed_out, clock):
    """Every tool under the same limit; clock["end"] is when the group stops
    starting runs (a run is never given more than what is left)."""
    outdir = work / "out"
    limit_full = opts.hard_limit
    zonix_runs = []  # zonix's thread counts, timed in turns
    for tool, threads in hard_tools(tools):
        if tool not in ("zonix", ZONIX_2T) and zonix_runs:
            time_zonix_in_turns(case, zonix_runs, opts, timed_out, limit_full)
            zonix_runs = []
        r = None
        series = (case.group, case.family, tool)
        left = clock["end"] - time.perf_counter()
        if any(case.params[0] >= small for small in timed_out.get(series, [])):
            r = Result(tool)
            r.status, r.detail = "skipped", "timed out on a smaller instance"
        elif tool == ZONIX_2T and not tools.threads():
            r = Result(tool)
            r.status, r.detail = "n/a", "no --threads option"
        elif left < min(5.0, limit_full):
            r = Result(tool)
            r.status, r.detail = "skipped", "the group's time was up"
        if r is None and tool in ("zonix", ZONIX_2T):
            argv, parse, before = zonix_command(tools, case, outdir / slug(tool), "double",
                                                threads)
            zonix_runs.append(Timed(tool, argv, outdir / slug(tool), case.key + "-hard",
                                    min(limit_full, left), parse, before))
            continue
        if r is None:
            argv, parse = peer_command(tools, tool, case)
            limit = min(limit_full, left)
            r = measure(tool, argv, outdir / slug(tool), case.key + "-hard", opts.runs, limit,
                        parse, None, enough=HARD_REPEAT_BELOW)
            note_hard_timeout(case, r, limit, limit_full, timed_out)
        case.results[tool] = r
    if zonix_runs:
        time_zonix_in_turns(case, zonix_runs, opts, timed_out, limit_full)
    check_hard_answers(case)


def time_zonix_in_turns(case, timed, opts, timed_out, limit_full):
    """The thread counts take turns, run by run, so that the speed-up is not
    a drift of the machine's speed, which on a shared machine can move by
    a third within minutes; a turn is repeated while they take under
    HARD_TURNS_BELOW seconds in all."""
    first = timed[0].res.times
    i = 0
    while i < (runs_after(first[0], opts.runs) if first else 1):
        spent = sum(sum(t.res.times) for t in timed)
        if i > 0 and spent >= HARD_TURNS_BELOW:
            break
        i += 1
        for t in timed:
            if not t.stopped:
                t.step()
    for t in timed:
        r = t.res
        if not t.stopped:
            t.read_answer()
        case.results[r.tool] = r
        note_hard_timeout(case, r, t.timeout, limit_full, timed_out)


def note_hard_timeout(case, r, limit, limit_full, timed_out):
    """A run that timed out under the full limit skips the family's larger
    instances for its tool; under a shorter one (the group's time running
    out) it says nothing about them."""
    if r.status != "timeout":
        return
    r.detail = "> %.0f s" % limit
    if limit == limit_full:
        timed_out.setdefault((case.group, case.family, r.tool), []).append(case.params[0])


def check_hard_answers(case):
    """Vertex counts against the known count, else against an exact peer's
    (zonix's when no peer finished)."""
    case.expected = expected_vertices(case.family, case.params[0])
    order = PEERS[HARD] + ["zonix", ZONIX_2T]
    if case.expected is not None:
        ref, ref_tool = {"vertices": case.expected, "rays": 0, "lines": 0}, "expected"
    else:
        ok = [t for t in order if case.results[t].status == "ok"]
        ref_tool = ok[0] if ok else None
        ref = case.results[ref_tool].answer if ref_tool else None
    case.ref_tool = ref_tool
    z = case.results["zonix"]
    for t in order:
        r = case.results[t]
        if r.status != "ok" or ref is None or t == ref_tool:
            continue
        good, why = agrees(HARD, r.answer, ref)
        r.reference = ref_tool
        if not good:
            r.status, r.detail = "disagrees", why
    # Times compare whatever the answers.
    for t in order:
        r = case.results[t]
        if t != "zonix" and r.status in ("ok", "disagrees") and r.median and \
                z.status in ("ok", "disagrees") and z.median:
            r.ratio = r.median / z.median


# ---- volume ----------------------------------------------------------------------------

ZONIX_VOLUME_TOOLS = [("zonix exact", "exact"), ("zonix double", "double")]


def zonix_volume_argv(tools, case, arith):
    return [str(tools.zonix), "volume", str(case.input), "--arithmetic", arith] + \
        (["--threads", "1"] if tools.threads() else [])


def normaliz_input(case):
    """The V form in normaliz's notation: each point with its denominator
    as a last coordinate."""
    rows, _ = read_matrix(Path(case.input).read_text())
    out = Path(str(case.input) + ".nmz.in")
    lines = []
    for row in rows:
        nums = [x.split("/") for x in row[1:]]
        den = 1
        for n in nums:
            if len(n) == 2:
                den = den * int(n[1]) // math.gcd(den, int(n[1]))
        vals = [int(n[0]) * (den // int(n[1])) if len(n) == 2 else int(n[0]) * den for n in nums]
        lines.append(" ".join(str(v) for v in vals + [den]))
    out.write_text("amb_space %d\nvertices %d\n%s\n" % (len(rows[0]) - 1, len(rows),
                                                          "\n".join(lines)))
    return out


def volume_value(text, dims):
    """A tool's volume from its output, as a float."""
    m = re.search(r"^decimal (\S+)$", text, re.M) or re.search(r"^volume (\S+)$", text, re.M)
    if m:
        return float(m.group(1))
    m = re.search(r"volume \(lattice normalized\) = (\d+)(?:/(\d+))?", text)
    if m:
        return int(m.group(1)) / (int(m.group(2) or 1) * math.factorial(dims))
    # qconvex: "Total volume" when every facet is a simplex.
    m = re.search(r"(?:Approximate|Total) volume:\s*(\S+)", text)
    if m:
        return float(m.group(1))
    raise ValueError("no volume")


def run_volume_case(tools, case, work, opts):
    outdir = work / "out" / "volume"
    dims = int(case.size.split()[-1]) - 1
    nmz = normaliz_input(case)
    timeds = []
    for tool, arith in ZONIX_VOLUME_TOOLS:
        argv = zonix_volume_argv(tools, case, arith)
        timeds.append(Timed(tool, argv, outdir, case.key + "-" + slug(tool), opts.timeout,
                            lambda so, se: {"volume": volume_value(so, dims),
                                            "exact": re.search(r"^volume \d+(/\d+)?$", so, re.M) is not None}))
    peers = {"normaliz": (["normaliz", "-V", "-x=1", str(nmz)],
                          lambda so, se: {"volume": volume_value(
                              Path(str(nmz)[:-3] + ".out").read_text(), dims)}),
             "qconvex": (["qconvex", "s", "FA", "TI", str(case.qhull)],
                         lambda so, se: {"volume": volume_value(so + se, dims)})}
    for p in PEERS[VOLUME]:
        argv, parse = peers[p]
        if p == "qconvex" and case.qhull is None:
            r = Result(p)
            r.status, r.detail = "n/a", "no qhull input"
            case.results[p] = r
        elif not which(argv[0]):
            r = Result(p)
            r.status, r.detail = "n/a", "%s is not installed" % argv[0]
            case.results[p] = r
        else:
            timeds.append(Timed(p, argv, outdir, case.key + "-" + p, opts.peer_timeout, parse))
    # Every tool in turns: the instances are milliseconds.
    for r in measure_in_turns(timeds, opts.runs):
        case.results[r.tool] = r
    r = case.results["zonix exact"]
    if r.status == "ok" and not r.answer["exact"]:
        r.status, r.detail = "disagrees", "no exact fraction"
    ref = case.results["normaliz"]
    z = case.results["zonix exact"]
    for t, r in case.results.items():
        if r.status != "ok":
            continue
        other = ref if t != "normaliz" else z
        if other.status == "ok":
            a, b = r.answer["volume"], other.answer["volume"]
            # qconvex prints eight digits
            tol = 1e-7 if "qconvex" in (t, other.tool) else 1e-9
            if abs(a - b) > tol * max(abs(b), 1e-300):
                r.status, r.reference, r.detail = "disagrees", other.tool, "%.12g vs %.12g" % (a, b)
    # Each peer beside zonix in its own arithmetic.
    for p, mine in (("normaliz", "zonix exact"), ("qconvex", "zonix double")):
        r, zr = case.results[p], case.results[mine]
        if r.status == "ok" and zr.status == "ok" and zr.median:
            r.ratio = r.median / zr.median


def run_project_case(tools, case, work, opts):
    """zonix's own choice (auto, in auto arithmetic) beside the vertex route
    (extreme, drop the coordinates, hull), each a process of project_family."""
    outdir = work / "out" / "project"
    parse = (lambda so, se: {"rows": int(re.search(r"rows (-?\d+)", so).group(1))})
    for tool, route, limit in (("zonix", "auto", opts.timeout),
                               ("vertex route", "vertex", opts.peer_timeout)):
        argv = [str(tools.proj), route, str(case.input)]
        case.results[tool] = measure(tool, argv, outdir, "%s-%s" % (case.key, route), opts.runs,
                                     limit, parse, enough=limit)
    z, v = case.results["zonix"], case.results["vertex route"]
    if z.status == "ok" and v.status == "ok":
        if z.answer["rows"] != v.answer["rows"]:
            v.status, v.reference, v.detail = "disagrees", "zonix", "%d rows vs %d" % (
                v.answer["rows"], z.answer["rows"])
        elif z.median:
            v.ratio = v.median / z.median


def project_section(cases, opts):
    md = ["", "## " + PROJ, "",
          "`project` as the library runs it by default (method and arithmetic auto, the "
          "answer reduced) beside the vertex route a user takes by hand: the vertices by a "
          "conversion, the kept coordinates, and the facets of those by a second conversion "
          "(both in double precision). Each is a process of bench/project_family (generation "
          "included, the same for both); the ratio is the vertex route's time over zonix's, "
          "so above 1× zonix is faster, and the goal is above 0.5×. The vertex route gets "
          "%g s; both answers must have as many rows." % opts.peer_timeout,
          "",
          "| Instance | Input | Rows | zonix s | vertex route s (×) |",
          "|---|---|---:|---:|---:|"]
    for c in cases:
        z = c.results["zonix"]
        rows = str(z.answer["rows"]) if z.status == "ok" else "–"
        md.append("| %s | %s | %s | %s | %s |" % (c.name, c.size, rows, cell(z),
                                                  cell(c.results["vertex route"])))
    return md


def volume_section(cases, opts):
    md = ["", "## " + VOLUME, "",
          "`zonix volume` (the command-line tool) on V polytopes: with `--arithmetic exact` "
          "(a pulling triangulation over the certified conversion's faces, its determinants "
          "in 64-bit integers with GMP beyond them, the answer a fraction) beside "
          "`normaliz -V -x=1` (exact), and with `--arithmetic double` beside `qconvex s FA` "
          "(floating point). Times are whole processes as for every tool here; the four "
          "take turns, run by run (median of %d runs where the first took under %g s), so "
          "that the machine's drifts fall on all of them alike. Ratios: "
          "normaliz over zonix exact, qconvex over zonix double (above 1× zonix is faster). "
          "Answers checked against normaliz to 1e-9 (qconvex, which prints eight digits, to "
          "1e-7); an exact answer that is no fraction counts as a failure." % (max(opts.runs, TINY_RUNS), TINY_RUN),
          "",
          "| Instance | Input | Volume | zonix exact s | zonix double s | normaliz s (×) | "
          "qconvex s (×) |",
          "|---|---|---:|---:|---:|---:|---:|"]
    for c in cases:
        ze, zd = c.results["zonix exact"], c.results["zonix double"]
        vol = "–"
        for r in (ze, c.results["normaliz"], zd):
            if r.status == "ok":
                vol = "%.10g" % r.answer["volume"]
                break
        md.append("| %s | %s | %s | %s | %s | %s | %s |" % (
            c.name, c.size, vol, cell(ze), cell(zd),
            cell(c.results["normaliz"]), cell(c.results["qconvex"])))
    return md


def slug(s):
    return re.sub(r"[^a-z0-9]+", "-", s.lower()).strip("-")


def check_answers(case):
    z = case.results["zonix"]
    ref, ref_tool = None, None
    if z.status == "ok":
        ref, ref_tool = z.answer, "zonix"
    else:
        for p in PEERS[case.group]:
            r = case.results.get(p)
            if r and r.status == "ok" and p in EXACT_PEERS:
                ref, ref_tool = r.answer, p
                break
    case.ref_tool = ref_tool
    for p in variants(case.group) + PEERS[case.group]:
        r = case.results[p]
        if r.status != "ok" or ref is None or p == ref_tool:
            continue
        ok, why = agrees(case.group, r.answer, ref)
        r.reference = ref_tool
        if not ok:
            r.status, r.detail = "disagrees", why
        elif case.group == LP:
            r.detail = why
        if r.status == "ok" and z.status == "ok":
            r.ratio = r.median / z.median if z.median > 0 else None
    # zonix against the exact peers when these agree with each other.
    if z.status == "ok":
        exact = [case.results[p] for p in PEERS[case.group]
                 if p in EXACT_PEERS and case.results[p].answer is not None]
        if exact and all(agrees(case.group, e.answer, exact[0].answer)[0] for e in exact) \
                and not agrees(case.group, z.answer, exact[0].answer)[0]:
            z.detail = "≠ %s: %s" % (
                ", ".join(e.tool for e in exact), show_answer(case.group, exact[0].answer))


def cell(r):
    """The time column of a result."""
    if r.status == "ok":
        return "%s (%s)" % (fmt_s(r.median), fmt_ratio(r.ratio)) if r.ratio else fmt_s(r.median)
    if r.status == "disagrees":
        return "**≠ %s** (%s; %s s)" % (r.reference, r.detail, fmt_s(r.median))
    if r.status == "timeout":
        return "%s" % r.detail
    if r.status == "failed":
        return "failed (%s)" % r.detail.replace("|", "/")
    if r.status == "skipped":
        return "skipped"
    return "n/a"


def machine_facts():
    facts = {}
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                facts["CPU"] = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    facts["cores"] = str(os.cpu_count())
    try:
        kb = int(re.search(r"MemTotal:\s+(\d+)", Path("/proc/meminfo").read_text()).group(1))
        facts["memory"] = "%.1f GiB" % (kb / 1024 / 1024)
    except (OSError, AttributeError):
        pass
    try:
        facts["OS"] = re.search(r'PRETTY_NAME="([^"]*)"', Path("/etc/os-release").read_text()).group(1)
    except (OSError, AttributeError):
        pass
    facts["kernel"] = platform.release()
    return facts


def first_line(argv, pattern=None):
    try:
        p = subprocess.run(argv, capture_output=True, text=True, timeout=20,
                           stdin=subprocess.DEVNULL)
    except (OSError, subprocess.TimeoutExpired):
        return "?"
    text = p.stdout + p.stderr
    if pattern:
        m = re.search(pattern, text)
        return m.group(0).strip() if m else "?"
    return text.strip().splitlines()[0] if text.strip() else "?"


def deb_version(pkg):
    return first_line(["dpkg-query", "-W", "-f=${Version}", pkg])


def versions(tools, work):
    tiny = work / "tiny.ine"
    tiny.write_text("H-representation\nbegin\n1 2 integer\n1 1\nend\n")
    return [
        ("zonix", first_line([str(tools.zonix), "--version"])),
        ("lrs, redund", first_line(["lrs", str(tiny)], r"lrslib v\.[^)]*\)") +
         " (Debian lrslib %s)" % deb_version("lrslib")),
        ("PPL", first_line([str(tools.ppl), "--version"]) +
         " (Debian libppl-dev %s)" % deb_version("libppl-dev")),
        ("qhull", first_line(["qconvex", "-V"]) + " (Debian qhull-bin %s)" % deb_version("qhull-bin")),
        ("glpsol", first_line(["glpsol", "--version"]) + " (Debian glpk-utils %s)" %
         deb_version("glpk-utils")),
        ("normaliz", first_line(["normaliz", "--version"]) + " (Debian normaliz %s)" %
         deb_version("normaliz")),
        ("compiler", first_line(["c++", "--version"])),
    ]


def furthest_behind(cases, n):
    """The n (case, peer, ratio) with the smallest peer/zonix time ratios,
    one for each workload (group and family)."""
    worst = {}
    for c in cases:
        if c.group in (HARD, VOLUME, APP, PROJ):  # their own tables; too slow to profile
            continue
        for p in PEERS[c.group]:
            r = c.results.get(p)
            key = (c.group, c.family)
            if r and r.status == "ok" and r.ratio is not None:
                if key not in worst or r.ratio < worst[key][2]:
                    worst[key] = (c, p, r.ratio)
    return sorted(worst.values(), key=lambda t: t[2])[:n]


def exactness_section(cases):
    """Per family: exact and auto over double, and the exact peers over exact."""
    def ratio(a, b):
        return a.median / b.median if a and b and a.status == "ok" and b.status == "ok" \
            and b.median else None

    def gmean(xs):
        xs = [x for x in xs if x is not None]
        return math.exp(sum(math.log(x) for x in xs) / len(xs)) if xs else None

    fams = {}
    for c in cases:
        if c.group in (HARD, VOLUME, APP, PROJ):  # no exact and auto runs there, or their own tables
            continue
        r = c.results
        f = fams.setdefault((c.group, c.family), {"n": 0, "e": [], "a": [], "p": [], "l": []})
        f["n"] += 1
        f["e"].append(ratio(r.get("exact"), r["zonix"]))
        f["a"].append(ratio(r.get("auto"), r["zonix"]))
        f["p"].append(ratio(r.get("PPL"), r.get("exact")))
        f["l"].append(ratio(r.get("lrs") or r.get("redund"), r.get("exact")))
    if not fams:
        return []
    out = ["", "## The cost of exactness", "",
           "Geometric means over a family's instances (those where both runs ended): "
           "exact and auto are over zonix's double precision time (below 1.1× for auto, "
           "below 3× for exact are the goals); PPL and lrs/redund are over zonix exact's time "
           "(above 1× zonix exact is faster).", "",
           "| Group | Family | instances | exact / double | auto / double | PPL / exact | "
           "lrs or redund / exact |", "|---|---|---:|---:|---:|---:|---:|"]
    for (g, fam), f in fams.items():
        out.append("| %s | %s | %d | %s |" % (g, fam, f["n"], " | ".join(
            fmt_ratio(gmean(f[k])) or "–" for k in "eapl")))
    return out


def profile(case, work):
    """zonix under callgrind: its instructions by function, inlined parts folded in."""
    z = case.results["zonix"]
    if not which("valgrind") or not which("callgrind_annotate"):
        return "valgrind is not installed"
    out = work / "profiles" / ("callgrind-%s-%s.out" % (slug(case.group), case.key))
    out.parent.mkdir(parents=True, exist_ok=True)
    argv = ["valgrind", "--tool=callgrind", "--callgrind-out-file=%s" % out] + list(z.argv)
    subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if not out.exists():
        return "callgrind did not run"
    text = subprocess.run(["callgrind_annotate", "--inclusive=no", "--threshold=100", "--auto=no",
                           str(out)], capture_output=True, text=True).stdout
    total, by_function = None, {}
    for line in text.splitlines():
        m = re.match(r"^\s*([\d,]+)\s+\(\s*[\d.]+%\)\s+(.*)$", line)
        if not m:
            continue
        count, where = int(m.group(1).replace(",", "")), m.group(2)
        if where.strip() == "PROGRAM TOTALS":
            total = count
            continue
        # "file:function [object]"; a function inlined elsewhere shows once
        # per file it came from.
        where = re.sub(r"\s+\[[^\]]*\]$", "", where)
        fn = where.split(":", 1)[1] if ":" in where else where
        fn = fn.replace("(anonymous namespace)::", "")
        fn = re.sub(r"\(.*$", "", fn).strip() or where
        by_function[fn] = by_function.get(fn, 0) + count
    if not total:
        return "no profile data"
    lines = ["%s instructions (%s s without callgrind)" % ("{:,}".format(total),
                                                           fmt_s(z.median))]
    for fn, count in sorted(by_function.items(), key=lambda kv: -kv[1])[:12]:
        lines.append("%5.1f%%  %s" % (100.0 * count / total, fn))
    return "\n".join(lines)


def hard_label(c):
    return "%s(%d)" % (HARD_LABEL[c.family], c.params[0])


def hard_section(cases, opts, facts, threads, load):
    """The hard families' table with the words that say how it was run."""
    lim = "%.0f" % opts.hard_limit
    zcols = (["zonix 1 thread s", "MiB", "zonix 2 threads s (×)", "MiB"] if threads
             else ["zonix s (1 thread)", "MiB"])
    md = ["", "## " + HARD, "",
          "Written by `%s` on %s. H to V on degenerate polytopes, each made "
          "from its definition by bench/families.cpp: MET(n), the metric polytope (x_ij for "
          "i < j; for every triple the three triangle inequalities and x_ij + x_ik + x_jk ≤ 2); "
          "B(n), the Birkhoff polytope (x_ij ≥ 0, row and column sums 1 as equations); P(n), the "
          "permutahedron (Σ x_i = n(n+1)/2, and Σ_S x_i ≥ |S|(|S|+1)/2 for every nonempty proper "
          "subset S); CUT(n), the cut polytope of K_n by its facets, which lrs computes from the "
          "2^(n-1) cut vectors when the input is made (the facet count is checked: 368 for "
          "CUT(6))." % (opts.command, datetime.datetime.now().strftime("%Y-%m-%d %H:%M")),
          "",
          "zonix: `zonix convert --arithmetic double%s`, %s, on a machine with %s cores (%s; "
          "load average %s at the group's start, %s at its end; the machine is shared, so "
          "times vary). Each tool gets at most %s s on an instance (> %s s: stopped there), "
          "one run, repeated up to %d runs (median; %d where the first took under %g s) while "
          "its runs take under %g s in all (zonix's thread counts take turns, run by run, so that the speed-up is not a drift "
          "of the machine's speed, while their runs take under %g s in all); a "
          "tool is not run on a larger instance of a family after a timeout, and the group "
          "stops within %g minutes (a run gets at most the time left, and none starts in the "
          "last seconds). Memory: peak resident size in MiB. (×): the time "
          "over zonix's with 1 thread. Answers are vertex counts, checked against the known "
          "count (n! for B(n) and P(n), 2^(n-1) for CUT(n), 32 and 544 for MET(5) and MET(6)) and elsewhere "
          "against lrs or PPL: **≠** marks a disagreement." % (
              " --threads N" if threads else "",
              "with 1 thread and with 2 threads" if threads else
              "one thread (this build has no --threads option)",
              facts.get("cores", "?"), facts.get("CPU", "?"), load[0], load[1], lim, lim,
              opts.runs, max(opts.runs, TINY_RUNS), TINY_RUN, HARD_REPEAT_BELOW,
              HARD_TURNS_BELOW, HARD_BUDGET / 60),
          ""]
    head = ["Instance", "Input", "Vertices (known)", "Answer"] + zcols
    for p in PEERS[HARD]:
        head += ["%s s (×)" % p, "MiB"]
    md.append("| " + " | ".join(head) + " |")
    md.append("|" + "|".join(["---"] * 4 + ["---:"] * (len(head) - 4)) + "|")
    for c in cases:
        answered = [c.results[t] for t in ["zonix", ZONIX_2T] + PEERS[HARD]
                    if c.results[t].status == "ok"]
        ans = "–"
        if answered:
            ans = "%s (%s)" % (show_answer(HARD, answered[0].answer), answered[0].tool.replace(
                ZONIX_2T, "zonix"))
        row = [hard_label(c), c.size, "–" if c.expected is None else str(c.expected), ans]
        for t in (["zonix", ZONIX_2T] if threads else ["zonix"]) + PEERS[HARD]:
            r = c.results[t]
            shown = "skipped (%s)" % r.detail if r.status == "skipped" and r.detail else cell(r)
            row += [shown, fmt_mib(r.kib)]
        md.append("| " + " | ".join(row) + " |")
    return md


# ---- application cones ----------------------------------------------------------------
# Every tool under the same limit per instance and the group under a budget,
# as the hard families; zonix's three arithmetics take turns, run by run.

APP_LIMIT = 60.0
APP_BUDGET = 30 * 60.0
APP_REPEAT_BELOW = 2.0  # seconds a tool has spent on an instance before its runs stop
APP_TOOLS = ["zonix", "auto", "exact", "normaliz", "lrs"]
# The side that has no definition of its own: made from the family on the
# right by Normaliz once and kept in the data directory.
APP_DERIVED = {"magic-v": "magic-h", "contingency-h": "contingency-v"}


def read_text_matrix(path):
    """(representation "H" or "V", rows as words, 1-based linearity set)."""
    lines = Path(path).read_text().splitlines()
    rep = None
    for line in lines:
        w = line.split()
        if w and w[0] in ("H-representation", "V-representation"):
            rep = w[0][0]
            break
    rows, lin = read_matrix("\n".join(lines))
    return rep, rows, lin


def app_normaliz_input(path):
    """The .ine/.ext file in Normaliz's notation, or None where it has none:
    rays as a cone, points as a polytope (amb_space counts the
    homogenising coordinate there), inequalities with or without constants."""
    rep, rows, lin = read_text_matrix(path)
    d = len(rows[0]) - 1
    first = {number(r[0]) for r in rows}
    out = []

    def block(kind, rs):
        if rs:
            out.append("%s %d" % (kind, len(rs)))
            out.extend(" ".join(r) for r in rs)

    if rep == "V":
        if lin:
            return None
        if first == {0.0}:
            out.append("amb_space %d" % d)
            block("cone", [r[1:] for r in rows])
        elif first == {1.0}:
            out.append("amb_space %d" % (d + 1))
            block("polytope", [r[1:] for r in rows])
        else:
            return None
    else:
        ineq = [r for k, r in enumerate(rows, 1) if k not in lin]
        eq = [r for k, r in enumerate(rows, 1) if k in lin]
        out.append("amb_space %d" % d)
        if first == {0.0}:
            block("inequalities", [r[1:] for r in ineq])
            block("equations", [r[1:] for r in eq])
        else:
            block("inhom_inequalities", [r[1:] + r[:1] for r in ineq])
            block("inhom_equations", [r[1:] + r[:1] for r in eq])
    return "\n".join(out) + "\n"


def normaliz_sections(text):
    """{"extreme rays": rows, "support hyperplanes": rows, "equations": rows}
    from a Normaliz .out file (the listed sections only)."""
    lines = text.splitlines()
    out = {}
    for i, line in enumerate(lines):
        m = re.match(r"^(\d+) (extreme rays|support hyperplanes|equations):$", line.strip())
        if m:
            n = int(m.group(1))
            out[m.group(2)] = [lines[i + 1 + k].split() for k in range(n)]
    return out


def normaliz_counts(text, h_input):
    head = dict((k, int(n)) for n, k in re.findall(
        r"^(\d+) (extreme rays|support hyperplanes)$", text, re.M))
    if h_input:
        return {"rays": head["extreme rays"]}
    eq = re.search(r"^(\d+) equations:$", text, re.M)
    return {"facets": head["support hyperplanes"], "equations": int(eq.group(1)) if eq else 0}


def app_derived(tools, case, base):
    """The family's other side: Normaliz converts the defining instance, and
    the result is written as an .ine or .ext (kept: later runs read it)."""
    src = APP_DERIVED[case.family]
    h = case.family.endswith("-h")
    path = base.with_suffix(".ine" if h else ".ext")
    if not path.exists():
        sbase = base.parent / ("%s-%s" % (src, "-".join(str(p) for p in case.params)))
        subprocess.run([str(tools.gen), src] + [str(p) for p in case.params] + ["--out",
                       str(sbase)], capture_output=True, text=True, check=True)
        sfile = sbase.with_suffix(".ext" if h else ".ine")
        nin = sbase.with_suffix(".in")
        nin.write_text(app_normaliz_input(sfile))
        subprocess.run(["normaliz", "-s", "-x=1", str(nin)], capture_output=True, check=True,
                       timeout=3600)
        sec = normaliz_sections(sbase.with_suffix(".out").read_text())
        name = case.family + "-" + "-".join(str(p) for p in case.params)
        if h:
            ineq, eq = sec["support hyperplanes"], sec.get("equations", [])
            rows = [["0"] + r for r in eq + ineq]
            lin = "linearity %d %s\n" % (len(eq), " ".join(str(k) for k in range(1, len(eq) + 1))) \
                if eq else ""
            text = "%s\nH-representation\n%sbegin\n%d %d integer\n%s\nend\n" % (
                name, lin, len(rows), len(rows[0]), "\n".join(" ".join(r) for r in rows))
        else:
            rows = [["0"] + r for r in sec["extreme rays"]]
            text = "%s\nV-representation\nbegin\n%d %d integer\n%s\nend\n" % (
                name, len(rows), len(rows[0]), "\n".join(" ".join(r) for r in rows))
        path.write_text(text)
    _, rows, _ = read_text_matrix(path)
    case.name = path.stem
    case.size = "%d × %d" % (len(rows), len(rows[0]))
    case.input = path


def app_command(tools, tool, case, outdir):
    """argv and answer parser of a tool, or (None, why)."""
    if tool in ("zonix", "auto", "exact"):
        argv, parse, _ = zonix_command(tools, case, outdir, "double" if tool == "zonix" else tool,
                                       threads=1)
        return argv, parse
    if tool == "lrs":
        return peer_command(tools, "lrs", case)
    if not which("normaliz"):
        return None, "normaliz is not installed"
    text = app_normaliz_input(case.input)
    if text is None:
        return None, "no Normaliz input"
    outdir.mkdir(parents=True, exist_ok=True)
    nin = outdir / (case.key + ".in")
    nin.write_text(text)
    return ["normaliz", "-s", "-x=1", str(nin)], \
        (lambda so, se: normaliz_counts(nin.with_suffix(".out").read_text(), case.h))


def app_answer(case, ans):
    """Counts comparable across the tools: the extreme rays of a cone given
    by inequalities (lrs and zonix add its apex as a vertex), the facets
    and equations of a V input."""
    if ans is None or not case.h or "vertices" not in ans:
        return ans
    return {"rays": ans["rays"]}


def run_app_case(tools, case, work, opts, timed_out, clock):
    outdir = work / "out"
    t0 = time.perf_counter()
    if "end" not in clock:
        clock["end"] = t0 + APP_BUDGET
    limit_full = APP_LIMIT if not opts.quick else 20.0
    zonix_runs = []
    for tool in APP_TOOLS:
        if tool not in ("zonix", "auto", "exact") and zonix_runs:
            app_turns(case, zonix_runs, opts, timed_out, limit_full)
            zonix_runs = []
        series = (case.group, case.family, tool)
        left = clock["end"] - time.perf_counter()
        r = Result(tool)
        if any(all(a >= b for a, b in zip(case.params, small))
               for small in timed_out.get(series, [])):
            r.status, r.detail = "skipped", "timed out on a smaller instance"
        elif left < min(5.0, limit_full):
            r.status, r.detail = "skipped", "the group's time was up"
        else:
            argv, parse = app_command(tools, tool, case, outdir / slug(tool))
            if argv is None:
                r.status, r.detail = "n/a", parse
            else:
                limit = min(limit_full, left)
                if tool in ("zonix", "auto", "exact"):
                    zonix_runs.append(Timed(tool, argv, outdir / slug(tool), case.key + "-app",
                                            limit, parse))
                    continue
                r = measure(tool, argv, outdir / slug(tool), case.key + "-app", opts.runs,
                            limit, parse, None, enough=APP_REPEAT_BELOW)
                app_timeout(case, r, limit, limit_full, timed_out)
        case.results[tool] = r
    if zonix_runs:
        app_turns(case, zonix_runs, opts, timed_out, limit_full)
    # Processes of a few milliseconds are mostly their start: timed again,
    # every such tool in turns with the others, so that no drift of the
    # machine lands on one tool's runs.
    tiny = [t for t in APP_TOOLS if case.results[t].status == "ok" and case.results[t].median < TINY_RUN]
    if "zonix" in tiny and len(tiny) > 1:
        timeds = []
        for tool in tiny:
            argv, parse = app_command(tools, tool, case, outdir / slug(tool))
            timeds.append(Timed(tool, argv, outdir / slug(tool), case.key + "-app", limit_full, parse))
        for r in measure_in_turns(timeds, opts.runs):
            if r.status == "ok":
                case.results[r.tool].times = r.times
    check_app_answers(case)
    log("  %-18s %-28s %s  [%.0f s]" % (case.group, case.name, "  ".join(
        "%s %s" % (t, cell(case.results[t])) for t in APP_TOOLS), time.perf_counter() - t0))


def app_turns(case, timed, opts, timed_out, limit_full):
    """zonix's arithmetics in turns, run by run, so that their ratios are
    not a drift of the machine's load."""
    first = timed[0].res.times
    i = 0
    while i < (runs_after(first[0], opts.runs) if first else 1):
        if i > 0 and sum(sum(t.res.times) for t in timed) >= APP_REPEAT_BELOW:
            break
        i += 1
        for t in timed:
            if not t.stopped:
                t.step()
    for t in timed:
        if not t.stopped:
            t.read_answer()
        case.results[t.res.tool] = t.res
        app_timeout(case, t.res, t.timeout, limit_full, timed_out)


def app_timeout(case, r, limit, limit_full, timed_out):
    if r.status != "timeout":
        return
    r.detail = "> %.0f s" % limit
    if limit == limit_full:
        timed_out.setdefault((case.group, case.family, r.tool), []).append(case.params)


def check_app_answers(case):
    """Counts against Normaliz's, else lrs's, else zonix exact's."""
    for r in case.results.values():
        r.answer = app_answer(case, r.answer)
    ok = [t for t in ("normaliz", "lrs", "exact") if case.results[t].status == "ok"]
    case.ref_tool = ok[0] if ok else None
    z = case.results["zonix"]
    for t in APP_TOOLS:
        r = case.results[t]
        if r.status == "ok" and case.ref_tool and t != case.ref_tool:
            good, why = agrees(APP, r.answer, case.results[case.ref_tool].answer)
            r.reference = case.ref_tool
            if not good:
                r.status, r.detail = "disagrees", why
        if t != "zonix" and r.status in ("ok", "disagrees") and r.median and \
                z.status in ("ok", "disagrees") and z.median:
            r.ratio = r.median / z.median


def app_section(cases, opts, facts):
    lim = "%.0f" % (APP_LIMIT if not opts.quick else 20.0)
    md = ["", "## " + APP, "",
          "Written by `%s` on %s. Cones and polytopes from algebraic combinatorics and "
          "statistics, made from their definitions by bench/families.cpp: magic-h-n, the cone "
          "of n × n magic squares (x ≥ 0; rows, columns and both diagonals with one sum); "
          "contingency-v-p-q-r, the cone of the columns of the p × q × r transportation matrix "
          "(the cell (i,j,k) in the line sums (i,j,·), (i,·,k) and (·,j,k)); birkhoff-v-n, the "
          "n! permutation matrices; cut-v-n, the 2^(n-1) cut vectors of K_n; knapsack-h/v-n-sS, "
          "{(x, t) ≥ 0 : a·x = b t} for a in [-9, 9]^n and b in [1, 9] drawn from seed S, by "
          "its facets and by the rays its definition gives. magic-v and contingency-h are the "
          "other side, converted once by Normaliz and kept in the bench's data directory." % (
              opts.command, datetime.datetime.now().strftime("%Y-%m-%d %H:%M")),
          "",
          "Every tool on one thread: zonix `convert --threads 1` with `--arithmetic double` "
          "(zonix), `auto` and `exact`; `normaliz -s -x=1` on the same rows in its notation; "
          "`lrs`, each writing to standard output (normaliz: its own file). Each gets at most %s s "
          "on an instance, one run, repeated up to %d runs (median; %d where the first took "
          "under %g s) while its runs take under %g s in all (zonix's arithmetics take turns; "
          "where zonix's runs took under that too, the tools as short are timed again, all in "
          "turns, run by run); a "
          "tool is not run on a larger instance of a family after a timeout, and the group "
          "stops within %g minutes. Machine: %s cores (%s). (×): the time over zonix's. "
          "Answers: extreme rays from facets, facets (+ equations) from generators, checked "
          "against Normaliz's counts, else lrs's: **≠** marks a disagreement." % (
              lim, opts.runs, max(opts.runs, TINY_RUNS), TINY_RUN, APP_REPEAT_BELOW, APP_BUDGET / 60,
              facts.get("cores", "?"),
              facts.get("CPU", "?")),
          ""]
    head = ["Instance", "Input", "Answer", "zonix s", "MiB", "auto s (×)", "exact s (×)",
            "normaliz s (×)", "MiB", "lrs s (×)", "MiB"]
    md.append("| " + " | ".join(head) + " |")
    md.append("|" + "|".join(["---"] * 3 + ["---:"] * (len(head) - 3)) + "|")
    for c in cases:
        ref = c.results[c.ref_tool] if c.ref_tool else None
        ans = "–" if ref is None else "%s (%s)" % (show_answer(APP, ref.answer), c.ref_tool)
        row = [c.name, c.size, ans]
        for t in APP_TOOLS:
            r = c.results[t]
            shown = "skipped (%s)" % r.detail if r.status == "skipped" and r.detail else cell(r)
            row.append(shown)
            if t in ("zonix", "normaliz", "lrs"):
                row.append(fmt_mib(r.kib))
        md.append("| " + " | ".join(row) + " |")
    return md


def split_sections(lines):
    """[(heading or None for the top, lines)] split at the "## " headings."""
    out = [(None, [])]
    for line in lines:
        if line.startswith("## "):
            out.append((line[3:].strip(), []))
        out[-1][1].append(line)
    return out


def generated_heading(h):
    return h in GROUPS or h in ("The cost of exactness", "Where zonix is furthest behind") or \
        h.startswith("Profiles")


def merge_results(old_text, new_lines, partial):
    """The new sections in place of the old ones of the same heading.  A
    partial run keeps every other old section and the old top; a full run
    keeps only the sections that no run writes (notes added by hand)."""
    old = split_sections(old_text.splitlines())
    new = split_sections(new_lines)
    if not old_text.strip():
        old, partial = [(None, [])], False
    fresh = {h: body for h, body in new if h is not None and (not partial or h in GROUPS)}
    out, placed = [], set()
    for h, body in old:
        if h is None:
            out.append((None, body if partial else new[0][1]))
        elif h in fresh:
            out.append((h, fresh[h]))
            placed.add(h)
        elif partial or not generated_heading(h):
            out.append((h, body))
    # A section new to the file goes after the last one that comes before it
    # in a run's order, else before the first that comes after it.
    order = [h for h, _ in new if h is not None and h in fresh]
    for k, h in enumerate(order):
        if h in placed:
            continue
        earlier = GROUPS[:GROUPS.index(h)] if h in GROUPS else order[:k]
        before = [i for i, (oh, _) in enumerate(out) if oh in earlier]
        after = [i for i, (oh, _) in enumerate(out)
                 if oh is not None and oh not in earlier and generated_heading(oh)]
        at = before[-1] + 1 if before else (after[0] if after else len(out))
        out.insert(at, (h, fresh[h]))
        placed.add(h)
    text = []
    for _, body in out:
        # Sections end with one blank line before the next heading.
        while body and not body[-1].strip():
            body = body[:-1]
        if text:
            text.append("")
        text += body
    return "\n".join(text) + "\n"


def write_results(cases, opts, facts, vers, started, finished, load, outdir, profiles,
                  tools_threads=False, hard_load=("?", "?")):
    outdir.mkdir(parents=True, exist_ok=True)
    md = []
    md.append("# zonix beside lrs, PPL, qhull and GLPK")
    md.append("")
    md.append("Written by `make bench` (bench/run_bench.py%s) on %s, %.0f minutes in all." % (
        " --quick" if opts.quick else "", started.strftime("%Y-%m-%d %H:%M"),
        (finished - started).total_seconds() / 60))
    md.append("")
    md.append("Every tool runs as a whole process (start, read the file, compute, write the "
              "result to standard output, which goes to a file) on the same input. Time: the median "
              "wall time of %d runs in seconds (%d where a tool's first run took under %g s, %d "
              "under %g s; zonix's three arithmetics take turns, run by run), measured around `/usr/bin/time` (which adds about a millisecond); the ratio is the "
              "peer's time over zonix's, so above 1× zonix is faster. Memory: the largest peak "
              "resident size in MiB. A peer gets at most %g× zonix's time (between %g s and %g s; "
              "%g s where zonix fails) and is not run on larger instances of a family after a "
              "timeout. Every answer is checked against zonix's counts (against an exact tool's "
              "where zonix fails): **≠ zonix** marks a peer that disagrees, and **≠ lrs** or "
              "**≠ PPL** beside zonix's answer marks where the exact tools agree with each other "
              "and not with zonix. zonix runs in double precision (`--arithmetic double`) on one thread (`--threads 1`), "
              "as its peers do; the "
              "columns exact and auto are the same command with `--arithmetic exact` and with "
              "`--arithmetic auto` (the default), their ratio their time over double's, so "
              "there above 1× is the cost of exactness." % (opts.runs, max(opts.runs, SHORT_RUNS), SHORT_RUN,
                                      max(opts.runs, TINY_RUNS), TINY_RUN, opts.factor, opts.min_timeout,
                                      opts.peer_timeout, opts.peer_timeout / 2))
    md.append("")
    md.append("Machine: " + "; ".join("%s %s" % (k, v) for k, v in facts.items()) +
              ". Load average at the start %s, at the end %s." % (load[0], load[1]))
    md.append("")
    md.append("Versions: " + "; ".join("%s: %s" % (k, v) for k, v in vers) + ".")
    md.append("")
    md.append("Peers: lrs computes exactly by reverse search (`lrs FILE`, `redund FILE`); PPL "
              "by the exact double description method through bench/ppl_driver (C_Polyhedron, "
              "minimized_generators/minimized_constraints; PPL has no vertex adjacency, so the "
              "driver derives it from PPL's incidences by the combinatorial test); qhull in "
              "floating point (`qhalf s Fp` about an interior point, `qconvex s n`); glpsol "
              "(`glpsol --lp FILE -w SOL`, one process per LP, as zonix's `zonix lp`).")
    for g in GROUPS:
        cs = [c for c in cases if c.group == g]
        if not cs:
            continue
        if g == HARD:
            md += hard_section(cs, opts, facts, tools_threads, hard_load)
            continue
        if g == VOLUME:
            md += volume_section(cs, opts)
            continue
        if g == PROJ:
            md += project_section(cs, opts)
            continue
        if g == APP:
            md += app_section(cs, opts, facts)
            continue
        md.append("")
        md.append("## " + g)
        md.append("")
        head = ["Instance", "Input", "Answer (zonix)", "zonix s", "MiB"]
        head += ["%s s (×)" % v for v in variants(g)]
        for p in PEERS[g]:
            head += ["%s s (×)" % p, "MiB"]
        md.append("| " + " | ".join(head) + " |")
        md.append("|" + "|".join(["---"] * 3 + ["---:"] * (len(head) - 3)) + "|")
        for c in cs:
            z = c.results["zonix"]
            ans = show_answer(g, z.answer) if z.status == "ok" else ""
            if z.detail and z.status == "ok":
                ans += " (**%s**)" % z.detail
            if z.status != "ok" and getattr(c, "ref_tool", None):
                ans = "(%s: %s)" % (c.ref_tool, show_answer(g, c.results[c.ref_tool].answer))
            row = [c.name, c.size, ans, cell(z), fmt_mib(z.kib)]
            row += [cell(c.results[v]) for v in variants(g)]
            for p in PEERS[g]:
                r = c.results[p]
                row += [cell(r), fmt_mib(r.kib)]
            md.append("| " + " | ".join(row) + " |")
    md += exactness_section(cases)
    behind = furthest_behind(cases, 3)
    if behind:
        md.append("")
        md.append("## Where zonix is furthest behind")
        md.append("")
        for c, p, ratio in behind:
            md.append("- %s, %s: %s takes %s of zonix's time (%s s against %s s)." % (
                c.group, c.name, p, fmt_ratio(ratio), fmt_s(c.results[p].median),
                fmt_s(c.results["zonix"].median)))
    if profiles:
        md.append("")
        md.append("## Profiles (callgrind, zonix's own instructions by function)")
        for title, text in profiles:
            md.append("")
            md.append("### " + title)
            md.append("")
            md.append("```")
            md.append(text)
            md.append("```")
    md_path = outdir / ("results-quick.md" if opts.quick else "results.md")
    old = md_path.read_text() if md_path.exists() else ""
    md_path.write_text(merge_results(old, md, bool(opts.only)))

    csv_path = md_path.with_suffix(".csv")
    kept = []
    if opts.only and csv_path.exists():
        with open(csv_path, newline="") as f:
            kept = [row for row in list(csv.reader(f))[1:] if row and row[0] not in opts.only]
    with open(csv_path, "w", newline="") as f:
        w = csv.writer(f)
        w.writerow(["group", "instance", "input", "tool", "status", "median_s", "runs_s",
                    "peak_kib", "answer", "ratio_to_zonix", "detail"])
        w.writerows(kept)
        for c in cases:
            for tool, r in c.results.items():
                w.writerow([c.group, c.name, c.size, tool, r.status,
                            "" if r.median is None else "%.4f" % r.median,
                            ";".join("%.4f" % t for t in r.times if t is not None),
                            "" if r.kib is None else r.kib, show_answer(c.group, r.answer),
                            "" if r.ratio is None else "%.3f" % r.ratio, r.detail])
    return md_path, csv_path


def group_name(s):
    for g in GROUPS:
        if s.lower() in (g.lower(), slug(g)):
            return g
    if s.lower() in GROUP_NAMES:
        return GROUP_NAMES[s.lower()]
    raise argparse.ArgumentTypeError("no group %r (%s)" % (s, ", ".join(
        list(GROUP_NAMES) + [slug(g) for g in GROUPS])))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--build", default=str(ROOT / "build"), help="the CMake build directory")
    ap.add_argument("--quick", action="store_true", help="small instances: a check of the pipeline")
    ap.add_argument("--only", action="append", type=group_name, metavar="GROUP",
                    help="run only this group (%s, or its heading)" % ", ".join(GROUP_NAMES))
    ap.add_argument("--runs", type=int, default=3, help="runs per tool and instance (median)")
    ap.add_argument("--profile", type=int, default=0, metavar="N",
                    help="callgrind profiles of zonix on the N instances where it is furthest behind")
    ap.add_argument("--out", help="where results.md and results.csv go "
                    "(default: bench/, or the build directory with --quick)")
    opts = ap.parse_args()
    opts.command = "make bench" if not opts.only and not opts.quick else \
        " ".join(["bench/run_bench.py"] + sys.argv[1:])
    opts.hard_limit = HARD_LIMIT if not opts.quick else 20.0
    opts.timeout = 20.0 if opts.quick else 60.0  # zonix
    opts.peer_timeout = 10.0 if opts.quick else 30.0
    opts.min_timeout = 5.0 if opts.quick else 10.0
    opts.factor = 10.0
    opts.exact_factor = 200.0  # exact may cost this much before it counts as a timeout

    build = Path(opts.build).resolve()
    tools = Tools(build)
    missing = tools.missing()
    if missing:
        sys.exit("run_bench: missing: %s (build the targets zonix, bench_gen, project_family and ppl_driver, "
                 "and run scripts/setup)" % ", ".join(missing))
    work = build / ("bench-work-quick" if opts.quick else "bench-work")
    data = work / "data"
    data.mkdir(parents=True, exist_ok=True)
    outdir = Path(opts.out) if opts.out else (build if opts.quick else HERE)

    sizes = QUICK if opts.quick else FULL
    cases = [Case(g, f, p) for g in GROUPS if not opts.only or g in opts.only
             for f, p in sizes[g]]
    started = datetime.datetime.now()
    load0 = "%.2f" % os.getloadavg()[0]
    log("run_bench: %d instances, %d runs each%s; results in %s" % (
        len(cases), opts.runs, " (quick)" if opts.quick else "", outdir))
    done = {}
    for c in cases:
        if c.key in done:
            src = done[c.key]
            c.name, c.size, c.input, c.qhull = src.name, src.size, src.input, src.qhull
        else:
            generate(tools, c, data)
            done[c.key] = c
    timed_out = {}
    clock, hard_load = None, ["?", "?"]
    app_clock = {}
    for c in cases:
        t0 = time.perf_counter()
        if c.group == APP:
            run_app_case(tools, c, work, opts, timed_out, app_clock)
            continue
        if c.group == HARD:
            if clock is None:
                clock = {"end": t0 + HARD_BUDGET}
                hard_load[0] = "%.2f" % os.getloadavg()[0]
            run_hard_case(tools, c, work, opts, timed_out, clock)
            hard_load[1] = "%.2f" % os.getloadavg()[0]
            log("  %-18s %-28s %s  [%.0f s]" % (c.group, hard_label(c), "  ".join(
                "%s %s %s MiB" % (t, cell(c.results[t]), fmt_mib(c.results[t].kib))
                for t, _ in hard_tools(tools)), time.perf_counter() - t0))
            continue
        if c.group == PROJ:
            run_project_case(tools, c, work, opts)
            log("  %-18s %-28s %s  [%.0f s]" % (c.group, c.name, "  ".join(
                "%s %s" % (t, cell(r)) for t, r in c.results.items()), time.perf_counter() - t0))
            continue
        if c.group == VOLUME:
            run_volume_case(tools, c, work, opts)
            log("  %-18s %-28s %s  [%.0f s]" % (c.group, c.name, "  ".join(
                "%s %s" % (t, cell(r)) for t, r in c.results.items()), time.perf_counter() - t0))
            continue
        run_case(tools, c, work, opts, timed_out)
        z = c.results["zonix"]
        peers = "  ".join("%s %s" % (p, cell(c.results[p])) for p in variants(c.group) + PEERS[c.group])
        log("  %-18s %-28s zonix %-14s %s  [%.0f s]" % (c.group, c.name, cell(z), peers,
                                                         time.perf_counter() - t0))
    profiles = []
    if opts.profile:
        # callgrind is some fifty times slower: each workload is profiled on
        # its quickest instance where zonix is behind the same peer.
        for c, p, ratio in furthest_behind([c for c in cases if c.group not in (LP, HARD, VOLUME, APP, PROJ)],
                                           opts.profile):
            same = [o for o in cases if o.group == c.group and o.family == c.family
                    and o.results[p].ratio is not None and o.results[p].ratio < 1]
            # Where the peer is behind on every instance, its closest one.
            c = min(same, key=lambda o: o.results["zonix"].median) if same else c
            log("  profiling zonix on %s (%s)" % (c.name, c.group))
            profiles.append(("%s, %s (%s takes %s of zonix's time)" % (
                c.group, c.name, p, fmt_ratio(c.results[p].ratio)), profile(c, work)))
    finished = datetime.datetime.now()
    load1 = "%.2f" % os.getloadavg()[0]
    md, csvp = write_results(cases, opts, machine_facts(), versions(tools, work), started, finished,
                             (load0, load1), outdir, profiles, tools.threads(), hard_load)
    log("run_bench: wrote %s and %s (%.1f minutes)" % (md, csvp,
                                                      (finished - started).total_seconds() / 60))
    bad = [(c, t) for c in cases for t, r in c.results.items() if r.status == "disagrees"]
    for c, t in bad:
        log("run_bench: %s disagrees with %s on %s (%s): %s" % (
            t, c.results[t].reference, c.name, c.group, c.results[t].detail))
    for c in cases:
        if c.group not in (HARD, VOLUME, APP, PROJ) and c.results["zonix"].detail and \
                c.results["zonix"].status == "ok":
            log("run_bench: zonix on %s (%s) %s" % (c.name, c.group, c.results["zonix"].detail))


if __name__ == "__main__":
    main()
