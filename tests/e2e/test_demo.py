"""The demo behind scripts/run.sh, headless: it finds the simulated Vireo-4KRM and the Vireo-4-USB,
saves its screenshots, says where, and leaves no Wine process of its prefix behind."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402

T = h.Tests(__file__)
DEMO = os.path.join(h.SOURCE_DIR, "scripts", "demo.py")
DEMO_PREFIX = os.path.join(h.SOURCE_DIR, "build", "demo", "prefix")
SHOTS = ("found.png", "krm-settings.png", "usb-settings.png")
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
DEMO_TIMEOUT = 300


@T.case("headless demo: both readers found, screenshots saved and named, everything ended")
def _():
    out = tempfile.mkdtemp(prefix="vireo-demo-")
    try:
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        run = subprocess.run([sys.executable, DEMO, "--headless", "--out", out], env=env, capture_output=True,
                             text=True, timeout=DEMO_TIMEOUT, stdin=subprocess.DEVNULL)
        h.expect_eq(run.returncode, 0, "demo exit code (output: %s %s)" % (run.stdout[-800:], run.stderr[-800:]))
        h.expect("found the Vireo-4KRM on COM3" in run.stdout, "the KRM is reported found: %s" % run.stdout)
        h.expect("found the Vireo-4-USB" in run.stdout, "the USB reader is reported found")
        for name in SHOTS:
            path = os.path.join(out, name)
            h.expect(path in run.stdout, "the demo says where %s is" % name)
            with open(path, "rb") as f:
                h.expect_eq(f.read(8), PNG_SIGNATURE, "%s is a PNG" % name)
        h.expect_eq(h._prefix_processes(DEMO_PREFIX), [], "Wine processes of the demo prefix left")
    finally:
        for name in os.listdir(out):
            os.unlink(os.path.join(out, name))
        os.rmdir(out)


T.main()
