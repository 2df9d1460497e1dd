#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Measures VireoTool-4 under Wine on this machine and prints a Markdown table, each figure
beside its bound. Not a test: the figures depend on the machine and its load.

    bash scripts/build.sh && python3 scripts/bench_performance.py [--runs 9] [--idle 10]

What it measures (every Wine process runs in one fresh prefix with its own Xvfb and wineserver,
set up by the end-to-end harness, tests/e2e/harness.py):
- start-up: from CreateProcess to the main window being visible, timed inside Wine with the
  performance counter (build/win/vbench.exe), warm (wineserver running, first run dropped),
  interleaved with Wine's empty program (start to exit) and a baseline window program that
  loads the same system DLLs and shows one window; medians;
- peak working set after a search, a read, a write and a card read against a simulated
  Vireo-4KRM (GetProcessMemoryInfo from vbench.exe in the same prefix; Wine fills it from
  VmHWM of the process), beside the baseline window program's;
- CPU time while idle with the port open: utime + stime from /proc/<pid>/stat of the Linux
  process that runs VireoTool-4.exe, and of the wineserver, over the idle time; and the bytes
  the reader received meanwhile (its log);
- the sizes of VireoTool-4.exe, the installer and the manual;
- the workflow overheads: the output of scripts/bench_workflow.py, when it exists.
"""
import argparse
import os
import platform
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WIN = os.environ.get("VIREO_WIN_BUILD_DIR") or os.path.join(ROOT, "build", "win")
os.environ.setdefault("VIREO_WIN_BUILD_DIR", WIN)
os.environ.setdefault("VIREO_SOURCE_DIR", ROOT)
os.environ.setdefault("VIREO_SIM", os.path.join(ROOT, "build", "native", "sim", "vireo-sim"))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import harness as h  # noqa: E402
sys.path.insert(0, os.path.join(ROOT, "scripts"))
from built_version import installer_name, manual_name  # noqa: E402

VBENCH = os.path.join(WIN, "vbench.exe")
EMPTY = os.path.join(WIN, "vbench_empty.exe")
BASELINE = os.path.join(WIN, "vbench_window.exe")
INSTALLER_NAME = installer_name(WIN)
MANUAL_NAME = manual_name(WIN)
INSTALLER = os.path.join(WIN, INSTALLER_NAME)
MANUAL = os.path.join(WIN, "help", MANUAL_NAME)
WORKFLOW_BENCH = os.path.join(ROOT, "scripts", "bench_workflow.py")

START_BOUND_MS = 100.0
MEMORY_BOUND = 16 * 1024 * 1024
CLOCK_TICK_MS = 1000.0 / os.sysconf("SC_CLK_TCK")
ID_READ, ID_WRITE, ID_READ_ID = 14, 15, 19
CARD_WINDOW_CLASS = b"my Child Window"


def vbench(env, *args, timeout=600):
    run = subprocess.run(["wine", VBENCH] + [str(a) for a in args], env=env.wine_env, capture_output=True,
                         text=True, timeout=timeout)
    lines = run.stdout.splitlines()
    if run.returncode != 0 or any(line.startswith("error") for line in lines):
        raise RuntimeError("vbench %s failed: %s %s" % (args[0], run.stdout, run.stderr[-400:]))
    return lines


def run_times(lines):
    return [float(line.split()[2]) for line in lines if line.startswith("run ")]


def measure_startup(env, runs):
    """Medians (ms) of the empty program, the baseline window and VireoTool-4, interleaved so
    that a change in the machine's load touches all three alike. The first round warms up."""
    times = {"empty": [], "baseline": [], "program": []}
    workdir = h.windows_path(env.workdir)
    for round_number in range(runs + 1):
        empty = run_times(vbench(env, "empty", h.windows_path(EMPTY), 1))
        baseline = run_times(vbench(env, "window", h.windows_path(BASELINE), workdir, "bench Window", 1))
        program = run_times(vbench(env, "window", h.windows_path(h.APP_EXE), workdir, "my Window", 1))
        if round_number > 0:
            times["empty"] += empty
            times["baseline"] += baseline
            times["program"] += program
    medians = {k: statistics.median(v) for k, v in times.items()}
    # Differences within each round, whose median a load change between rounds moves less.
    medians["beyond_empty"] = statistics.median(p - e for p, e in zip(times["program"], times["empty"]))
    medians["beyond_baseline"] = statistics.median(p - b for p, b in zip(times["program"], times["baseline"]))
    return medians, times


