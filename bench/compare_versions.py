#!/usr/bin/env python3
"""Times two builds of the zonix CLI against each other on the bench families.

    compare_versions.py BEFORE AFTER [--build DIR] [--runs N] [--only GROUP...]
                        [--instances REGEX] [--data DIR] [--long S] [--threads N]

BEFORE and AFTER are zonix executables; the inputs come from DIR/bench/bench_gen
(the same generator for both).  The runs alternate between the two binaries so
that a load on the machine falls on both alike, and each run is timed by the
processor time of its process (user + system, from wait4) rather than by the
wall clock.  Prints a markdown table: median seconds of each and their ratio
(AFTER over BEFORE, so above 1 means AFTER is slower); ratios above --flag are
marked and listed at the end, to be run again with more runs (--instances).
Only the groups the CLI runs are timed (projection and volume are timed
through other programs).  An instance whose first pair of runs took more than
--long seconds is timed by that pair alone.  --data keeps the generated
inputs in DIR; the application cones made by Normaliz are taken from there
when present.
"""

import argparse
import os
import re
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import run_bench as rb  # noqa: E402


def cpu_so_far(pid):
    """Processor seconds a running process has used (all its threads)."""
    try:
        fields = Path("/proc/%d/stat" % pid).read_text().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except (OSError, IndexError, ValueError):
        return 0.0


def cpu_seconds(argv, timeout=None):
    """(processor seconds, exited 0); None for the seconds past TIMEOUT of
    processor time, so that a loaded machine gives up the same runs as a
    quiet one (the wall clock is capped too, at twenty times that)."""
    pid = os.fork()
    if pid == 0:
        try:
            devnull = os.open(os.devnull, os.O_WRONLY)
            os.dup2(devnull, 1)
            os.dup2(devnull, 2)
            os.execvp(argv[0], argv)
        finally:
            os._exit(127)
    deadline = None if timeout is None else time.monotonic() + 20 * timeout
    while True:
        done, status, usage = os.wait4(pid, 0 if deadline is None else os.WNOHANG)
        if done:
            break
        if time.monotonic() > deadline or cpu_so_far(pid) > timeout:
            os.kill(pid, signal.SIGKILL)
            os.wait4(pid, 0)
            return None, False
        time.sleep(0.02)
    ok = os.waitstatus_to_exitcode(status) == 0
    return usage.ru_utime + usage.ru_stime, ok


# The groups the CLI runs, each through rb.zonix_command.
CLI_GROUPS = [g for g in rb.GROUPS if g not in (rb.PROJ, rb.VOLUME)]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("before")
    ap.add_argument("after")
    ap.add_argument("--build", default=str(rb.ROOT / "build"))
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--only", nargs="*", default=None, help="groups, by name or short name")
    ap.add_argument("--instances", help="only instances whose key matches this regex")
    ap.add_argument("--data", help="keep the generated inputs here")
    ap.add_argument("--long", type=float, default=None,
                    help="time an instance by one pair of runs when its first took longer")
    ap.add_argument("--threads", type=int, default=1)
    ap.add_argument("--flag", type=float, default=1.10)
    ap.add_argument("--timeout", type=float, default=60,
                    help="processor seconds of one run before the instance is given up")
    opts = ap.parse_args()
    build = Path(opts.build).resolve()
    groups = [dict(rb.GROUP_NAMES, lp=rb.LP).get(g, g) for g in opts.only] if opts.only else CLI_GROUPS
    for g in groups:
        if g not in CLI_GROUPS:
            ap.error("%s: not a group the CLI runs (%s)" % (g, ", ".join(CLI_GROUPS)))
    print("| Group | Instance | before s | after s | after/before | runs |")
    print("|---|---|---:|---:|---:|---:|")
    ratios = []
    flagged = []
    with tempfile.TemporaryDirectory() as tmp:
        work = Path(opts.data).resolve() if opts.data else Path(tmp)
        work.mkdir(parents=True, exist_ok=True)
        for group in groups:
            for family, params in rb.FULL[group]:
                case = rb.Case(group, family, params)
                if opts.instances and not re.search(opts.instances, case.key):
                    continue
                tools = rb.Tools(build)
                try:
                    rb.generate(tools, case, work)
                except (subprocess.CalledProcessError, subprocess.TimeoutExpired, ValueError,
                        OSError) as e:
                    print("| %s | %s | | | not generated: %s | |" % (group, case.key, e),
                          flush=True)
                    continue
                times = {"before": [], "after": []}
                failed = set()
                late = None
                for _ in range(opts.runs):
                    for which, exe in (("before", opts.before), ("after", opts.after)):
                        tools.zonix = Path(exe).resolve()
                        argv, _, cleanup = rb.zonix_command(tools, case, work, "double",
                                                            opts.threads)
                        if cleanup:
                            cleanup()
                        t, ok = cpu_seconds(argv, opts.timeout)
                        if t is None:
                            late = which
                            break
                        if not ok:
                            failed.add(which)
                        times[which].append(t)
                    if late:
                        break
                    if opts.long is not None and max(times["before"] + times["after"]) > opts.long:
                        break
                if late:
                    print("| %s | %s | | | %s over %gs of processor time, not timed | |" % (
                        group, case.name, late, opts.timeout), flush=True)
                    continue
                b = statistics.median(times["before"])
                a = statistics.median(times["after"])
                r = a / b if b > 0 else float("nan")
                mark = "".join(" (%s failed)" % w for w in sorted(failed))
                if not failed and b >= 0.02:
                    ratios.append(r)
                    if r > opts.flag:
                        mark += " **slower**"
                        flagged.append(case.key)
                print("| %s | %s | %.3f | %.3f | %.3f%s | %d |" % (
                    group, case.name, b, a, r, mark, len(times["before"])), flush=True)
    if flagged:
        print("\nAbove %.2f: %s" % (opts.flag, " ".join(flagged)))
    if ratios:
        print("\nGeometric mean of after/before over instances of at least 0.02 s: %.3f "
              "(%d instances)" % (statistics.geometric_mean(ratios), len(ratios)))


if __name__ == "__main__":
    main()
