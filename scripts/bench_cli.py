#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Benchmark of vireo4, the command-line tool, natively on Linux against simulated readers on
pseudo-terminals (paced at 19200 baud). Prints each figure beside its bound and the window
program's figure for the same job, as a ratio. The window's figures are measured in the same
run, under Wine (tests/e2e/harness.py): its search over the same 60 ports, 59 silent, from its
start to the settings read, and its read from the query to the result. --no-window leaves them
out and shows the figures of docs/performance.md instead. A benchmark, not a test: it never fails.

    bash scripts/build.sh            # or build the native vireo4 and vireo-sim targets
    python3 scripts/bench_cli.py [--runs N] [--no-window] [--before BINARY]

--before BINARY measures that vireo4 too, in the same run and against the same readers, each run
of one beside a run of the other, and prints its figures beside the new ones.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "cli"))
os.environ.setdefault("VIREO4", os.path.join(ROOT, "build", "native", "vireo4"))
os.environ.setdefault("VIREO_SIM", os.path.join(ROOT, "build", "native", "sim", "vireo-sim"))

from cli_support import BASE_ENV, VIREO4, Fleet  # noqa: E402

DEADLINE_S = 0.7             # the default reply deadline
WINDOW_SEARCH_60_S = 37.0    # the window's search over 60 ports, 59 of them silent (docs/performance.md)
WINDOW_READ_S = 1.56         # the window's read: its fixed wait from query to result
TIME = "/usr/bin/time"
EXE = os.path.join(ROOT, "build", "win", "vireo4.exe")
PROFILES = ["[kru-krm]\ninterface = wiegand-26\n[usb]\nbytes = 4\n",
            "[kru-krm]\ninterface = wiegand-44\n[usb]\nbytes = 3\n"]


def timed(*args, binary=VIREO4):
    """Wall time and peak resident memory (KiB) of one vireo4 run, and its exit code. The memory
    comes from /usr/bin/time: a child forked by Python would count the interpreter's own pages."""
    with tempfile.NamedTemporaryFile("r") as report:
        start = time.monotonic()
        code = subprocess.call([TIME, "-f", "%M", "-o", report.name, binary, *args], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, env=BASE_ENV)
        elapsed = time.monotonic() - start
        peak = int(report.read().strip().splitlines()[-1])
    return elapsed, peak, code


def measure(runs, *args, before=None, earlier=None):
    """Medians of runs; with before, that binary's runs alternate with these and its median goes
    into earlier (name -> seconds)."""
    results = []
    old = []
    for _ in range(runs):
        if before:
            old.append(timed(*args, binary=before)[0])
        results.append(timed(*args))
    if before:
        earlier.append(statistics.median(old))
    codes = {code for _, _, code in results}
    return statistics.median(t for t, _, _ in results), max(r for _, r, _ in results), codes


def window_figures():
    """The window program's search over 60 ports (59 silent, the reader probed last) from its
    start to the settings read, and its read from the query to the "Settings read!" box (less
    the cost of a box, as scripts/bench_workflow.py takes it), both under Wine."""
    sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
    sys.path.insert(0, os.path.join(ROOT, "scripts"))
    import bench_workflow  # noqa: E402
    import fault_support as f  # noqa: E402
    import harness as h  # noqa: E402

    with h.Env(config=f.EN_KRU, name="bench-cli-window") as env:
        sim = env.sim(model="U")
        f.plug_named(env, 60, sim.pty, "\\Device\\AReader60")
        for number in range(1, 60):
            env.pty(com=number, hot=True)
        start = time.monotonic()
        app = env.start_app()
        app.wait_main_window()
        app.expect_box(f.SETTINGS_READ, f.ICON_SUCCESS, timeout=180.0)
        search = time.monotonic() - start
    results = _Collect()
    with h.Env(config=bench_workflow.w.EN_KRU, name="bench-cli-read") as env:
        env.boot()
        for _ in range(3):
            bench_workflow.one_run(env, results)
    read = statistics.median(results["read: query to box"]) - statistics.median(results["box: OK to next box"])
    return search, read