def unix_pid_of(env, exe_name):
    for pid in h._prefix_processes(env.prefix):
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                if exe_name.encode() in f.read():
                    return pid
        except OSError:
            pass
    return None


def cpu_ticks(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime (fields 14 and 15 of the line)


def memory(env, pid):
    line = vbench(env, "memory", pid)[0]
    return {k: int(v) for k, v in (item.split("=") for item in line.split()[1:])}


def baseline_memory(env):
    """Peak working set of the baseline window program, measured as the program's is."""
    env.boot()
    pid = int(env.driver.cmd("start", h.to_hex(h.windows_path(BASELINE)), h.to_hex(h.windows_path(env.workdir))))
    app = h.App(env, pid)
    h.wait_until(lambda: app.windows(b"bench Window"), 30, "the baseline window")
    result = memory(env, pid)
    app.windows(b"bench Window")[0].close()
    app.wait_exit(30)
    return result


def workload_and_idle(env, idle_seconds):
    """Search, read, write and card read against a Vireo-4KRM on COM3, then idle with the port
    open. Returns the memory counters, the idle CPU figures and the reader's idle traffic."""
    sim = env.sim(model="M", firmware="1.10", settings="TMX1DO", com=3,
                  extra=("--barcode", "1234567", "--cipher", "54321"))
    app = env.start_app()
    app.wait_main_window()
    app.expect_box(h.ui("Settings read!"), icon=3, timeout=60)
    app.expect_box(h.ui("Vireo-4KRM reader found!\n\r->[COM3]"), icon=3)
    app.main.child(ID_READ).click()
    app.expect_box(h.ui("Settings read!"), icon=3)
    app.main.child(ID_WRITE).click()
    app.expect_box(h.ui("Settings recorded!"), icon=3)
    app.main.command(ID_READ_ID)
    card = h.wait_until(lambda: app.windows(CARD_WINDOW_CLASS), 30, "the card ID window")[0]
    card.close()
    h.wait_until(lambda: not card.exists(), 30, "the card ID window to close")
    h.wait_until(lambda: app.main.enabled, 10, "the main window to be enabled again")

    counters = memory(env, app.pid)
    program_pid = unix_pid_of(env, "VireoTool-4.exe")
    server_pid = env._server.pid
    traffic_before = len(sim.rx())
    program_before, server_before = cpu_ticks(program_pid), cpu_ticks(server_pid)
    time.sleep(idle_seconds)
    program_after, server_after = cpu_ticks(program_pid), cpu_ticks(server_pid)
    idle = {
        "program_ms": (program_after - program_before) * CLOCK_TICK_MS,
        "server_ms": (server_after - server_before) * CLOCK_TICK_MS,
        "reader_bytes": len(sim.rx()) - traffic_before,
        "port_open": not app.main.child(1).enabled,  # the port list is greyed while a port is open
    }
    app.close()
    return counters, idle


def mib(value):
    return "%.1f MiB" % (value / 1048576.0)


def size_text(path):
    if not os.path.exists(path):
        return "not built"
    size = os.path.getsize(path)
    return "%d bytes (%.0f KiB)" % (size, size / 1024.0)


def main():
    parser = argparse.ArgumentParser(description="VireoTool-4 performance under Wine")
    parser.add_argument("--runs", type=int, default=9, help="timed start-up rounds (default 9)")
    parser.add_argument("--idle", type=float, default=10.0, help="idle seconds with the port open")
    args = parser.parse_args()
    for path in (h.APP_EXE, VBENCH, EMPTY, BASELINE, h.SIM):
        if not os.path.exists(path):
            sys.exit("bench: %s is missing; run bash scripts/build.sh first" % path)

    with h.Env(config=h.config_file("EN", "KRU_KRM"), name="bench-start") as env:
        env.boot()
        start, raw = measure_startup(env, args.runs)
    with h.Env(config=h.config_file("EN", "KRU_KRM"), name="bench-work") as env:
        counters, idle = workload_and_idle(env, args.idle)
        base = baseline_memory(env)

    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    load = os.getloadavg()
    beyond_empty = start["beyond_empty"]
    beyond_baseline = start["beyond_baseline"]
    rows = [
        ("Start-up to the main window shown (median of %d warm starts)" % args.runs,
         "%.0f ms" % start["program"], ""),
        ("  Wine's empty program, start to exit (same rounds)", "%.0f ms" % start["empty"], ""),
        ("  beyond Wine's empty program (median of the rounds' differences)", "%.0f ms" % beyond_empty,
         "< %.0f ms: %s" % (START_BOUND_MS, "met" if beyond_empty < START_BOUND_MS else "NOT met")),
        ("  baseline window with the same DLLs, start to shown", "%.0f ms" % start["baseline"], ""),
        ("  beyond the baseline window: the program's own start-up (same)", "%.0f ms" % beyond_baseline,
         "< %.0f ms: %s" % (START_BOUND_MS, "met" if beyond_baseline < START_BOUND_MS else "NOT met")),
        ("Peak working set after search, read, write, card read", mib(counters["peak"]),
         "< 16 MiB: %s" % ("met" if counters["peak"] < MEMORY_BOUND else "NOT met (see notes)")),
        ("  baseline window's peak working set (Wine's own floor)", mib(base["peak"]), ""),
        ("  beyond the baseline window", mib(counters["peak"] - base["peak"]),
         "< 16 MiB: %s" % ("met" if counters["peak"] - base["peak"] < MEMORY_BOUND else "NOT met")),
        ("CPU time idle %.0f s with the port open: the program" % args.idle, "%.0f ms" % idle["program_ms"],
         "none measurable: %s" % ("met" if idle["program_ms"] == 0 else "NOT met")),
        ("  wineserver in the same time", "%.0f ms" % idle["server_ms"], ""),
        ("  bytes sent to the reader while idle", "%d" % idle["reader_bytes"], "0 (no polling)"),
        ("Size of VireoTool-4.exe", size_text(h.APP_EXE), "(statically linked)"),
        ("Size of " + INSTALLER_NAME, size_text(INSTALLER), ""),
        ("Size of help/" + MANUAL_NAME, size_text(MANUAL), ""),
    ]
    print("Measured %s on %s, %d cores, load average %.2f %.2f %.2f, %s; port open while idle: %s."
          % (time.strftime("%Y-%m-%d"), platform.node() or "this machine", os.cpu_count(), load[0], load[1],
             load[2], wine, "yes" if idle["port_open"] else "no"))
    print()
    print("| Measure | Result | Bound |")
    print("|---|---|---|")
    for measure, result, bound in rows:
        print("| %s | %s | %s |" % (measure.replace("  ", "\u2003", 1) if measure.startswith("  ") else measure,
                                    result, bound))
    print()
    print("Start-up rounds (ms): program %s; empty %s; baseline %s."
          % (" ".join("%.0f" % t for t in raw["program"]), " ".join("%.0f" % t for t in raw["empty"]),
             " ".join("%.0f" % t for t in raw["baseline"])))

    if os.path.exists(WORKFLOW_BENCH):
        print()
        print("Workflow overheads (python3 scripts/bench_workflow.py):")
        print()
        run = subprocess.run([sys.executable, WORKFLOW_BENCH], capture_output=True, text=True, timeout=1800)
        print(run.stdout.rstrip())
        if run.returncode != 0:
            print("(bench_workflow.py exited %d: %s)" % (run.returncode, run.stderr.strip()[-400:]))
    else:
        print()
        print("(scripts/bench_workflow.py is not there yet: no workflow overheads.)")


if __name__ == "__main__":
    main()
