# SPDX-License-Identifier: Apache-2.0
"""The demo behind scripts/run.sh, headless: it finds the simulated Vireo-4KRM and the Vireo-4-USB,
saves its screenshots, says where, and leaves no Wine process of its prefix behind. And the
README's commands for trying the program without hardware, run as a newcomer would, in a fresh
Wine prefix with an English locale: the Russian texts are readable."""
import os
import re
import signal
import subprocess
import sys
import tempfile
import types

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402

T = h.Tests(__file__)
DEMO = os.path.join(h.SOURCE_DIR, "scripts", "demo.py")
DEMO_PREFIX = os.path.join(h.SOURCE_DIR, "build", "demo", "prefix")
SHOTS = ("found.png", "krm-settings.png", "usb-settings.png")
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
DEMO_TIMEOUT = 300
README = os.path.join(h.SOURCE_DIR, "README.md")
# The paths in the README's commands, and where this build has them.
README_SIM = "build/native/sim/vireo-sim"
README_EXE = "build/win/VireoTool-4.exe"
README_LINK = "/tmp/vireo-com7"
NEWCOMER_START = 240  # seconds: the first Wine command makes the prefix


def readme_commands():
    """The shell commands of the README's "Trying it without hardware"."""
    with open(README, encoding="utf-8") as f:
        text = f.read()
    section = text.split("## Trying it without hardware", 1)[1]
    return re.search(r"```\n(.*?)```", section, re.S).group(1)


def newcomer_environment(prefix, display):
    """A shell of someone new to the program: an English locale and no Wine settings but a
    prefix of their own; Wine is only kept from asking to install Mono or Gecko."""
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("WINE", "LC_")) and k not in ("LANG", "LANGUAGE", "DISPLAY")}
    env.update(LANG="en_US.UTF-8", WINEPREFIX=prefix, DISPLAY=display, WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    return env


def program_running(prefix):
    """The pid of the program's process in the prefix (the shell running the commands only
    names it inside its script)."""
    for pid in h._prefix_processes(prefix):
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as f:
                if any(arg.endswith(b"VireoTool-4.exe") for arg in f.read().split(b"\0")):
                    return pid
        except OSError:
            pass
    return None


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


@T.case("the README's commands, run as a newcomer would, show readable Russian texts")
def _():
    with h.Env() as env:
        commands = readme_commands()
        for path in (README_SIM, README_EXE, README_LINK):
            h.expect(path in commands, "the README's commands name %s" % path)
        # Only the paths are this run's own: the build's, and a link and a working folder in the
        # test's folder. The working folder's file chooses the USB tab, whose start-up search
        # asks the system for the reader instead of probing every COM port: a fresh prefix maps
        # the machine's own serial devices too, and nothing is sent to them.
        link = os.path.join(env.tmp, "vireo-com7")
        script = commands.replace(README_SIM, h.SIM).replace(README_EXE, h.APP_EXE).replace(README_LINK, link)
        work = env.new_dir("newcomer-work", config=h.config_file("RU", "USB_USB"))
        prefix = os.path.join(env.tmp, "newcomer-prefix")
        shell_env = newcomer_environment(prefix, env.display)
        with open(os.path.join(env.logdir, "readme.log"), "wb") as log:
            shell = subprocess.Popen(["bash", "-c", script], cwd=work, env=shell_env, stdin=subprocess.DEVNULL,
                                     stdout=log, stderr=log, start_new_session=True)
        driver = None
        try:
            h.wait_until(lambda: program_running(prefix) or shell.poll() is not None, NEWCOMER_START,
                         "the program started by the README's commands")
            h.expect(shell.poll() is None, "the README's commands ended with %s" % shell.returncode)
            # The driver reads texts as code page 1251 bytes: a text the program drew through
            # another code page does not read back as the Russian it was meant to be.
            driver = h.Driver(h._wine_env(prefix, env.display, 1251), os.path.join(env.logdir, "vdriver.log"))
            view = types.SimpleNamespace(driver=driver)
            main = h.wait_until(lambda: driver.cmd("find", h.to_hex(h.MAIN_CLASS), "-", 0, 1).split(), 60,
                                "the main window")[0]
            h.expect_eq(h.Window(view, main).text, h.TITLE_RU, "the window title")
            box = h.Box(view, h.wait_until(lambda: driver.cmd("find", h.to_hex(h.BOX_CLASS), "-", 0, 1).split(),
                                           60, "the search's message box")[0])
            h.wait_until(lambda: box.child(h.BOX_TEXT_ID) is not None, 10, "the box's text")
            h.expect_eq(box.caption, h.ru("Сообщение"), "the box's caption")
            h.expect_eq(box.message, h.ru("Vireo-4-USB не найден!"), "the box's text")
        finally:
            if driver is not None:
                driver.close()
            subprocess.run(["wineserver", "-k"], env=shell_env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
            try:
                os.killpg(shell.pid, signal.SIGTERM)  # the shell and the simulator it left running
            except ProcessLookupError:
                pass
            try:
                shell.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(shell.pid, signal.SIGKILL)
                shell.wait(5)
            h.wait_until(lambda: not os.path.lexists(link), 10, "the simulator to end")
            for pid in h._prefix_processes(prefix):
                h._kill_pid(pid)


T.main()
