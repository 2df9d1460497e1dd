#!/usr/bin/python3
"""Benchmark of the browser page (build/web/site) in headless Chromium on this machine. Prints
each figure beside its bound. A benchmark, not a test: it never fails.

- size: every file of the site, raw and gzip -9 (what a server compressing them sends);
- start: from navigation to the page interactive (the WebAssembly core instantiated, the page
  built: its performance mark "vireo-ready"), opened from file://, the first load in a fresh
  browser profile (cold) and further loads with the cache disabled;
- read: the page's read of a reader (port opened, reader identified and shown: its measure
  "vireo-read"; and READ on the open port) beside `vireo4 read` against the same simulator in
  the same run, alternating;
- idle: CPU time of the page's renderer processes over 10 s with a port open and nothing to do,
  and the bytes sent to the reader meanwhile.

Run with Debian's Python (selenium, websockets): /usr/bin/python3 scripts/bench_web.py [--runs N]
"""
import argparse
import gzip
import os
import statistics
import subprocess
import sys
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


def start_times(runs):
    """The first load in a fresh profile, then loads with the browser's cache off."""
    with p.Browser(bypass_csp=False) as browser:
        browser.open()
        cold = ready_ms(browser)
        browser.driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
        again = []
        for _ in range(runs):
            browser.open()
            again.append(ready_ms(browser))
    return cold, statistics.median(again)


def renderer_pids(browser):
    """The renderer processes of this browser: children of its chromedriver's Chromium."""
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
                    if b"--type=renderer" in f.read():
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


def vireo4_read(link):
    start = time.monotonic()
    subprocess.run([os.environ["VIREO4"], "read", link], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   env=dict(os.environ, LC_ALL="C"), check=False)
    return (time.monotonic() - start) * 1000


def reads_and_idle(runs):
    session = p.Session()
    try:
        browser, bridge = session.fresh()
        with p.Fleet() as fleet:
            sim, = p.sims_on_bridge(fleet, bridge, [("krm", "M", "1.10", None, None)], granted=True)
            connect, button, tool = [], [], []
            for _ in range(runs):
                tool.append(vireo4_read(sim.link))
                browser.open()
                p.wait_until(lambda: browser.js("return performance.getEntriesByName('vireo-read').length") == 1,
                             10, "the read on load")
                connect.append(browser.js("return performance.getEntriesByName('vireo-read')[0].duration"))
                browser.idle()
                browser.click("read")
                p.wait_until(lambda: browser.js("return performance.getEntriesByName('vireo-read').length") == 2,
                             10, "READ")
                button.append(browser.js("return performance.getEntriesByName('vireo-read')[1].duration"))
            browser.idle()
            pids = renderer_pids(browser)
            sent = len(sim.rx())
            before = cpu_ms(pids)
            time.sleep(IDLE_SECONDS)
            idle = cpu_ms(pids) - before
            idle_bytes = len(sim.rx()) - sent
            port_open = bridge.is_open(sim.port_id)
        return statistics.median(connect), statistics.median(button), statistics.median(tool), idle, idle_bytes, \
            port_open, len(pids)
    finally:
        session.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=9)
    args = parser.parse_args()
    raw, packed, rows = site_sizes()
    cold, warm = start_times(args.runs)
    connect, button, tool, idle, idle_bytes, port_open, renderers = reads_and_idle(args.runs)
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
    print("| Interactive after navigation, file://, first load, fresh profile | %.0f ms | <= %d ms: %s |" % (
        cold, START_BOUND_MS, "met" if cold <= START_BOUND_MS else "NOT met"))
    print("|  the same, cache disabled (median) | %.0f ms | |" % warm)
    print("| `vireo4 read` (process start to exit) | %.1f ms | |" % tool)
    print("| Page: port opened, reader identified and shown | %.1f ms (%.2f x vireo4) | <= 1.2 x: %s |" % (
        connect, connect / tool, "met" if connect <= READ_RATIO_BOUND * tool else "NOT met"))
    print("| Page: READ on the open port | %.1f ms (%.2f x vireo4) | |" % (button, button / tool))
    print("| Renderer CPU over %d s idle, port open: %s (%d renderer processes) | %.0f ms | ~0 |" % (
        IDLE_SECONDS, "yes" if port_open else "NO", renderers, idle))
    print("| Bytes sent to the reader while idle | %d commands | 0 |" % idle_bytes)
    return 0


if __name__ == "__main__":
    sys.exit(main())
