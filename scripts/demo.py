#!/usr/bin/env python3
"""The demo behind scripts/run.sh: VireoTool-4.exe under Wine in a prefix and working directory
of its own (build/demo/prefix, build/demo/work: the program's appconfig.ini stays there between
runs). With a display ($DISPLAY) the program is shown there until you close it; without one it
runs in a private Xvfb, and once its window is up and idle a screenshot is saved."""

import argparse
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import harness as h  # noqa: E402

DEMO_DIR = os.path.join(ROOT, "build", "demo")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--headless", action="store_true", help="use a private Xvfb even when $DISPLAY is set")
    parser.add_argument("--screenshot", default=os.path.join(DEMO_DIR, "screenshot.png"),
                        help="where the headless run saves its screenshot")
    args = parser.parse_args()
    display = None if args.headless else os.environ.get("DISPLAY") or None
    with h.Env(prefix=os.path.join(DEMO_DIR, "prefix"), workdir=os.path.join(DEMO_DIR, "work"),
               display=display, name="demo") as env:
        app = env.start_app()
        app.wait_main_window(60)
        if display:
            print("VireoTool-4 is running on display %s; close its window to end." % display, flush=True)
            code = app.wait_exit(timeout=10 ** 9)
            print("VireoTool-4 ended with exit code %d." % code)
            return
        app.settle(quiet=1.0, timeout=60)
        shown = env.windows(pid=app.pid)  # the main window and any box still open
        os.makedirs(os.path.dirname(os.path.abspath(args.screenshot)), exist_ok=True)
        env.screenshot(args.screenshot)
        for caption, text, icon in app.box_log:
            print("message box: %s (icon %s)" % (text.decode("cp1251", "replace"), icon))
        print("VireoTool-4 ran headless (no $DISPLAY); %d window(s) shown." % len(shown))
        print("Screenshot: %s" % os.path.abspath(args.screenshot))
        app.close()


if __name__ == "__main__":
    main()
