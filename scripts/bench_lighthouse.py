#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""Lighthouse's four scores of the browser page (performance, accessibility, best practices,
SEO), with its mobile preset (a slow phone on a slow network, simulated) and its desktop
preset. The built site is served over http on localhost (a secure context, as a deployer's
https is), in Debian's headless Chromium. A benchmark, not a test: it takes about a minute and
its performance score follows the machine's load, so it is not in the suite.

    /usr/bin/python3 scripts/bench_lighthouse.py [--site build/web/site] [--runs N]

Lighthouse is npm's `lighthouse`, pinned in tests/web/package-lock.json (`npm ci` there).
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))

LIGHTHOUSE = os.path.join(ROOT, "tests", "web", "node_modules", "lighthouse", "cli", "index.js")
CATEGORIES = ("performance", "accessibility", "best-practices", "seo")
CHROME_FLAGS = "--headless=new --no-sandbox --disable-gpu --no-first-run --disable-background-networking"


def scores(url, preset):
    with tempfile.TemporaryDirectory(prefix="vireo-lighthouse-") as folder:
        report = os.path.join(folder, "report.json")
        command = ["node", LIGHTHOUSE, url, "--quiet", "--output=json", "--output-path=" + report,
                   "--only-categories=" + ",".join(CATEGORIES), "--chrome-flags=" + CHROME_FLAGS]
        if preset == "desktop":
            command.append("--preset=desktop")
        environment = dict(os.environ, CHROME_PATH="/usr/bin/chromium", TMPDIR=folder)
        done = subprocess.run(command, capture_output=True, text=True, timeout=300, env=environment)
        if done.returncode != 0 or not os.path.exists(report):
            raise SystemExit("lighthouse failed (%d): %s" % (done.returncode, done.stderr[-2000:]))
        with open(report, encoding="utf-8") as f:
            result = json.load(f)
    figures = {name: round(100 * result["categories"][name]["score"]) for name in CATEGORIES}
    audits = result["audits"]
    figures["tbt_ms"] = round(audits["total-blocking-time"]["numericValue"])
    figures["lcp_ms"] = round(audits["largest-contentful-paint"]["numericValue"])
    failing = [key for key, audit in audits.items()
               if audit.get("score") is not None and audit["score"] < 1 and audit.get("scoreDisplayMode") == "binary"]
    return figures, failing


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", default=os.environ.get("VIREO_WEB_SITE", os.path.join(ROOT, "build", "web", "site")))
    parser.add_argument("--runs", type=int, default=1)
    args = parser.parse_args()
    os.environ["VIREO_WEB_SITE"] = os.path.abspath(args.site)
    import page_support as p  # the site's server, once the site is known
    with p.SiteServer() as site:
        url = "http://localhost:%d/index.html" % site.port
        for preset in ("mobile", "desktop"):
            runs = [scores(url, preset) for _ in range(args.runs)]
            median = {key: statistics.median(r[0][key] for r in runs) for key in runs[0][0]}
            print("%-7s performance %3d  accessibility %3d  best practices %3d  SEO %3d   (TBT %d ms, LCP %d ms; %d run(s))"
                  % (preset, median["performance"], median["accessibility"], median["best-practices"], median["seo"],
                     median["tbt_ms"], median["lcp_ms"], len(runs)), flush=True)
            if runs[-1][1]:
                print("        audits not passed:", ", ".join(sorted(runs[-1][1])), flush=True)


if __name__ == "__main__":
    main()
