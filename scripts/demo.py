#!/usr/bin/env python3
"""The demo behind scripts/run.sh: VireoTool-4 under Wine with two simulated readers.

It starts vireo-sim readers, a Vireo-4KRM with firmware 1.10 on COM3 and a Vireo-4-USB
registered as the USB device VID_2E3C&PID_5750&REV_0200 whose virtual port is COM4, in a fresh
Wine prefix (cloned from the test template, about a second), then starts VireoTool-4.exe:

- with a display ($DISPLAY set, or --display): on that display, in the working folder
  build/demo/ (which keeps appconfig.ini between runs and has help/ for the Help command),
  until you close the program;
- without one (or --headless): under its own Xvfb, where it waits for the reader to be found
  and its settings read, saves screenshots of the found message and of the decoded page of each
  tab, and says where they are.

Ending the program ends the simulators, Wine's processes of the demo prefix and the X server it
started; so does Ctrl+C.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
os.environ.setdefault("VIREO_WIN_BUILD_DIR", os.path.join(ROOT, "build", "win"))
os.environ.setdefault("VIREO_SOURCE_DIR", ROOT)
os.environ.setdefault("VIREO_SIM", os.path.join(ROOT, "build", "native", "sim", "vireo-sim"))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import harness as h  # noqa: E402

sys.path.insert(0, os.path.join(ROOT, "scripts"))
from take_screenshots import crop, union  # noqa: E402

DEMO_DIR = os.path.join(ROOT, "build", "demo")
MANUAL = os.path.join(h.WIN_BUILD_DIR, "help", "VireoTool-4 ver_2_00.pdf")
KRM_COM, USB_COM = 3, 4
USB_INSTANCE = "5&2A3B4C5D&0&1"
USB_TAB = 1
CARD = ("--barcode", "1234567", "--cipher", "54321")


class DemoEnv(h.Env):
    """The test environment, on the user's display when there is one."""

    def __init__(self, display=None, **kw):
        super().__init__(**kw)
        self.user_display = display

    def _start_xvfb(self):
        if self.user_display:
            self.display = self.user_display
            # A window manager runs there: let it frame Wine's windows.
            h.reg_file_set(self.prefix, "user", "Software\\Wine\\X11 Driver", "Managed", "Y")
            return
        super()._start_xvfb()


def put_manual(folder):
    if os.path.exists(MANUAL):
        os.makedirs(os.path.join(folder, "help"), exist_ok=True)
        shutil.copy(MANUAL, os.path.join(folder, "help", os.path.basename(MANUAL)))


def start_readers(env):
    krm = env.sim(model="M", firmware="1.10", settings="W441SO", com=KRM_COM, extra=CARD)
    usb = env.sim(model="B", firmware="1.10", settings="WHDH5EM", com=USB_COM, extra=CARD)
    return krm, usb


def say(text):
    print("demo: " + text, flush=True)


def interactive(display):
    os.makedirs(DEMO_DIR, exist_ok=True)
    put_manual(DEMO_DIR)
    with DemoEnv(display=display, name="demo") as env:
        krm, usb = start_readers(env)
        env.boot()
        env.add_usb(USB_INSTANCE, "COM%d" % USB_COM)
        app = env.start_app(cwd=DEMO_DIR)
        say("VireoTool-4 runs on display %s (working folder %s)." % (display, os.path.relpath(DEMO_DIR, ROOT)))
        say("Readers: Vireo-4KRM 1.10 on COM%d (log %s), Vireo-4-USB 1.10 on COM%d (log %s)."
            % (KRM_COM, krm.log_path, USB_COM, usb.log_path))
        say("Close the program to end the demo.")
        while app.exit_code() is None:
            time.sleep(0.5)
        say("the program ended (exit code %d); stopping the readers." % app.exit_code())


def headless(out):
    os.makedirs(out, exist_ok=True)
    with DemoEnv(display=None, config=h.config_file("EN", "KRU_KRM"), name="demo") as env:
        put_manual(env.workdir)
        krm, usb = start_readers(env)
        env.boot()
        env.add_usb(USB_INSTANCE, "COM%d" % USB_COM)
        app = env.start_app()
        main = app.wait_main_window()
        say("no display: VireoTool-4 runs under Xvfb %s; waiting for the reader search." % env.display)

        app.expect_box(h.ui("Settings read!"), icon=3, timeout=60)
        found = app.expect_box(h.ui("Vireo-4KRM reader found!\n\r->[COM3]"), icon=3, press=False)
        h.wait_until(lambda: found.icon == 3, 10, "the box to be drawn")
        crop(env, union(main.rect, found.rect), os.path.join(out, "demo-found.png"))
        found.press_ok_and_wait()
        h.wait_until(lambda: main.enabled, 10, "the main window to be enabled")
        crop(env, main.rect, os.path.join(out, "demo-krm-settings.png"))
        say("found the Vireo-4KRM on COM3 and read its settings (version %s)."
            % main.child(34).text.decode("latin-1"))

        main.tab_click(USB_TAB)
        app.expect_box(h.ui("Vireo-4-USB reader found!\n\r->[COM4]"), icon=3, timeout=60)
        app.expect_box(h.ui("Settings read!"), icon=3, timeout=60)
        h.wait_until(lambda: main.enabled, 10, "the main window to be enabled")
        crop(env, main.rect, os.path.join(out, "demo-usb-settings.png"))
        say("found the Vireo-4-USB on COM4 by its USB identity and read its settings.")
        h.expect_eq(app.close(), 0, "the program's exit code")
        say("screenshots of the found message and of the decoded pages are in %s" % out)


def interrupt(signum, frame):
    raise KeyboardInterrupt()


def main():
    parser = argparse.ArgumentParser(description="VireoTool-4 with simulated readers")
    parser.add_argument("--headless", action="store_true", help="run under Xvfb even with a display")
    parser.add_argument("--display", default=os.environ.get("DISPLAY", ""), help="X display to use")
    parser.add_argument("--out", default=os.path.join(ROOT, "build", "demo-screenshots"),
                        help="folder for the headless screenshots")
    args = parser.parse_args()
    for path in (h.APP_EXE, h.DRIVER_EXE, h.SIM):
        if not os.path.exists(path):
            sys.exit("demo: %s is missing; run bash scripts/build.sh" % path)
    # Ctrl+C and SIGTERM end the demo through the environment's clean-up.
    signal.signal(signal.SIGTERM, interrupt)
    try:
        if args.display and not args.headless:
            interactive(args.display)
        else:
            headless(args.out)
    except KeyboardInterrupt:
        say("interrupted; the readers and Wine are stopped.")
        return 130
    except h.Failure as failure:
        say("the demo did not go as expected: %s" % failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
