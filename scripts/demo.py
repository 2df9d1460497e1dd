#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""The demo behind scripts/run.sh: VireoTool-4.exe under Wine with two simulated readers, in a
prefix of its own (build/demo/prefix). On a display the working folder is build/demo/work: the
program's appconfig.ini stays there between runs, and work/help/ holds the manual for the Help
command.

The readers are vireo-sim processes: a Vireo-4KRM with firmware 1.10 on COM3, and a Vireo-4-USB
with firmware 1.10 registered as the USB device VID_2E3C&PID_5750&REV_0200 whose virtual COM
port is COM4.

- With a display ($DISPLAY) the program is shown there until you close it; it finds the KRM at
  once, and the Vireo-4-USB tab finds the USB reader.
- Without one it runs in a private Xvfb: it waits for the program to find the reader and read
  its settings, saves screenshots of the found message and of the decoded page of each tab, and
  says where they are.

Ending the program ends the simulators, the demo prefix's Wine processes and the X server the
demo started; so does Ctrl+C.
"""
import argparse
import os
import shutil
import signal
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
os.environ.setdefault("VIREO_WIN_BUILD_DIR", os.path.join(ROOT, "build", "win"))
os.environ.setdefault("VIREO_SOURCE_DIR", ROOT)
os.environ.setdefault("VIREO_SIM", os.path.join(ROOT, "build", "native", "sim", "vireo-sim"))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import harness as h  # noqa: E402
from take_screenshots import crop, tab_control, union  # noqa: E402
from built_version import manual_name  # noqa: E402

DEMO_DIR = os.path.join(ROOT, "build", "demo")
WORK_DIR = os.path.join(DEMO_DIR, "work")
MANUAL = os.path.join(h.WIN_BUILD_DIR, "help", manual_name(h.WIN_BUILD_DIR))
KRM_COM, USB_COM = 3, 4
USB_INSTANCE = "5&2A3B4C5D&0&1"
USB_TAB = 1
ID_VERSION_VALUE = 34
CARD = ("--barcode", "1234567", "--cipher", "54321")


def say(text):
    print("demo: " + text, flush=True)


def interrupt(signum, frame):
    raise KeyboardInterrupt()


def put_manual(folder):
    """The Help command looks for help\\ in the working directory, as after an installation."""
    if os.path.exists(MANUAL):
        os.makedirs(os.path.join(folder, "help"), exist_ok=True)
        shutil.copy(MANUAL, os.path.join(folder, "help", os.path.basename(MANUAL)))


def start_readers(env):
    krm = env.sim(model="M", firmware="1.10", settings="W441SO", com=KRM_COM, extra=CARD)
    usb = env.sim(model="B", firmware="1.10", settings="WHDH5EM", com=USB_COM, extra=CARD)
    env.boot()
    env.add_usb(USB_INSTANCE, "COM%d" % USB_COM)
    return krm, usb


def forget_usb(env):
    """The fake device lives in the demo prefix's registry: take it out again."""
    try:
        env.remove_usb(USB_INSTANCE)
    except (h.DriverError, AttributeError):
        pass


def on_display(display):
    config = None if os.path.exists(os.path.join(WORK_DIR, "appconfig.ini")) else h.config_file("EN", "KRU_KRM")
    with h.Env(prefix=os.path.join(DEMO_DIR, "prefix"), workdir=WORK_DIR, display=display, config=config,
               name="demo") as env:
        put_manual(env.workdir)
        krm, usb = start_readers(env)
        try:
            app = env.start_app()
            app.wait_main_window(60)
            say("VireoTool-4 runs on display %s; working folder %s." % (display, os.path.relpath(WORK_DIR)))
            say("readers: Vireo-4KRM 1.10 on COM%d, Vireo-4-USB 1.10 on COM%d (its tab finds it);"
                " while the demo runs their wire logs are %s and %s." % (KRM_COM, USB_COM, krm.log_path, usb.log_path))
            say("close the program to end the demo.")
            code = app.wait_exit(timeout=10 ** 9)
            say("VireoTool-4 ended with exit code %d; the readers are stopped." % code)
        finally:
            forget_usb(env)


def headless(out):
    os.makedirs(out, exist_ok=True)
    # A working folder of its own, so it starts on the KRU/KRM tab in English whatever the
    # display runs chose (their appconfig.ini stays as it is).
    with h.Env(prefix=os.path.join(DEMO_DIR, "prefix"), config=h.config_file("EN", "KRU_KRM"),
               name="demo") as env:
        put_manual(env.workdir)
        start_readers(env)
        try:
            app = env.start_app()
            main = app.wait_main_window(60)
            say("no display: VireoTool-4 runs under a private Xvfb (%s)." % env.display)

            app.expect_box(h.ui("Settings read!"), icon=3, timeout=60)
            found = app.expect_box(h.ui("Vireo-4KRM reader found!\n\r->[COM3]"), icon=3, press=False)
            shots = [os.path.join(out, "found.png"), os.path.join(out, "krm-settings.png"),
                     os.path.join(out, "usb-settings.png")]
            crop(env, union(main.rect, found.rect), shots[0])
            found.press_ok_and_wait()
            app.settle(quiet=0.5, timeout=30)
            crop(env, main.rect, shots[1])
            say("found the Vireo-4KRM on COM3 and decoded its settings (firmware %s)."
                % main.child(ID_VERSION_VALUE).text.decode("latin-1"))

            tab_control(main).tab_click(USB_TAB)
            app.expect_box(h.ui("Vireo-4-USB reader found!\n\r->[COM4]"), icon=3, timeout=60)
            app.expect_box(h.ui("Settings read!"), icon=3, timeout=60)
            app.settle(quiet=0.5, timeout=30)
            crop(env, main.rect, shots[2])
            say("found the Vireo-4-USB by its USB identity on COM4 and decoded its settings.")
            code = app.close()
            say("VireoTool-4 ended with exit code %d; the readers are stopped." % code)
            say("screenshots of the found message and the decoded pages:")
            for path in shots:
                print("  " + os.path.abspath(path), flush=True)
        finally:
            forget_usb(env)


def main():
    parser = argparse.ArgumentParser(description="VireoTool-4 under Wine with simulated readers")
    parser.add_argument("--headless", action="store_true", help="use a private Xvfb even when $DISPLAY is set")
    parser.add_argument("--out", default=os.path.join(DEMO_DIR, "screenshots"),
                        help="where the headless run saves its screenshots")
    args = parser.parse_args()
    for path in (h.APP_EXE, h.DRIVER_EXE, h.SIM):
        if not os.path.exists(path):
            sys.exit("demo: %s is missing; run bash scripts/build.sh" % path)
    display = None if args.headless else os.environ.get("DISPLAY") or None
    signal.signal(signal.SIGTERM, interrupt)
    try:
        if display:
            on_display(display)
        else:
            headless(args.out)
    except KeyboardInterrupt:
        say("interrupted; the readers and Wine have been stopped.")
        return 130
    except h.Failure as failure:
        say("the demo did not go as expected: %s" % failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
