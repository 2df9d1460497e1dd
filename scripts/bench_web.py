#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""Benchmark of the browser page (build/web/site) in headless Chromium on this machine. Prints
each figure beside its bound. A benchmark, not a test: it never fails.

- size: every file of the site, raw and gzip -9 (what a server compressing them sends);
- start: from navigation to the page interactive (the WebAssembly core instantiated, the page
  built: its performance mark "vireo-ready"), opened from file://, the first load in a fresh
  browser profile (cold), beside an empty page loaded the same way, and loads with the cache
  disabled in a running browser;
- read: the page's read of a reader (a click on Connect: port opened, reader identified and
  shown, the page's measure "vireo-read"; and READ on the open port) beside `vireo4 read` (its
  process from start to exit) against the same simulator in the same run, alternating;
- idle: CPU time of the page's renderer processes over 10 s with a port open and nothing to do
  (from /proc, in clock ticks of 10 ms) and the page's main-thread task time in those 10 s
  (Chromium's own count), beside the renderers over 10 s on an empty page, and the bytes sent
  to the reader meanwhile.

Run with Debian's Python (selenium, websockets): /usr/bin/python3 scripts/bench_web.py [--runs N]
"""
import argparse
import gzip
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))
os.environ.setdefault("VIREO4", os.path.join(ROOT, "build", "native", "vireo4"))
os.environ.setdefault("VIREO_SIM", os.path.join(ROOT, "build", "native", "sim", "vireo-sim"))

import page_support as p  # noqa: E402

SIZE_BOUND = 300 * 1024
START_BOUND_MS = 300
READ_RATIO_BOUND = 1.2
IDLE_SECONDS = 10
SETTLE_SECONDS = 3  # after a load or a read, before timing: the browser's own work on it done
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def site_sizes():
    raw = packed = 0
    rows = []
    for name in sorted(os.listdir(p.SITE)):
        with open(os.path.join(p.SITE, name), "rb") as f:
            data = f.read()
        small = len(gzip.compress(data, 9, mtime=0))
        rows.append((name, len(data), small))
        raw += len(data)
        packed += small
    return raw, packed, rows


def ready_ms(browser):
    return browser.js("return performance.getEntriesByName('vireo-ready')[0].startTime")


def start_times(runs, fresh_runs):
    """The first load in fresh profiles (median), then loads with the browser's cache off; and,
    as the floor of this machine and browser, the same first load of an empty page (one
    deferred script that marks itself ready)."""
    cold, floor = [], []
    with tempfile.TemporaryDirectory(prefix="vireo-floor-") as folder:
        empty = os.path.join(folder, "index.html")
        with open(empty, "w") as f:
            f.write('<!DOCTYPE html><html><head><meta charset="utf-8"><title>floor</title>'
                    '<script src="floor.js" defer></script></head><body><p>floor</p></body></html>')
        with open(os.path.join(folder, "floor.js"), "w") as f:
            f.write("document.addEventListener('DOMContentLoaded', () => performance.mark('vireo-ready'));")
        for _ in range(fresh_runs):
            with p.Browser(bypass_csp=False) as browser:
                browser.open("file://" + empty)
                floor.append(ready_ms(browser))
            with p.Browser(bypass_csp=False) as browser:
                browser.open()
                cold.append(ready_ms(browser))
    with p.Browser(bypass_csp=False) as browser:
        browser.open()
        browser.driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
        again = []
        for _ in range(runs):
            browser.open()
            again.append(ready_ms(browser))
    return statistics.median(cold), statistics.median(floor), statistics.median(again)


def renderer_pids(browser):
    """The renderer processes of this browser's pages (children of its chromedriver's Chromium;
    not the one that draws the browser's own interface)."""
    driver_pid = browser.driver.service.process.pid
    found, todo = [], [driver_pid]
    while todo:
        pid = todo.pop()
        children = []
        try:
            for task in os.listdir("/proc/%d/task" % pid):
                with open("/proc/%d/task/%s/children" % (pid, task)) as f:
                    children += [int(c) for c in f.read().split()]
        except OSError:
            continue
        todo += children
        for child in children:
            try:
                with open("/proc/%d/cmdline" % child, "rb") as f:
                    command = f.read()
                    if b"--type=renderer" in command and b"--top-chrome-webui" not in command:
                        found.append(child)
            except OSError:
                pass
    return found


def cpu_ms(pids):
    total = 0
    for pid in pids:
        try:
            with open("/proc/%d/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])  # utime, stime
        except OSError:
            pass
    return total * 1000.0 / CLOCK_TICKS


def task_ms(browser):
    """The page's main-thread task time so far (Chromium's Performance domain)."""
    metrics = browser.driver.execute_cdp_cmd("Performance.getMetrics", {})["metrics"]
    return next(m["value"] for m in metrics if m["name"] == "TaskDuration") * 1000.0


def vireo4_read(link):
    start = time.monotonic()
    subprocess.run([os.environ["VIREO4"], "read", link], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   env=dict(os.environ, LC_ALL="C"), check=False)
    return (time.monotonic() - start) * 1000


def reads_and_idle(runs):
    session = p.Session()
    try:
        browser, bridge = session.fresh()
        browser.driver.execute_cdp_cmd("Performance.enable", {})
        with p.Fleet() as fleet:
            sim, = p.sims_on_bridge(fleet, bridge, [("krm", "M", "1.10", None, None)])
            connect, button, tool = [], [], []
            for _ in range(runs):
                # The page lets go of the port first: two programs on one pty share its replies.
                browser.driver.get("about:blank")
                p.wait_until(lambda: not bridge.is_open(sim.port_id), 10, "the page to close the port")
                bridge.granted.clear()
                tool.append(vireo4_read(sim.link))
                # As a user does it: the page open and idle, a click on Connect, the reader shown.
                browser.open()
                time.sleep(SETTLE_SECONDS)
                p.connect(browser, bridge, sim)
                p.wait_until(lambda: browser.js("return performance.getEntriesByName('vireo-read').length") == 1,
                             10, "the read after Connect")
                connect.append(browser.js("return performance.getEntriesByName('vireo-read')[0].duration"))
                browser.idle()
                browser.click("read")
                p.wait_until(lambda: browser.js("return performance.getEntriesByName('vireo-read').length") == 2,
                             10, "READ")
                button.append(browser.js("return performance.getEntriesByName('vireo-read')[1].duration"))
            # Idle: one more page, its reader connected and read, then left alone.
            browser.driver.get("about:blank")
            p.wait_until(lambda: not bridge.is_open(sim.port_id), 10, "the page to close the port")
            browser.open()
            p.connect(browser, bridge, sim)
            p.wait_until(lambda: browser.js("return performance.getEntriesByName('vireo-read').length") == 1,
                         10, "the read after Connect")
            browser.idle()
            time.sleep(SETTLE_SECONDS)
            pids = renderer_pids(browser)
            sent = len(sim.rx())
            before, tasks = cpu_ms(pids), task_ms(browser)
            time.sleep(IDLE_SECONDS)
            idle, idle_tasks = cpu_ms(pids) - before, task_ms(browser) - tasks
            idle_bytes = len(sim.rx()) - sent
            port_open = bridge.is_open(sim.port_id)
            # The same browser showing an empty page: what its renderers spend on their own.
            browser.driver.get("about:blank")
            time.sleep(SETTLE_SECONDS)
            pids = renderer_pids(browser)
            before = cpu_ms(pids)
            time.sleep(IDLE_SECONDS)
            blank = cpu_ms(pids) - before
        return statistics.median(connect), statistics.median(button), statistics.median(tool), idle, idle_bytes, \
            port_open, len(pids), blank, idle_tasks
    finally:
        session.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=9)
    parser.add_argument("--fresh", type=int, default=3, help="first loads in fresh profiles (each starts a browser)")
    args = parser.parse_args()
    raw, packed, rows = site_sizes()
    cold, floor, warm = start_times(args.runs, args.fresh)
    connect, button, tool, idle, idle_bytes, port_open, renderers, blank, idle_tasks = reads_and_idle(args.runs)
    load = os.getloadavg()
    print("Measured %s on %s, %d cores, load average %.2f %.2f %.2f; %s; median of %d rounds." % (
        time.strftime("%Y-%m-%d"), os.uname().nodename, os.cpu_count(), *load,
        subprocess.run(["/usr/bin/chromium", "--version"], capture_output=True, text=True).stdout.strip(), args.runs))
    print()
    print("| Measure | Result | Bound |")
    print("|---|---|---|")
    print("| Site, all files | %d bytes (%.0f KiB) | <= 300 KB: %s |" % (raw, raw / 1024, "met" if raw <= SIZE_BOUND else "NOT met"))
    print("|  the same, gzip -9 per file | %d bytes (%.0f KiB) | |" % (packed, packed / 1024))
    for name, size, small in rows:
        print("|   %s | %d bytes, gzip %d | |" % (name, size, small))
    print("| Interactive after navigation, file://, first load, fresh profile (median of %d) | %.0f ms | <= %d ms: %s |" % (
        args.fresh, cold, START_BOUND_MS, "met" if cold <= START_BOUND_MS else "NOT met"))
    print("|  an empty page, the same way (this machine's floor) | %.0f ms | |" % floor)
    print("|  the page beyond the empty page | %.0f ms | |" % (cold - floor))
    print("|  the page, browser running, cache disabled (median of %d) | %.0f ms | <= %d ms: %s |" % (
        args.runs, warm, START_BOUND_MS, "met" if warm <= START_BOUND_MS else "NOT met"))
    print("| `vireo4 read` (process start to exit) | %.1f ms | |" % tool)
    print("| Page: port opened, reader identified and shown | %.1f ms (%.2f x vireo4) | <= 1.2 x: %s |" % (
        connect, connect / tool, "met" if connect <= READ_RATIO_BOUND * tool else "NOT met"))
    print("| Page: READ on the open port | %.1f ms (%.2f x vireo4) | |" % (button, button / tool))
    print("| Renderer CPU over %d s idle, port open: %s (%d renderer processes) | %.0f ms | ~0 |" % (
        IDLE_SECONDS, "yes" if port_open else "NO", renderers, idle))
    print("|  the page's main-thread tasks in the same 10 s | %.1f ms | |" % idle_tasks)
    print("|  the same renderers over %d s on an empty page | %.0f ms | |" % (IDLE_SECONDS, blank))
    print("| Bytes sent to the reader while idle | %d commands | 0 |" % idle_bytes)
    return 0


if __name__ == "__main__":
    sys.exit(main())
