#!/usr/bin/env python3
"""Checks that two builds of the zonix CLI write the same bytes.

    compare_outputs.py BEFORE AFTER [--build DIR] [--extra FILE...] [--keep DIR]

BEFORE and AFTER are zonix executables.  The inputs are the small bench
instances (DIR/bench/bench_gen, the quick sizes of every group) and any
representation files given with --extra.  Each instance goes through every
command that applies to it, in double, exact and auto, and convert also on 1
and 2 threads, with every side file convert can write.  Each run happens in a
scratch directory of its own with the input under the same name, so the
files are compared whole: result, side files, standard output, standard
error and exit status, byte for byte but the clock lines of a report
(start, end and processor time).  Prints one line per difference and a count; exits 1
on any difference.
"""

import argparse
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import run_bench as rb  # noqa: E402

ARITHMETICS = ("double", "exact", "auto")
THREADS = (1, 2)
CONVERT_SIDE = ["--adjacency", "--incidence", "--input-adjacency", "--input-incidence"]


def runs_for(name, h, small, convert):
    """(label, argv tail) of every run an input gets; the input is 'in.*'.
    Projection, whose cost grows fast with the rows, only on small files;
    no conversion of the redundancy and LP instances, made for those."""
    out = []
    for a in ARITHMETICS:
        ar = ["--arithmetic", a]
        for t in THREADS if convert else ():
            out.append(("convert-%s-t%d" % (a, t),
                        ["convert", name, "-o", "out", "--quiet", "--threads", str(t)] + CONVERT_SIDE + ar))
        for cmd in ("reduce", "interior", "linearity", "adjacency"):
            out.append(("%s-%s" % (cmd, a), [cmd, name, "-o", "out", "--quiet"] + ar))
        if h:
            out.append(("lp-%s" % a, ["lp", name, "-o", "out", "--quiet"] + ar))
        if h and small:
            out.append(("project-%s" % a, ["project", name, "--eliminate", "1", "-o", "out",
                                           "--quiet"] + ar))
    return out


def run(exe, src, name, tail, where, timeout):
    where.mkdir(parents=True)
    shutil.copyfile(src, where / name)
    try:
        p = subprocess.run([str(exe)] + tail, cwd=where, capture_output=True, timeout=timeout,
                           stdin=subprocess.DEVNULL)
        (where / "_stdout").write_bytes(p.stdout)
        (where / "_stderr").write_bytes(p.stderr)
        (where / "_status").write_text(str(p.returncode))
    except subprocess.TimeoutExpired:
        (where / "_status").write_text("timeout")


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


def inputs(build, work, extra):
    tools = rb.Tools(build)
    out = []
    for group in rb.GROUPS:
        for family, params in rb.QUICK[group]:
            if family in rb.APP_DERIVED or family == "cut-h":
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


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("before")
    ap.add_argument("after")
    ap.add_argument("--build", default=str(rb.ROOT / "build"))
    ap.add_argument("--extra", nargs="*", default=[])
    ap.add_argument("--keep", help="keep the scratch runs here")
    ap.add_argument("--timeout", type=float, default=120)
    opts = ap.parse_args()
    scratch = Path(opts.keep) if opts.keep else Path(tempfile.mkdtemp(prefix="zxcmp"))
    scratch.mkdir(parents=True, exist_ok=True)
    data = scratch / "data"
    data.mkdir(exist_ok=True)
    cases = inputs(Path(opts.build).resolve(), data, opts.extra)
    runs = diffs = 0
    for key, src, convert in cases:
        h = src.suffix == ".ine"
        name = "in" + src.suffix
        for label, tail in runs_for(name, h, src.stat().st_size < 1500, convert):
            base = scratch / key / label
            if base.exists():
                shutil.rmtree(base)
            run(Path(opts.before).resolve(), src, name, tail, base / "before", opts.timeout)
            run(Path(opts.after).resolve(), src, name, tail, base / "after", opts.timeout)
            runs += 1
            d = differences(base / "before", base / "after")
            if d:
                diffs += 1
                print("DIFF %s %s: %s" % (key, label, ", ".join(d)), flush=True)
            elif not opts.keep:
                shutil.rmtree(base)
        print("%s: done, %d runs so far, %d differ" % (key, runs, diffs), flush=True)
    print("%d instances, %d runs each on both builds, %d differ" % (len(cases), runs, diffs))
    if not opts.keep:
        shutil.rmtree(scratch, ignore_errors=True)
    sys.exit(1 if diffs else 0)


if __name__ == "__main__":
    main()
