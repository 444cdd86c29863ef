#!/usr/bin/env python3
"""Checks that two builds of the zonix CLI write the same bytes.

    compare_outputs.py BEFORE AFTER [--build DIR] [--extra FILE...] [--keep DIR]
                       [--full] [--only GROUP...] [--commands CMD...] [--no-bench]
                       [--instances REGEX] [--timeout S] [--retry-timeout S]
    compare_outputs.py --self-check

BEFORE and AFTER are zonix executables.  The inputs are the bench instances
(DIR/bench/bench_gen, the quick sizes of every group, or with --full the
sizes make bench runs) and any representation files given with --extra.  Each instance goes through every
command that applies to it, in double, exact and auto, and convert also on 1
and 2 threads, with every side file convert can write.  Each run happens in a
scratch directory of its own with the input under the same name, so the
files are compared whole: result, side files, standard output, standard
error and exit status, byte for byte but the clock lines of a report
(start, end and processor time).  A run that outlasts --timeout on one build
only is run again on that build with --retry-timeout before it counts as a
difference; a run that outlasts it on both is listed as timed out on both and
not compared (what a killed run leaves behind, such as half-written scratch
files, says nothing).  Prints one line per difference and a count; exits 1
on any difference.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import run_bench as rb  # noqa: E402
from compare_versions import cpu_so_far  # noqa: E402

ARITHMETICS = ("double", "exact", "auto")
THREADS = (1, 2)
CONVERT_SIDE = ["--adjacency", "--incidence", "--input-adjacency", "--input-incidence"]


COMMANDS = ("convert", "reduce", "interior", "linearity", "adjacency", "lp", "project")


def runs_for(name, h, small, convert, eliminate=None):
    """(label, argv tail) of every run an input gets; the input is 'in.*'.
    Projection, whose cost grows fast with the rows, only on small files;
    no conversion of the redundancy and LP instances, made for those.  An
    instance of the projection group (eliminate: its variables) gets its
    projections only."""
    out = []
    if eliminate:
        return [("project-%s" % a, ["project", name, "--eliminate", eliminate, "-o", "out", "--quiet",
                                    "--arithmetic", a]) for a in ARITHMETICS]
    for a in ARITHMETICS:
        ar = ["--arithmetic", a]
        for t in THREADS if convert else ():
            out.append(("convert-%s-t%d" % (a, t),
                        ["convert", name, "-o", "out", "--quiet", "--threads", str(t)] + CONVERT_SIDE + ar))
        for cmd in ("reduce", "interior", "linearity", "adjacency"):
            out.append(("%s-%s" % (cmd, a), [cmd, name, "-o", "out", "--quiet"] + ar))
        out.append(("reduce-strong-%s" % a, ["reduce", name, "--strong", "-o", "out", "--quiet"] + ar))
        if h:
            out.append(("lp-%s" % a, ["lp", name, "-o", "out", "--quiet"] + ar))
        if h and small:
            out.append(("project-%s" % a, ["project", name, "--eliminate", "1", "-o", "out",
                                           "--quiet"] + ar))
    return out


def run(exe, src, name, tail, where, timeout):
    """Runs one build in a fresh WHERE; True unless it took more than
    TIMEOUT seconds of processor time (so that a loaded machine gives up
    the same runs as a quiet one; the wall clock is capped at twenty times
    that)."""
    if where.exists():
        shutil.rmtree(where)
    where.mkdir(parents=True)
    shutil.copyfile(src, where / name)
    # The output files are written beside the run's own, under names no
    # command writes.
    with open(where / "_stdout", "wb") as so, open(where / "_stderr", "wb") as se:
        p = subprocess.Popen([str(exe)] + tail, cwd=where, stdout=so, stderr=se,
                             stdin=subprocess.DEVNULL)
        deadline = time.monotonic() + 20 * timeout
        try:
            while p.poll() is None:
                if time.monotonic() > deadline or cpu_so_far(p.pid) > timeout:
                    p.kill()
                    p.wait()
                    (where / "_status").write_text("timeout")
                    return False
                time.sleep(0.02)
        finally:
            # A comparison stopped by a signal leaves no run behind.
            if p.poll() is None:
                p.kill()
                p.wait()
    (where / "_status").write_text(str(p.returncode))
    return True


def compare_run(before, after, src, name, tail, base, timeout, retry):
    """('same' | 'timeout' | 'diff', details) for one run on both builds."""
    ok = {"before": run(before, src, name, tail, base / "before", timeout),
          "after": run(after, src, name, tail, base / "after", timeout)}
    if not ok["before"] and not ok["after"]:
        return "timeout", ["both over %gs" % timeout]
    for side, exe in (("before", before), ("after", after)):
        if not ok[side] and retry > timeout:
            ok[side] = run(exe, src, name, tail, base / side, retry)
    late = [side for side in ok if not ok[side]]
    if late:
        return "diff", ["%s over %gs, the other within %gs" % (late[0], retry, timeout)]
    d = differences(base / "before", base / "after")
    return ("diff", d) if d else ("same", [])


# The clock lines of a double description run's report: the same bytes in
# every other line.
CLOCK = re.compile(rb"^\*(Computation starts +at |            terminates at |Total processor time = |"
                   rb"                     = [0-9]+ h ).*$", re.M)


def same(a, b):
    x, y = a.read_bytes(), b.read_bytes()
    return x == y or CLOCK.sub(b"*clock", x) == CLOCK.sub(b"*clock", y)


def differences(a, b):
    fa = sorted(p.name for p in a.iterdir())
    fb = sorted(p.name for p in b.iterdir())
    if fa != fb:
        return ["files %s vs %s" % (fa, fb)]
    return [f for f in fa if not same(a / f, b / f)]


def projection_inputs(build, work):
    """The projection group's instances (bench/project_family's list, in
    its order): random polytopes of 20-60 rows in 4-10 variables onto their
    first 2 and 3, the 3-, 6- and 8-cubes and cross-polytopes onto 2; as
    (key, file, variables to eliminate)."""
    todo = [("randineq-h", (m, d, 1000 + m + d), k, d) for d in (4, 6, 8, 10) for m in (20, 40, 60)
            for k in (2, 3)]
    todo += [(f, (d,), 2, d) for f in ("cube-h", "cross-h") for d in (3, 6, 8)]
    out = []
    for family, params, k, d in todo:
        base = work / ("proj-%s-%s" % (family, "-".join(map(str, params))))
        subprocess.run([str(build / "bench" / "bench_gen"), family] + [str(p) for p in params] +
                       ["--out", str(base)], capture_output=True, check=True)
        cols = str(d) if k + 1 == d else "%d-%d" % (k + 1, d)
        out.append(("%s-onto-%d" % (base.name, k), base.with_suffix(".ine"), cols))
    return out


def inputs(build, work, extra, sizes, groups):
    tools = rb.Tools(build)
    out = []
    for group in groups:
        for family, params in sizes[group]:
            # Made by peer tools, or not a file (the projection list).
            if family in rb.APP_DERIVED or family == "project" or \
                    (family == "cut-h" and params[0] > 6):
                continue
            case = rb.Case(group, family, params)
            try:
                rb.generate(tools, case, work)
            except (subprocess.CalledProcessError, ValueError, OSError):
                continue
            files = rb.lp_files(case) if family == "lp" else [Path(case.input)]
            for f in files:
                key = case.key + ("-" + f.stem if family == "lp" else "")
                if key not in {k for k, _, _ in out}:
                    out.append((key, f, group not in (rb.RED, rb.LP)))
    out += [(Path(e).name, Path(e), True) for e in extra]
    return out


def self_check():
    """Fake builds (shell scripts) through compare_run: a timeout on both is
    not a difference whatever the killed runs leave, a slow run gets its
    second chance, a real difference is one."""
    with tempfile.TemporaryDirectory(prefix="zxcmpself") as tmp:
        t = Path(tmp)
        src = t / "x.ine"
        src.write_text("x\n")

        def fake(name, body):
            f = t / name
            f.write_text("#!/bin/sh\n" + body + "\n")
            f.chmod(0o755)
            return f
        # Each killed run leaves a scratch file of its own name behind.
        # The limits are of processor time: hang and slow spin, and a run
        # that only waits (wait) is no timeout at all.
        hang = fake("hang", 'touch "tmp.$$"; while :; do :; done')
        quick = fake("quick", 'echo out > out')
        other = fake("other", 'echo other > out')
        spin = "import time\nwhile time.process_time() < 1.5: pass\nopen('out', 'w').write('out\\n')\n"
        slow = fake("slow", 'exec python3 -c "%s"' % spin)
        wait = fake("wait", 'sleep 1; echo out > out')
        cases = [(hang, hang, 0.3, 0.6, "timeout"), (quick, slow, 1.0, 5.0, "same"),
                 (slow, quick, 1.0, 5.0, "same"), (quick, hang, 0.3, 0.6, "diff"),
                 (quick, other, 5.0, 5.0, "diff"), (quick, quick, 5.0, 5.0, "same"),
                 (wait, quick, 0.3, 0.3, "same"), (quick, slow, 1.0, 1.0, "diff")]
        bad = 0
        for i, (b, a, limit, retry, want) in enumerate(cases):
            got, why = compare_run(b, a, src, "in.ine", [], t / str(i), limit, retry)
            if got != want:
                bad += 1
                print("self-check %d (%s vs %s): %s %s, expected %s" % (
                    i, b.name, a.name, got, why, want))
        print("self-check: %d passed, %d failed" % (len(cases) - bad, bad))
        return bad == 0


def main():
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    if "--self-check" in sys.argv[1:]:
        sys.exit(0 if self_check() else 1)
    ap = argparse.ArgumentParser()
    ap.add_argument("before")
    ap.add_argument("after")
    ap.add_argument("--build", default=str(rb.ROOT / "build"))
    ap.add_argument("--extra", nargs="*", default=[])
    ap.add_argument("--keep", help="keep the scratch runs here")
    ap.add_argument("--timeout", type=float, default=60)
    ap.add_argument("--retry-timeout", type=float, default=None,
                    help="second limit for a run only one build finished (default 3 x --timeout)")
    ap.add_argument("--full", action="store_true", help="the sizes make bench runs")
    ap.add_argument("--only", nargs="*", default=None, help="groups, by name or short name")
    ap.add_argument("--commands", nargs="*", default=list(COMMANDS), choices=COMMANDS)
    ap.add_argument("--no-bench", action="store_true", help="only the --extra files")
    ap.add_argument("--instances", help="only instances whose key matches this regex")
    ap.add_argument("--projections", action="store_true",
                    help="the projection group's instances through zonix project")
    ap.add_argument("--labels", help="only runs whose label (such as reduce-strong-auto) matches this regex")
    opts = ap.parse_args()
    retry = opts.retry_timeout if opts.retry_timeout is not None else 3 * opts.timeout
    groups = [dict(rb.GROUP_NAMES, lp=rb.LP).get(g, g) for g in opts.only] if opts.only else rb.GROUPS
    for g in groups:
        if g not in rb.GROUPS:
            ap.error("unknown group %s" % g)
    if opts.no_bench:
        groups = []
    scratch = Path(opts.keep) if opts.keep else Path(tempfile.mkdtemp(prefix="zxcmp"))
    scratch.mkdir(parents=True, exist_ok=True)
    data = scratch / "data"
    data.mkdir(exist_ok=True)
    cases = [(k, f, c, None) for k, f, c in
             inputs(Path(opts.build).resolve(), data, opts.extra, rb.FULL if opts.full else rb.QUICK, groups)]
    if opts.projections:
        cases += [(k, f, False, cols) for k, f, cols in projection_inputs(Path(opts.build).resolve(), data)]
    before, after = Path(opts.before).resolve(), Path(opts.after).resolve()
    runs = diffs = 0
    both_late = []
    if opts.instances:
        cases = [c for c in cases if re.search(opts.instances, c[0])]
    skipped = []
    for key, src, convert, eliminate in cases:
        h = src.suffix == ".ine"
        name = "in" + src.suffix
        # A command over the limit in double (or on one thread) is not run
        # again in exact (or on two): those take longer still.  Auto is
        # always run: it may go exact at once, faster than double.
        late = set()
        for label, tail in runs_for(name, h, src.stat().st_size < 1500, convert, eliminate):
            if tail[0] not in opts.commands or (opts.labels and not re.search(opts.labels, label)):
                continue
            m = re.match(r"(.*)-(double|exact|auto)(-t\d)?$", label)
            cmd, arith, threads = m.group(1), m.group(2), m.group(3) or ""
            if (arith == "exact" and (cmd, "double", "-t1" if threads else "") in late) or \
                    (threads == "-t2" and (cmd, arith, "-t1") in late):
                skipped.append("%s %s" % (key, label))
                print("SKIP %s %s: a faster run of it timed out" % (key, label), flush=True)
                continue
            base = scratch / key / label
            if base.exists():
                shutil.rmtree(base)
            outcome, d = compare_run(before, after, src, name, tail, base, opts.timeout, retry)
            runs += 1
            if outcome == "timeout":
                late.add((cmd, arith, threads))
                both_late.append("%s %s" % (key, label))
                print("TIMEOUT %s %s: both over %gs, not compared" % (key, label, opts.timeout),
                      flush=True)
            elif outcome == "diff":
                diffs += 1
                print("DIFF %s %s: %s" % (key, label, ", ".join(d)), flush=True)
            if outcome != "diff" and not opts.keep:
                shutil.rmtree(base)
        print("%s: done, %d runs so far, %d differ" % (key, runs, diffs), flush=True)
    print("%d instances, %d runs each on both builds, %d differ, %d timed out on both" % (
        len(cases), runs, diffs, len(both_late)))
    for r in both_late:
        print("  timed out on both: %s" % r)
    for r in skipped:
        print("  not run (a faster run of it timed out): %s" % r)
    if not opts.keep:
        shutil.rmtree(scratch, ignore_errors=True)
    sys.exit(1 if diffs else 0)


if __name__ == "__main__":
    main()
