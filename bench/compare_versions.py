#!/usr/bin/env python3
"""Times two builds of the zonix CLI against each other on the bench families.

    compare_versions.py BEFORE AFTER [--build DIR] [--runs N] [--only GROUP]

BEFORE and AFTER are zonix executables; the inputs come from DIR/bench/bench_gen
(the same generator for both).  The runs alternate between the two binaries so
that a load on the machine falls on both alike, and each run is timed by the
processor time of its process (user + system, from wait4) rather than by the
wall clock.  Prints a markdown table: median seconds of each and their ratio
(AFTER over BEFORE, so above 1 means AFTER is slower).
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import run_bench as rb  # noqa: E402


def cpu_seconds(argv):
    pid = os.fork()
    if pid == 0:
        try:
            devnull = os.open(os.devnull, os.O_WRONLY)
            os.dup2(devnull, 1)
            os.dup2(devnull, 2)
            os.execvp(argv[0], argv)
        finally:
            os._exit(127)
    _, status, usage = os.wait4(pid, 0)
    ok = os.waitstatus_to_exitcode(status) == 0
    return usage.ru_utime + usage.ru_stime, ok


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("before")
    ap.add_argument("after")
    ap.add_argument("--build", default=str(rb.ROOT / "build"))
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--only", action="append", choices=rb.GROUPS)
    opts = ap.parse_args()
    build = Path(opts.build).resolve()
    groups = opts.only or rb.GROUPS
    print("| Group | Instance | before s | after s | after/before |")
    print("|---|---|---:|---:|---:|")
    ratios = []
    with tempfile.TemporaryDirectory() as tmp:
        work = Path(tmp)
        for group in groups:
            for family, params in rb.FULL[group]:
                case = rb.Case(group, family, params)
                tools = rb.Tools(build)
                rb.generate(tools, case, work)
                times = {"before": [], "after": []}
                failed = set()
                for _ in range(opts.runs):
                    for which, exe in (("before", opts.before), ("after", opts.after)):
                        tools.zonix = Path(exe).resolve()
                        argv, _, cleanup = rb.zonix_command(tools, case, work, None)
                        if cleanup:
                            cleanup()
                        t, ok = cpu_seconds(argv)
                        if not ok:
                            failed.add(which)
                        times[which].append(t)
                b = statistics.median(times["before"])
                a = statistics.median(times["after"])
                r = a / b if b > 0 else float("nan")
                mark = "".join(" (%s failed)" % w for w in sorted(failed))
                if not failed and b >= 0.02:
                    ratios.append(r)
                print("| %s | %s | %.3f | %.3f | %.3f%s |" % (group, case.name, b, a, r, mark),
                      flush=True)
    if ratios:
        print("\nGeometric mean of after/before over instances of at least 0.02 s: %.3f "
              "(%d instances)" % (statistics.geometric_mean(ratios), len(ratios)))


if __name__ == "__main__":
    main()
