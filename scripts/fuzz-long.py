#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""The long fuzz run (outside the test suite): every harness of build/fuzz for SECONDS
seconds, JOBS at a time, from its committed seeds into a fresh corpus under OUT. Prints one
table row per harness: executions, executions per second, final coverage (edges) and
features, corpus size, the second at which the last new coverage was found, and findings.

usage: scripts/fuzz-long.py [--seconds 600] [--jobs 2] [--out /tmp/vireo-fuzz-long] [NAMES...]
"""
import argparse
import concurrent.futures
import os
import re
import shutil
import subprocess
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "fuzz")


def run(name, seconds, out):
    work = os.path.join(out, name)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "corpus"))
    cmd = [os.path.join(BUILD, name), f"-max_total_time={seconds}", "-timeout=10",
           "-rss_limit_mb=2048", "-print_final_stats=1", f"-artifact_prefix={work}/",
           os.path.join(work, "corpus"), os.path.join(ROOT, "fuzz", "corpus", name)]
    start = time.monotonic()
    last_new = 0.0
    last_edge = 0.0  # when the edge count last grew
    edges = -1
    last_line = ""
    stats = {}
    with open(os.path.join(work, "log.txt"), "w") as log, subprocess.Popen(
            cmd, stderr=subprocess.STDOUT, stdout=subprocess.PIPE, text=True, errors="replace") as p:
        for line in p.stdout:
            elapsed = time.monotonic() - start
            log.write(f"{elapsed:8.1f} {line}")
            if " NEW " in line or "\tNEW " in line:
                last_new = elapsed
            m = re.search(r"cov: (\d+)", line)
            if m:
                last_line = line
                if int(m.group(1)) > edges:
                    edges = int(m.group(1))
                    last_edge = elapsed
            m = re.match(r"stat::(\w+):\s+(\d+)", line)
            if m:
                stats[m.group(1)] = int(m.group(2))
        code = p.wait()
    cov = re.search(r"cov: (\d+) ft: (\d+) corp: (\d+)/(\S+)", last_line)
    findings = [f for f in os.listdir(work) if f.startswith(("crash-", "leak-", "timeout-", "oom-"))]
    return {
        "name": name, "code": code, "execs": stats.get("number_of_executed_units", 0),
        "per_second": stats.get("average_exec_per_sec", 0),
        "cov": cov.group(1) if cov else "?", "ft": cov.group(2) if cov else "?",
        "corpus": f"{cov.group(3)} ({cov.group(4)})" if cov else "?",
        "last_new": last_new, "last_edge": last_edge, "findings": findings,
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=int, default=600)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--out", default="/tmp/vireo-fuzz-long")
    parser.add_argument("names", nargs="*")
    args = parser.parse_args()
    names = args.names or sorted(f[:-4] for f in os.listdir(os.path.join(ROOT, "fuzz"))
                                 if f.startswith("fuzz_") and f.endswith(".cpp"))
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        results = list(pool.map(lambda n: run(n, args.seconds, args.out), names))
    print("| harness | seconds | executions | exec/s | edges | features | corpus | last new edge at s | "
          "last new feature at s | findings |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for r in results:
        print(f"| {r['name']} | {args.seconds} | {r['execs']} | {r['per_second']} | {r['cov']} | {r['ft']} | "
              f"{r['corpus']} | {r['last_edge']:.0f} | {r['last_new']:.0f} | {', '.join(r['findings']) or 'none'} (exit {r['code']}) |")
    return 1 if any(r["code"] != 0 for r in results) else 0


if __name__ == "__main__":
    raise SystemExit(main())