class _Collect(dict):
    """What bench_workflow.one_run fills: a list per figure, made on first use."""

    def __missing__(self, key):
        self[key] = []
        return self[key]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--no-window", action="store_true", help="leave out the window's figures (no Wine)")
    parser.add_argument("--before", metavar="BINARY", help="an earlier vireo4 to measure beside this one")
    options = parser.parse_args()
    earlier = []
    runs = options.runs
    window_search, window_read, measured = WINDOW_SEARCH_60_S, WINDOW_READ_S, False
    if not options.no_window:
        window_search, window_read = window_figures()
        measured = True
    rows = []
    peak_kib = 0
    with Fleet() as fleet:
        fleet.many(["port%02d" % n for n in range(59)], extra=["--silent"])
        fleet.sim("port59", "M", logged=False)
        t, rss, codes = measure(runs, "find", fleet.path("port*"), before=options.before, earlier=earlier)
        peak_kib = max(peak_kib, rss)
        rows.append(("find over 60 ports, 59 silent", t, 1.3 * DEADLINE_S, window_search, codes))
    with Fleet() as fleet:
        fleet.sim("one", "U", logged=False)
        t, rss, codes = measure(runs * 2, "read", fleet.path("one"), before=options.before, earlier=earlier)
        peak_kib = max(peak_kib, rss)
        rows.append(("read of one answering reader", t, 0.1, window_read, codes))
    with Fleet() as fleet:
        names = ["r%02d" % n for n in range(16)]
        models = ["U", "M", "X", "B"]
        for n, name in enumerate(names):
            fleet.sim(name, models[n % len(models)], logged=False)
        paths = []
        for k, text in enumerate(PROFILES):
            paths.append(fleet.path("p%d.ini" % k))
            with open(paths[-1], "w") as f:
                f.write(text)
        # Alternate two profiles, so every run writes and verifies all 16 readers.
        results = [timed("apply", paths[k % 2], fleet.path("r*")) for k in range(runs)]
        peak_kib = max(peak_kib, max(r for _, r, _ in results))
        rows.append(("apply to 16 readers, read back", statistics.median(t for t, _, _ in results), 1.5, None,
                     {c for _, _, c in results}))

    print("vireo4 benchmark (native, %d runs each, medians), load average %s" %
          (runs, " ".join("%.2f" % x for x in os.getloadavg())))
    print("window figures: %s" % ("measured in this run, under Wine" if measured else "from docs/performance.md"))
    print("%-34s %9s %9s %12s %10s  %s" % ("measure", "result", "bound", "window", "ratio", "exit"))
    for name, t, bound, window, codes in rows:
        ratio = "%.3f" % (t / window) if window else "-"
        print("%-34s %7.0f ms %6.0f ms %9s %10s  %s  %s" % (
            name, t * 1000, bound * 1000, "%.2f s" % window if window else "-", ratio,
            ",".join(map(str, sorted(codes))), "met" if t <= bound else "NOT met"))
    if options.before:
        print("before: %s" % options.before)
        for (name, t, _, _, _), old in zip(rows, earlier):
            print("%-34s %7.0f ms before, %7.0f ms now (%+.1f %%)" % (name, old * 1000, t * 1000,
                                                                      100.0 * (t - old) / old))
    print("%-34s %6.1f MiB %6.0f MiB" % ("peak resident memory (any run)", peak_kib / 1024, 8))
    if os.path.exists(EXE):
        print("%-34s %d bytes (%.0f KiB)" % ("size of vireo4.exe", os.path.getsize(EXE), os.path.getsize(EXE) / 1024))
    native = os.environ["VIREO4"]
    print("%-34s %d bytes (%.0f KiB)" % ("size of vireo4 (native)", os.path.getsize(native),
                                         os.path.getsize(native) / 1024))


if __name__ == "__main__":
    main()
