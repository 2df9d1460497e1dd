# SPDX-License-Identifier: Apache-2.0
"""End-to-end harness: the real VireoTool-4.exe under Wine and Xvfb, driven by vdriver.exe.

Python 3 standard library only. Each tests/e2e/test_*.py is a standalone script (one ctest test)
that exits non-zero when a check fails. Typical use:

    import harness as h

    T = h.Tests(__file__)

    @T.case("English file gives the English title")
    def _():
        with h.Env(config=h.config_file("EN", "KRU_KRM")) as env:
            sim = env.sim(model="M", com=3)          # before boot(): a static COM3 (Ports key)
            app = env.start_app()                   # boots wineserver + vdriver on first use
            win = app.wait_main_window()
            h.expect_eq(win.text, b"VireoTool-4 ver.2.00 (x64)", "title")
            app.expect_box(h.ui("Vireo-4KRM reader found!\\n\\r->[COM3]"), icon=3)  # checks, presses OK
            h.expect_eq(sim.rx(), b"AT+READS_KRX", "bytes the reader got")
            app.close()                             # WM_CLOSE; returns the exit code
    T.main()

Env(config=None, readonly=False, acp=1251, files=None, name=None, prefix=None, workdir=None,
    display=None)
    A context manager: fresh temp dir with a working directory (`env.workdir`, optional initial
    "appconfig.ini" bytes `config`, extra `files` {name: bytes}, `readonly` makes the directory
    immutable even for root), a fresh WINEPREFIX cloned from a per-build template (hard links for
    the large DLL files, real copies of the registry files: about 0.2 s), its own Xvfb
    (1280x1024x24, free display via -displayfd). `acp`: 1251 runs Wine with LC_ALL=ru_RU.UTF-8
    (ANSI code page 1251, OEM 866, Russian user locale: Cyrillic captions are readable on
    screenshots and byte-exact through the "A" functions); 1252 uses en_US; None inherits.
    On exit every process it started is ended by id (Xvfb, wineserver, vdriver, simulators),
    `wineserver -k` ends the program and Wine's own services, stragglers of the prefix are
    killed by pid, and the temp dir is removed (kept when VIREO_E2E_KEEP=1). When the block
    raises, a screenshot goes to build/e2e-artifacts/<test>/ first.
    For the demo (scripts/demo.py): `prefix` and `workdir` name persistent directories (the
    prefix is cloned from the template when it has no system.reg yet; neither is removed),
    `display` an existing X display to use instead of starting Xvfb.
  env.boot()                   start `wineserver -p -f` (stderr to /dev/null) and vdriver.exe;
                               called by start_app()/driver on first use. Static ports must be
                               registered before.
  env.register_port(n, path)   static COMn -> path in HKLM\\Software\\Wine\\Ports (before boot).
  env.plug_port(n, path)       hot plug: dosdevices/comN symlink, then the SERIALCOMM value
                               "\\Device\\VireoN" = "COMN" (one vdriver call).
  env.unplug_port(n)           deletes the SERIALCOMM value, then the symlink.
  env.add_usb(instance, port, hardware_ids=None, device=None) / env.remove_usb(instance, device)
                               the fake USB reader key under Enum\\USB (ClassGUID written last).
  env.device_change()          WM_DEVICECHANGE DBT_DEVNODES_CHANGED broadcast (waits <= 2 s).
  env.sim(model="M", firmware="1.10", settings=None, com=None, hot=False, barcode=None,
          cipher=None, link=None, extra=()) -> Sim
                               starts $VIREO_SIM (options as in sim/README.md; `extra` more
                               arguments such as ["--silent"]); with com= registers its pty as
                               COMn (static before boot, hot plug after boot or when hot=True).
  env.pty(com=None, hot=False) -> FakePort  a raw pty owned by the test (.pty path, read(),
                               write(); a port nobody answers on unless the test does).
  env.start_app(cwd=None, args=None) -> App   CreateProcess from vdriver (stdio on NUL), cwd =
                               workdir; `args` the command line after the program's path.
  env.screenshot(path=None) -> path   `import -window root` of the test's display (PNG);
                               the default path is env.artifact_path(".png").
  env.wait_window(cls=None, title=None, pid=0, timeout=30) -> Window  (visible, top-level)
  env.foreground() -> Window or None
  env.read_file(name="appconfig.ini", cwd=None) -> bytes or None
  env.listing(cwd=None) -> sorted file names of the working directory
  env.windows(cls=None, title=None, pid=0, visible=True) -> [Window] top-level, z-order
  env.serial_ports() -> {value name: data} of HARDWARE\\DEVICEMAP\\SERIALCOMM (bytes)
  env.driver.cmd("...")        raw driver command (see tests/e2e/driver/driver.cpp)

App: pid; wait_main_window(timeout) -> Window; main (the cached main Window);
  wait_dialog(caption, timeout) -> Window; wait_exit(timeout) -> exit code; exit_code() (None
  while running); running(); close() (posts WM_CLOSE, waits, returns the code); kill();
  boxes() -> [Box] of this process, topmost first; wait_box(timeout) -> Box;
  expect_box(text, icon=None, timeout=30, caption=None, press=True) -> Box (checks, then
  presses OK and waits for the box to go); expect_no_box(within); box_log: every box seen by
  wait_box/expect_box as (caption, text, icon); settle(quiet) waits until no box/popup is up
  and the main window is enabled (pressing OK on boxes met, returning them); gui() ->
  {"gdi": GDI objects in use (read from the program's GDI handle table), "windows" (also as
  "user"): windows it owns, "handles": kernel handles, "gdi_api"/"user_api": GetGuiResources,
  always 0 under Wine}.

Window: hwnd; info() (fresh dict); text, cls, style, exstyle, id, visible, enabled, iconic,
  rect (l,t,r,b screen), client_rect (x,y,w,h: screen origin, size), inparent (l,t,r,b in the
  parent's client coordinates), check (buttons), exists(); child(id) -> Window or None;
  children(); click() (posts BM_CLICK); command(id, code=0) (posts WM_COMMAND to this window);
  post(msg, w, l); send(msg, w, l, timeout_ms) -> result; close() (posts WM_CLOSE);
  send_close() (SendMessage WM_CLOSE); sys_close() (WM_SYSCOMMAND SC_CLOSE, the close box);
  minimize(); restore(); lclick(x, y); rclick(x, y) (client points); pixel(x, y) -> 0x00BBGGRR;
  pixels(x, y, w, h) -> RGB bytes; combo() -> (items, selection); tabs() -> (items, selection);
  tab_rect(index); tab_click(index) (posted button down/up at the middle of the tab: the tab
  control itself then sends TCN_SELCHANGING/TCN_SELCHANGE, as for a user's click; WM_NOTIFY
  cannot be sent to another process under Wine, so there is no "select without click");
  menu() -> [MenuItem] of the menu bar (path tuple, id, state, kind, submenu, text; .checked,
  .grayed, .separator), read inside the program by vprobe.dll; menu_item(command_id).
  Menu commands are chosen with command(id) on the main window (WM_COMMAND, as the menu does).
Box(Window): caption, message (the 0xFFFF static's bytes), icon (3..7, identified by pixels,
  see Box.icon), ok() (posts BM_CLICK to the OK button), press_ok_and_wait().

Sim: pty, pid, started (monotonic time at start), log_path, control_path; log() ->
  [(ms, "RX"|"TX", bytes)]; events(tags=None) -> every log line (OPEN, CLOSE, ... too); rx() /
  tx() all bytes received / sent; wait_log(predicate, timeout); control(line); stop().

Checks: expect(cond, msg), expect_eq(actual, expected, what), wait_until(fn, timeout, what)
  raise Failure; Tests(__file__).case(title, timeout=240) registers a case, main() runs them
  (argument: a substring to run only matching cases), prints "PASS"/"FAIL" lines and
  "N passed, N failed", exits 1 on any failure. A case over its time fails with cleanup done;
  SIGTERM/SIGHUP end the run through the same cleanup.
Texts: ui(str) -> the English text as bytes; ru(str) -> CP1251 bytes; config_file(lang, tab).
"""

import contextlib
import fcntl
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time
import traceback

# ----------------------------------------------------------------------------------------------
# Paths and constants

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.environ.get("VIREO_SOURCE_DIR") or os.path.dirname(os.path.dirname(HERE))
WIN_BUILD_DIR = os.environ.get("VIREO_WIN_BUILD_DIR") or os.path.join(SOURCE_DIR, "build", "win")
SIM = os.environ.get("VIREO_SIM") or os.path.join(SOURCE_DIR, "build", "native", "sim", "vireo-sim")
APP_EXE = os.path.join(WIN_BUILD_DIR, "VireoTool-4.exe")
DRIVER_EXE = os.path.join(WIN_BUILD_DIR, "vdriver.exe")
TEMPLATE_PREFIX = os.path.join(WIN_BUILD_DIR, "e2e-template-prefix")
ARTIFACTS_DIR = os.path.join(os.path.dirname(WIN_BUILD_DIR), "e2e-artifacts")
TEMPLATE_VERSION = "4"  # bump when the template's settings change

SCREEN = "1280x1024x24"
MAIN_CLASS = b"my Window"
BOX_CLASS = b"#32770"
BOX_TEXT_ID = 0xFFFF
SS_ICON = 0x3
SS_TYPEMASK = 0x1F
IDOK = 1
IDCANCEL = 2

WM_CLOSE = 0x0010
WM_COMMAND = 0x0111
WM_SYSCOMMAND = 0x0112
SC_CLOSE = 0xF060
SW_MINIMIZE = 6
SW_RESTORE = 9

WS_MINIMIZEBOX = 0x00020000
WS_MAXIMIZEBOX = 0x00010000
WS_THICKFRAME = 0x00040000
WS_SYSMENU = 0x00080000
WS_CAPTION = 0x00C00000
WS_VISIBLE = 0x10000000
WS_EX_TOPMOST = 0x00000008

SERIALCOMM = "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM"
DEFAULT_TIMEOUT = 30.0  # Wine on a shared 2-core machine can be slow to start
CASE_TIMEOUT = 240  # seconds; ctest gives a whole file 600

# ----------------------------------------------------------------------------------------------
# Checks and the test runner


class Failure(AssertionError):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def expect_eq(actual, expected, what):
    if actual != expected:
        raise Failure("%s: expected %r, got %r" % (what, expected, actual))


def wait_until(fn, timeout=DEFAULT_TIMEOUT, what="condition", interval=0.05):
    """Polls fn() until it returns a true value, which is returned; Failure on time-out."""
    deadline = time.monotonic() + timeout
    while True:
        value = fn()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


class Tests:
    """A tiny runner: cases run in order, each in its own Env, failures do not stop the rest."""

    def __init__(self, test_file):
        self.name = os.path.splitext(os.path.basename(test_file))[0]
        self.cases = []

    def case(self, title, timeout=CASE_TIMEOUT):
        """Registers a case; a case still running after `timeout` seconds fails (its Env still
        cleans up), so one hang cannot use up the whole file's ctest time."""
        def register(fn):
            self.cases.append((title, fn, timeout))
            return fn
        return register

    def main(self):
        selected = sys.argv[1] if len(sys.argv) > 1 else ""
        passed = failed = 0

        def stop(signum, _frame):
            raise SystemExit("stopped by signal %d" % signum)
        for signum in (signal.SIGTERM, signal.SIGHUP):
            signal.signal(signum, stop)

        def overtime(_signum, _frame):
            raise Failure("the case ran out of time")
        signal.signal(signal.SIGALRM, overtime)
        for title, fn, timeout in self.cases:
            if selected and selected not in title:
                continue
            _current_case[0] = (self.name, title)
            started = time.monotonic()
            signal.alarm(int(timeout))
            try:
                fn()
                passed += 1
                print("PASS %s (%.1f s)" % (title, time.monotonic() - started), flush=True)
            except Exception as error:  # every failure is reported, the next case still runs
                failed += 1
                print("FAIL %s (%.1f s): %s" % (title, time.monotonic() - started, error), flush=True)
                if not isinstance(error, Failure):
                    traceback.print_exc()
            finally:
                signal.alarm(0)
        print("%d passed, %d failed" % (passed, failed), flush=True)
        sys.exit(1 if failed or not passed else 0)


_current_case = [("e2e", "case")]

# ----------------------------------------------------------------------------------------------
# Texts


def ui(text):
    """An English text as the program sends it (plain ASCII bytes)."""
    return text.encode("ascii")


def ru(text):
    """A Russian text as the program sends it (code page 1251 bytes)."""
    return text.encode("cp1251")


def config_file(language="RU", tab="KRU_KRM", line_end=b"\r\n"):
    """An appconfig.ini as the program writes it: language RU/EN, tab KRU_KRM/USB_USB."""
    return b"Language = " + language.encode() + b";" + line_end + b"TabCtrl = " + tab.encode() + b";" + line_end


TITLE_EN = b"VireoTool-4 ver.2.00 (x64)"
TITLE_RU = ru("VireoTool-4 вер.2.00 (x64)")
DEFAULT_CONFIG = config_file("RU", "KRU_KRM")

# ----------------------------------------------------------------------------------------------
# Small helpers


def to_hex(data):
    if data is None:
        return "-"
    if isinstance(data, str):
        data = data.encode("cp1251")
    return "x:" + data.hex()


def from_hex(token):
    if not token.startswith("x:"):
        raise ValueError("not a byte string: %r" % token)
    return bytes.fromhex(token[2:])


def windows_path(unix_path):
    """The Z: drive maps the Unix root."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def _kill_pid(pid, sig=signal.SIGKILL):
    try:
        os.kill(pid, sig)
    except (ProcessLookupError, PermissionError):
        pass


def _stop_popen(proc, grace=3.0):
    """Ends a child we started: SIGTERM, then SIGKILL after `grace` seconds; reaps it."""
    if proc is None or proc.poll() is not None:
        return
    _kill_pid(proc.pid, signal.SIGTERM)
    try:
        proc.wait(grace)
    except subprocess.TimeoutExpired:
        _kill_pid(proc.pid)
        proc.wait(5)


def _prefix_processes(prefix):
    """Pids of processes whose environment names this WINEPREFIX (Wine's own services too)."""
    needle = ("WINEPREFIX=" + prefix).encode() + b"\0"
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as f:
                if needle in f.read() + b"\0":
                    found.append(int(entry))
        except OSError:
            pass
    return found


def _wine_env(prefix, display, acp):
    env = {k: v for k, v in os.environ.items() if not k.startswith(("WINE", "LC_"))}
    env.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    if display:
        env["DISPLAY"] = display
    if acp == 1251:
        env["LC_ALL"] = "ru_RU.UTF-8"
    elif acp == 1252:
        env["LC_ALL"] = "en_US.UTF-8"
    return env

# ----------------------------------------------------------------------------------------------
# Wine registry files (edited only while no wineserver runs on the prefix)


def _reg_escape(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def reg_file_set(prefix, hive, key, name, value):
    """Sets a REG_SZ `name`=`value` (or a dword when value is an int) under `key` in
    system.reg (hive "system", HKLM) or user.reg ("user", HKCU) of a stopped prefix."""
    path = os.path.join(prefix, hive + ".reg")
    with open(path, encoding="latin-1") as f:
        lines = f.read().split("\n")
    header = "[" + _reg_escape(key) + "]"
    entry_start = '"' + _reg_escape(name) + '"='
    entry = entry_start + ("dword:%08x" % value if isinstance(value, int) else '"' + _reg_escape(value) + '"')
    index = next((i for i, line in enumerate(lines) if line.lower().startswith(header.lower() + " ")
                  or line.lower() == header.lower()), None)
    if index is None:
        lines += [header + " %d" % int(time.time()), entry, ""]
    else:
        end = index + 1
        while end < len(lines) and not lines[end].startswith("["):
            end += 1
        for i in range(index + 1, end):
            if lines[i].startswith(entry_start):
                lines[i] = entry
                break
        else:
            insert = index + 1
            while insert < end and lines[insert].startswith("#"):
                insert += 1
            lines.insert(insert, entry)
    with open(path + ".new", "w", encoding="latin-1") as f:
        f.write("\n".join(lines))
    os.replace(path + ".new", path)

# ----------------------------------------------------------------------------------------------
# The template prefix: made once per build, under a lock, cloned by every Env


def _run_quiet(args, env, timeout=180):
    subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=timeout, check=False)


def template_prefix():
    wine_version = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    stamp_text = "%s %s\n" % (TEMPLATE_VERSION, wine_version)
    stamp = os.path.join(TEMPLATE_PREFIX, ".vireo-template")
    os.makedirs(WIN_BUILD_DIR, exist_ok=True)
    with open(TEMPLATE_PREFIX + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        try:
            with open(stamp) as f:
                if f.read() == stamp_text:
                    return TEMPLATE_PREFIX
        except OSError:
            pass
        building = TEMPLATE_PREFIX + ".new"
        shutil.rmtree(building, ignore_errors=True)
        shutil.rmtree(TEMPLATE_PREFIX, ignore_errors=True)
        env = _wine_env(building, None, None)
        server = subprocess.Popen(["wineserver", "-f", "-p"], env=env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            _run_quiet(["wineboot", "-i"], env)
            # No window manager under Xvfb: unmanaged windows close at once instead of after 2 s.
            _run_quiet(["wine", "reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed",
                        "/d", "N", "/f"], env)
        finally:
            _run_quiet(["wineserver", "-k"], env, timeout=30)
            try:
                server.wait(30)
            except subprocess.TimeoutExpired:
                _kill_pid(server.pid)
                server.wait(5)
            for pid in _prefix_processes(building):
                _kill_pid(pid)
        if not os.path.exists(os.path.join(building, "system.reg")):
            raise RuntimeError("wineboot did not create a prefix in " + building)
        install_wine_fonts(building)
        with open(os.path.join(building, ".vireo-template"), "w") as f:
            f.write(stamp_text)
        os.rename(building, TEMPLATE_PREFIX)
        return TEMPLATE_PREFIX


WINE_FONTS = "/usr/share/wine/fonts"


def install_wine_fonts(prefix):
    """Debian's Wine does not find its own fonts (Tahoma, MS Sans Serif, Marlett for the caption
    buttons) in /usr/share/wine/fonts; copied into C:\\windows\\Fonts they are used, and the
    windows look as on Windows instead of drawing "0 1 r" for the caption buttons."""
    target = os.path.join(prefix, "drive_c", "windows", "Fonts")
    if not os.path.isdir(WINE_FONTS):
        return
    os.makedirs(target, exist_ok=True)
    for name in os.listdir(WINE_FONTS):
        shutil.copy2(os.path.join(WINE_FONTS, name), os.path.join(target, name))


def clone_prefix(template, target):
    """Hard links for everything (700 MB of DLLs, never written in place), real copies of the
    registry files, which wineserver and the tests rewrite."""
    subprocess.run(["cp", "-al", template, target], check=True)
    for name in os.listdir(target):
        if name.endswith(".reg"):
            path = os.path.join(target, name)
            shutil.copy2(path, path + ".copy")
            os.replace(path + ".copy", path)

# ----------------------------------------------------------------------------------------------
# The driver


class DriverError(Exception):
    pass


class Driver:
    """vdriver.exe over pipes: one command line in, one answer line out."""

    def __init__(self, env, log_path):
        self._log = open(log_path, "wb")
        self.proc = subprocess.Popen(["wine", DRIVER_EXE], env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self._log, start_new_session=True)
        self._buffer = b""
        first = self._read_line(90.0)
        if first != "OK ready":
            raise DriverError("vdriver did not start: %r" % first)

    def _read_line(self, timeout):
        deadline = time.monotonic() + timeout
        fd = self.proc.stdout.fileno()
        while b"\n" not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise DriverError("vdriver did not answer within %.0f s" % timeout)
            ready, _, _ = select.select([fd], [], [], left)
            if ready:
                chunk = os.read(fd, 65536)
                if not chunk:
                    raise DriverError("vdriver ended (exit %s)" % self.proc.poll())
                self._buffer += chunk
        line, self._buffer = self._buffer.split(b"\n", 1)
        return line.decode("latin-1").rstrip("\r")

    def cmd(self, *words, timeout=60.0):
        """Sends one command; returns the answer after "OK" (a string); DriverError on ERR."""
        line = " ".join(str(w) for w in words)
        self.proc.stdin.write(line.encode("latin-1") + b"\n")
        self.proc.stdin.flush()
        answer = self._read_line(timeout)
        if answer == "OK":
            return ""
        if answer.startswith("OK "):
            return answer[3:]
        raise DriverError("%s -> %s" % (line[:200], answer))

    def record(self, *words, **kw):
        """A command answering key=value pairs, as a dict of strings."""
        return dict(item.split("=", 1) for item in self.cmd(*words, **kw).split() if "=" in item)

    def close(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b"quit\n")
                self.proc.stdin.flush()
                self.proc.wait(3)
            except (OSError, subprocess.TimeoutExpired):
                pass
        _stop_popen(self.proc)
        self._log.close()

# ----------------------------------------------------------------------------------------------
# Windows, boxes, the program


def _rect(text):
    return tuple(int(v) for v in text.split(","))


class Window:
    def __init__(self, env, hwnd):
        self.env = env
        self.hwnd = hwnd if isinstance(hwnd, str) else "0x%x" % hwnd

    def __repr__(self):
        return "Window(%s)" % self.hwnd

    def __eq__(self, other):
        return isinstance(other, Window) and int(self.hwnd, 16) == int(other.hwnd, 16)

    def __hash__(self):
        return int(self.hwnd, 16)

    @property
    def d(self):
        return self.env.driver

    def info(self):
        raw = self.d.record("info", self.hwnd)
        info = {"exists": raw.get("exists") == "1"}
        if not info["exists"]:
            return info
        for key in ("pid", "tid", "style", "exstyle", "id", "visible", "enabled", "iconic", "check"):
            if key in raw:
                info[key] = int(raw[key])
        for key in ("class", "text"):
            info[key] = from_hex(raw[key])
        for key in ("rect", "client", "inparent"):
            info[key] = _rect(raw[key])
        for key in ("hwnd", "parent", "owner"):
            info[key] = raw[key]
        return info

    def exists(self):
        return self.info()["exists"]

    def _get(self, key):
        info = self.info()
        if not info["exists"]:
            raise Failure("window %s is gone" % self.hwnd)
        return info.get(key)

    text = property(lambda self: from_hex(self.d.cmd("text", self.hwnd)))
    cls = property(lambda self: self._get("class"))
    style = property(lambda self: self._get("style"))
    exstyle = property(lambda self: self._get("exstyle"))
    id = property(lambda self: self._get("id"))
    visible = property(lambda self: bool(self._get("visible")))
    enabled = property(lambda self: bool(self._get("enabled")))
    iconic = property(lambda self: bool(self._get("iconic")))
    rect = property(lambda self: self._get("rect"))
    client_rect = property(lambda self: self._get("client"))
    inparent = property(lambda self: self._get("inparent"))
    check = property(lambda self: self._get("check"))

    def child(self, control_id):
        hwnd = self.d.cmd("child", self.hwnd, control_id)
        return None if int(hwnd, 16) == 0 else Window(self.env, hwnd)

    def children(self):
        return [Window(self.env, h) for h in self.d.cmd("children", self.hwnd).split()]

    def click(self):
        self.d.cmd("click", self.hwnd)

    def command(self, command_id, code=0):
        self.d.cmd("command", self.hwnd, command_id, code)

    def post(self, msg, wparam=0, lparam=0):
        self.d.cmd("post", self.hwnd, msg, wparam, lparam)

    def send(self, msg, wparam=0, lparam=0, timeout_ms=3000):
        return int(self.d.cmd("send", self.hwnd, msg, wparam, lparam, timeout_ms))

    def close(self):
        self.d.cmd("close", self.hwnd)

    def send_close(self, timeout_ms=10000):
        return self.send(WM_CLOSE, 0, 0, timeout_ms)

    def sys_close(self):
        self.d.cmd("sysclose", self.hwnd)

    def minimize(self):
        self.d.cmd("show", self.hwnd, SW_MINIMIZE)

    def restore(self):
        self.d.cmd("show", self.hwnd, SW_RESTORE)

    def lclick(self, x, y):
        self.d.cmd("lclick", self.hwnd, x, y)

    def rclick(self, x, y):
        self.d.cmd("rclick", self.hwnd, x, y)

    def pixel(self, x, y):
        return int(self.d.cmd("pixel", self.hwnd, x, y), 16)

    def pixels(self, x, y, width, height):
        return from_hex(self.d.cmd("pixels", self.hwnd, x, y, width, height))

    def _list_record(self, command):
        raw = self.d.record(command, self.hwnd)
        items = [from_hex(t) for t in raw.get("items", "").split(",") if t]
        return items, int(raw["sel"])

    def combo(self):
        return self._list_record("combo")

    def tabs(self):
        return self._list_record("tabinfo")

    def tab_rect(self, index):
        return _rect(self.d.cmd("tabrect", self.hwnd, index))

    def tab_click(self, index):
        self.d.cmd("tabclick", self.hwnd, index)

    def menu(self):
        """The window's menu bar, every item in order (read inside the program by vprobe.dll,
        since Wine keeps menus private to their process)."""
        items = []
        for token in self.d.cmd("menu", self.hwnd).split():
            path, item_id, state, kind, submenu, text = token.split(":", 5)
            items.append(MenuItem(tuple(int(p) for p in path.split(".")), int(item_id), int(state), int(kind),
                                  submenu == "1", from_hex(text)))
        return items

    def menu_item(self, command_id):
        """The menu item with this command id (None when there is none)."""
        return next((item for item in self.menu() if item.id == command_id and not item.submenu), None)


class MenuItem:
    MFS_CHECKED = 0x8
    MFS_GRAYED = 0x3
    MFT_SEPARATOR = 0x800

    def __init__(self, path, item_id, state, kind, submenu, text):
        self.path, self.id, self.state, self.kind, self.submenu, self.text = path, item_id, state, kind, submenu, text

    checked = property(lambda self: bool(self.state & self.MFS_CHECKED))
    grayed = property(lambda self: bool(self.state & self.MFS_GRAYED))
    separator = property(lambda self: bool(self.kind & self.MFT_SEPARATOR))

    def __repr__(self):
        return "MenuItem(%s, id=%d, state=0x%x, %r)" % (".".join(map(str, self.path)), self.id, self.state, self.text)


class Box(Window):
    """A message box ("#32770") of the program."""

    @property
    def caption(self):
        return self._get("text")

    @property
    def message(self):
        static = self.child(BOX_TEXT_ID)
        return static.text if static else None

    @property
    def icon(self):
        """The program icon (id 1..7) the box shows, or None when it shows none of them.
        Icon handles are private to the process that loaded them, so the driver draws each
        icon of the program file itself and compares it with the box's icon on the screen."""
        # The icon static's id differs (0x14 on Windows, 0x440 under Wine): find it by style.
        statics = [c for c in self.children() if c.info().get("style", 0) & SS_TYPEMASK == SS_ICON]
        if not statics:
            return None
        static = statics[0]

        def identify():
            raw = self.d.record("iconid", static.hwnd, to_hex(windows_path(APP_EXE)))
            score, runner_up = float(raw["score"]), float(raw["next"])
            return int(raw["id"]) if score < 6.0 and runner_up > 3 * score + 6.0 else None
        try:
            return wait_until(identify, 5.0, "the box's icon to be drawn", 0.1)
        except Failure:
            return None

    def ok(self):
        button = self.child(IDOK)
        if button is not None:
            button.click()
        else:
            self.command(IDOK)

    def press_ok_and_wait(self, timeout=10.0):
        self.ok()

        def gone():
            info = self.info()
            return not info["exists"] or not info["visible"]
        wait_until(gone, timeout, "the box to close")


class App:
    def __init__(self, env, pid):
        self.env = env
        self.pid = pid
        self.main = None
        self.box_log = []
        self._code = None

    @property
    def d(self):
        return self.env.driver

    def exit_code(self):
        if self._code is None:
            state = self.d.cmd("wait", self.pid, 0)
            if state.startswith("exited"):
                self._code = int(state.split()[1])
        return self._code

    def running(self):
        return self.exit_code() is None

    def wait_exit(self, timeout=DEFAULT_TIMEOUT):
        deadline = time.monotonic() + timeout
        while self._code is None:
            left = deadline - time.monotonic()
            if left <= 0:
                raise Failure("the program (pid %d) did not exit within %.0f s" % (self.pid, timeout))
            state = self.d.cmd("wait", self.pid, int(min(left, 5.0) * 1000), timeout=left + 30)
            if state.startswith("exited"):
                self._code = int(state.split()[1])
        return self._code

    def kill(self):
        if self.running():
            self.d.cmd("kill", self.pid)

    def windows(self, cls=None, title=None, visible=True):
        return self.env.windows(cls, title, self.pid, visible)

    def wait_main_window(self, timeout=DEFAULT_TIMEOUT):
        def find():
            found = self.windows(MAIN_CLASS)
            if not found and not self.running():
                raise Failure("the program exited with %s before showing its window" % self._code)
            return found
        self.main = wait_until(find, timeout, "the main window")[0]
        return self.main

    def wait_dialog(self, caption, timeout=DEFAULT_TIMEOUT):
        """A dialog ("#32770") of this process with this exact caption (bytes), such as About.
        Close it with command(IDCANCEL) (Esc) or sys_close() (its close box)."""
        return self.env.wait_window(BOX_CLASS, caption, self.pid, timeout)

    def close(self, timeout=DEFAULT_TIMEOUT):
        """WM_CLOSE to the main window, as the caption's close box; returns the exit code."""
        (self.main or self.wait_main_window()).close()
        return self.wait_exit(timeout)

    def boxes(self):
        return [Box(self.env, w.hwnd) for w in self.windows(BOX_CLASS)]

    def wait_box(self, timeout=DEFAULT_TIMEOUT):
        box = wait_until(self.boxes, timeout, "a message box")[0]
        wait_until(lambda: box.child(BOX_TEXT_ID) is not None, 5.0, "the box's text")
        self.box_log.append((box.caption, box.message, box.icon))
        return box

    def expect_box(self, text, icon=None, timeout=DEFAULT_TIMEOUT, caption=None, press=True):
        """Waits for the next box; checks its text (bytes), icon id and caption when given;
        then presses OK and waits until it has gone (press=False leaves it open)."""
        box = self.wait_box(timeout)
        seen_caption, seen_text, seen_icon = self.box_log[-1]
        expect_eq(seen_text, text, "message box text")
        if icon is not None:
            expect_eq(seen_icon, icon, "icon of the box %r" % seen_text)
        if caption is not None:
            expect_eq(seen_caption, caption, "caption of the box %r" % seen_text)
        if press:
            box.press_ok_and_wait()
        return box

    def settle(self, quiet=0.5, timeout=DEFAULT_TIMEOUT):
        """Waits until the program is idle: no message box, no other window of its own (such
        as a progress popup) and the main window enabled, for `quiet` seconds in a row. Boxes
        met on the way are logged and OK is pressed on them; returns those (caption, text,
        icon) records."""
        main = self.main or self.wait_main_window()
        pressed = []
        deadline = time.monotonic() + timeout
        calm_since = time.monotonic()
        while time.monotonic() - calm_since < quiet:
            if time.monotonic() > deadline:
                raise Failure("the program did not become idle; boxes pressed: %r" % pressed)
            if self.boxes():
                box = self.wait_box(5.0)
                pressed.append(self.box_log[-1])
                box.press_ok_and_wait()
                calm_since = time.monotonic()
                continue
            others = [w for w in self.windows() if w != main]
            if others or not main.info().get("enabled"):
                calm_since = time.monotonic()
            time.sleep(0.05)
        return pressed

    def expect_no_box(self, within=2.0):
        deadline = time.monotonic() + within
        while time.monotonic() < deadline:
            boxes = self.boxes()
            if boxes:
                raise Failure("unexpected message box: %r" % boxes[0].message)
            time.sleep(0.05)

    def gui(self):
        counts = {k: int(v) for k, v in self.d.record("gui", self.pid).items()}
        counts["user"] = counts["windows"]  # the USER objects that can be counted from outside
        return counts

# ----------------------------------------------------------------------------------------------
# Ports and simulated readers


def _unescape(text):
    out = bytearray()
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            if text[i + 1] == "x" and i + 3 < len(text):
                out.append(int(text[i + 2:i + 4], 16))
                i += 4
                continue
            out.append(ord(text[i + 1]))
            i += 2
            continue
        out += c.encode("latin-1")
        i += 1
    return bytes(out)


class Sim:
    """A vireo-sim process serving one reader on a pty."""

    def __init__(self, env, model, firmware, settings, extra):
        self.env = env
        self.started = time.monotonic()  # about the simulator's time 0 (log times count from it)
        n = len(env.sims)
        self.log_path = os.path.join(env.logdir, "sim%d.log" % n)
        self.control_path = os.path.join(env.tmp, "sim%d.ctl" % n)
        args = [SIM, "--model", model, "--firmware", firmware]
        if settings is not None:
            args += ["--settings", settings]
        args += ["--log", self.log_path, "--control", self.control_path] + list(extra)
        self._stderr = open(os.path.join(env.logdir, "sim%d.stderr" % n), "wb")
        self.proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                     stderr=self._stderr, start_new_session=True)
        self.pid = self.proc.pid
        ready, _, _ = select.select([self.proc.stdout], [], [], 15.0)
        line = self.proc.stdout.readline().decode().strip() if ready else ""
        if not line.startswith("/dev/"):
            self.stop()
            raise RuntimeError("vireo-sim printed no pty path (got %r)" % line)
        self.pty = line

    def events(self, tags=None):
        """Every log line as (ms, tag, bytes); only those tags when `tags` is given."""
        entries = []
        try:
            with open(self.log_path, encoding="latin-1") as f:
                for line in f:
                    parts = line.rstrip("\n").split(" ", 2)
                    if len(parts) >= 2 and parts[0].isdigit() and (tags is None or parts[1] in tags):
                        entries.append((int(parts[0]), parts[1], _unescape(parts[2] if len(parts) > 2 else "")))
        except FileNotFoundError:
            pass
        return entries

    def log(self):
        """What went over the wire: (ms, "RX" | "TX", bytes)."""
        return self.events(("RX", "TX"))

    def rx(self):
        return b"".join(data for _, kind, data in self.log() if kind == "RX")

    def tx(self):
        return b"".join(data for _, kind, data in self.log() if kind == "TX")

    def wait_log(self, predicate, timeout=DEFAULT_TIMEOUT, what="the reader's log"):
        return wait_until(lambda: predicate(self.log()), timeout, what)

    def control(self, line):
        fd = os.open(self.control_path, os.O_WRONLY | os.O_NONBLOCK)
        try:
            os.write(fd, line.encode() + b"\n")
        finally:
            os.close(fd)

    def stop(self):
        _stop_popen(self.proc)
        if self.proc.stdout:
            self.proc.stdout.close()
        self._stderr.close()


class FakePort:
    """A raw pty owned by the test: `path` is what Wine opens, `read()`/`write()` the other end."""

    def __init__(self):
        import tty
        self.master, slave = os.openpty()
        tty.setraw(slave)
        self.pty = os.ttyname(slave)
        os.close(slave)

    def read(self, timeout=0.0):
        data = b""
        while select.select([self.master], [], [], timeout)[0]:
            try:
                chunk = os.read(self.master, 4096)
            except OSError:
                break
            if not chunk:
                break
            data += chunk
            timeout = 0.05
        return data

    def write(self, data):
        os.write(self.master, data)

    def stop(self):
        if self.master is not None:
            os.close(self.master)
            self.master = None

# ----------------------------------------------------------------------------------------------
# The environment


class Env:
    def __init__(self, config=None, readonly=False, acp=1251, files=None, name=None,
                 prefix=None, workdir=None, display=None):
        self.config = config
        self.fixed_prefix = prefix
        self.fixed_workdir = workdir
        self.fixed_display = display
        self.readonly = readonly
        self.acp = acp
        self.files = files or {}
        self.name = name
        self.tmp = None
        self.driver = None
        self.display = None
        self.sims = []
        self.ports = []
        self.static_ports = {}
        self.plugged = {}
        self.apps = []
        self._xvfb = None
        self._server = None
        self._immutable = []
        self._machine_ports = set()  # COM names Wine gave the machine's own serial devices

    # -- life cycle -----------------------------------------------------------------------------

    def __enter__(self):
        try:
            self.setup()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, kind, value, tb):
        if kind is not None and self.display:
            try:
                self.screenshot(self._artifact_path(".png"))
            except Exception:
                pass
        self.close(failed=kind is not None)
        return False

    def setup(self):
        template = template_prefix()
        self.tmp = tempfile.mkdtemp(prefix="vireo-e2e-")
        self.workdir = self.fixed_workdir or os.path.join(self.tmp, "work")
        self.prefix = self.fixed_prefix or os.path.join(self.tmp, "prefix")
        self.logdir = os.path.join(self.tmp, "logs")
        os.makedirs(self.workdir, exist_ok=True)
        os.makedirs(self.logdir)
        if self.config is not None:
            with open(os.path.join(self.workdir, "appconfig.ini"), "wb") as f:
                f.write(self.config)
        for name, data in self.files.items():
            with open(os.path.join(self.workdir, name), "wb") as f:
                f.write(data)
        if self.readonly:
            self.make_readonly(self.workdir)
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            shutil.rmtree(self.prefix, ignore_errors=True)
            os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
            clone_prefix(template, self.prefix)
        if self.fixed_display:
            self.display = self.fixed_display
        else:
            self._start_xvfb()

    def make_readonly(self, path):
        """Read-only even for root: the immutable attribute (chattr +i); plain modes otherwise."""
        if os.geteuid() == 0 and subprocess.run(["chattr", "+i", path], stderr=subprocess.DEVNULL).returncode == 0:
            self._immutable.append(path)
        else:
            os.chmod(path, 0o555)

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self._xvfb_log = open(os.path.join(self.logdir, "xvfb.log"), "wb")
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", SCREEN, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdin=subprocess.DEVNULL, stdout=self._xvfb_log, stderr=self._xvfb_log,
            start_new_session=True)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n"):
            if not select.select([read_fd], [], [], max(0.0, deadline - time.monotonic()))[0]:
                break
            chunk = os.read(read_fd, 64)
            if not chunk:
                break
            number += chunk
        os.close(read_fd)
        if not number.strip().isdigit():
            raise RuntimeError("Xvfb did not start (see %s)" % self._xvfb_log.name)
        self.display = ":" + number.strip().decode()

    @property
    def wine_env(self):
        return _wine_env(self.prefix, self.display, self.acp)

    def boot(self):
        """Starts the prefix's wineserver (persistent, stderr to /dev/null) and the driver."""
        if self.driver is not None:
            return
        self._server = subprocess.Popen(["wineserver", "-f", "-p"], env=self.wine_env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        start_new_session=True)
        self._wait_server_socket()
        self.driver = Driver(self.wine_env, os.path.join(self.logdir, "vdriver.log"))
        self.forget_system_ports()

    def _wait_server_socket(self):
        # The server works in its own directory (where that is differs between Wine builds) and
        # listens once its socket exists there.
        def listening():
            try:
                return os.path.exists(os.path.join(os.readlink("/proc/%d/cwd" % self._server.pid), "socket"))
            except OSError:
                return False
        wait_until(lambda: listening() or self._server.poll() is not None, 20.0, "wineserver")
        if self._server.poll() is not None:
            raise RuntimeError("wineserver ended at once (code %s)" % self._server.returncode)

    def forget_system_ports(self):
        """Wine maps the machine's own serial devices (/dev/ttyS0 ...) as COM ports at boot; the
        program would probe them. Their dosdevices links and SERIALCOMM values go; whatever the
        test registered (ptys, or values it wrote itself) stays."""
        dosdevices = os.path.join(self.prefix, "dosdevices")
        ours = set(self.static_ports) | set(self.plugged)
        for entry in os.listdir(dosdevices):
            match = re.fullmatch(r"com(\d+)", entry)
            if not match or int(match.group(1)) in ours:
                continue
            link = os.path.join(dosdevices, entry)
            try:
                target = os.readlink(link)
            except OSError:
                continue
            if re.fullmatch(r"/dev/tty(S|USB|ACM)\d+", target):
                self._machine_ports.add(entry.upper().encode())
                os.unlink(link)
        if self._machine_ports:
            # A number the test has since plugged itself (COM1 after the machine's COM1 went)
            # is the test's own: its value stays.
            for name, data in self.serial_ports().items():
                port = data.rstrip(b"\0")
                if port in self._machine_ports and int(port[3:]) not in ours:
                    self.driver.cmd("regdel", to_hex(SERIALCOMM), to_hex(name))

    def close(self, failed=False):
        errors = []

        def attempt(fn, *args):
            try:
                fn(*args)
            except Exception as error:  # cleanup goes on whatever fails
                errors.append(error)
        for sim in self.sims:
            attempt(sim.stop)
        for port in self.ports:
            attempt(port.stop)
        if self.driver is not None:
            attempt(self.driver.close)
        if self._server is not None:
            attempt(_run_quiet, ["wineserver", "-k"], self.wine_env, 30)
            try:
                self._server.wait(10)
            except subprocess.TimeoutExpired:
                _kill_pid(self._server.pid)
                self._server.wait(5)
        if self.tmp:
            for pid in _prefix_processes(self.prefix):
                _kill_pid(pid)
        if self._xvfb is not None:
            attempt(_stop_popen, self._xvfb)
            self._xvfb_log.close()
        for path in self._immutable:
            subprocess.run(["chattr", "-i", path], stderr=subprocess.DEVNULL)
        if self.tmp and os.path.isdir(self.tmp):
            if os.environ.get("VIREO_E2E_KEEP") == "1":
                print("kept %s" % self.tmp, flush=True)
            else:
                for root, dirs, _ in os.walk(self.tmp):
                    for d in dirs:
                        try:
                            os.chmod(os.path.join(root, d), 0o755)
                        except OSError:
                            pass
                shutil.rmtree(self.tmp, ignore_errors=True)

    def artifact_path(self, suffix):
        """build/e2e-artifacts/<test file>/<case title><suffix>: where screenshots are kept."""
        return self._artifact_path(suffix)

    def _artifact_path(self, suffix):
        test, case = _current_case[0]
        slug = re.sub(r"[^A-Za-z0-9]+", "-", self.name or case).strip("-")[:60]
        directory = os.path.join(ARTIFACTS_DIR, test)
        os.makedirs(directory, exist_ok=True)
        return os.path.join(directory, slug + suffix)

    # -- the program ----------------------------------------------------------------------------

    def start_app(self, cwd=None, args=None):
        """Starts the program (working directory `cwd`, default the Env's); `args` is the rest
        of its command line, after the quoted program path."""
        self.boot()
        self.forget_system_ports()
        exe = windows_path(APP_EXE)
        command_line = '"%s"' % exe + (" " + args if args else "")
        pid = int(self.driver.cmd("start", to_hex(exe), to_hex(windows_path(cwd or self.workdir)),
                                  to_hex(command_line)))
        app = App(self, pid)
        self.apps.append(app)
        return app

    def windows(self, cls=None, title=None, pid=0, visible=True):
        self.boot()
        found = self.driver.cmd("find", to_hex(cls), to_hex(title), pid, 1 if visible else 0)
        return [Window(self, h) for h in found.split()]

    def wait_window(self, cls=None, title=None, pid=0, timeout=DEFAULT_TIMEOUT):
        return wait_until(lambda: self.windows(cls, title, pid), timeout,
                          "a window %r %r" % (cls, title))[0]

    def foreground(self):
        hwnd = self.driver.cmd("foreground")
        return None if int(hwnd, 16) == 0 else Window(self, hwnd)

    def read_file(self, name="appconfig.ini", cwd=None):
        try:
            with open(os.path.join(cwd or self.workdir, name), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def listing(self, cwd=None):
        return sorted(os.listdir(cwd or self.workdir))

    def new_dir(self, name, config=None):
        """Another working directory in the temp dir, optionally with its own appconfig.ini."""
        path = os.path.join(self.tmp, name)
        os.makedirs(path)
        if config is not None:
            with open(os.path.join(path, "appconfig.ini"), "wb") as f:
                f.write(config)
        return path

    def screenshot(self, path=None):
        path = path or self._artifact_path(".png")
        subprocess.run(["import", "-display", self.display, "-window", "root", path], check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        return path

    # -- ports and devices ----------------------------------------------------------------------

    def register_port(self, number, path):
        if self.driver is not None:
            raise RuntimeError("static ports must be registered before boot(); use plug_port()")
        reg_file_set(self.prefix, "system", "Software\\Wine\\Ports", "COM%d" % number, path)
        self.static_ports[number] = path

    def plug_port(self, number, path):
        self.boot()
        link = os.path.join(self.prefix, "dosdevices", "com%d" % number)
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(path, link)
        self.driver.cmd("regset", to_hex(SERIALCOMM), to_hex("\\Device\\Vireo%d" % number), "sz",
                        to_hex("COM%d" % number))
        self.plugged[number] = path

    def unplug_port(self, number):
        self.driver.cmd("regdel", to_hex(SERIALCOMM), to_hex("\\Device\\Vireo%d" % number))
        link = os.path.join(self.prefix, "dosdevices", "com%d" % number)
        if os.path.lexists(link):
            os.unlink(link)
        self.plugged.pop(number, None)

    def serial_ports(self):
        self.boot()
        try:
            raw = self.driver.cmd("regvalues", to_hex(SERIALCOMM))
        except DriverError:
            return {}
        return {from_hex(k): from_hex(v) for k, v in (item.split("=", 1) for item in raw.split())}

    def add_usb(self, instance, port, hardware_ids=None, device=None):
        ids = None if hardware_ids is None else to_hex(b"\0".join(
            i.encode() if isinstance(i, str) else i for i in hardware_ids))
        self.boot()
        self.driver.cmd("usbadd", to_hex(instance), to_hex(port), ids or "-", to_hex(device))

    def remove_usb(self, instance, device=None):
        self.driver.cmd("usbdel", to_hex(instance), to_hex(device))

    def device_change(self, event=7):
        self.boot()
        self.driver.cmd("broadcast", event)

    def sim(self, model="M", firmware="1.10", settings=None, com=None, hot=False, barcode=None, cipher=None,
            link=None, extra=()):
        options = []
        for flag, value in (("--barcode", barcode), ("--cipher", cipher), ("--link", link)):
            if value is not None:
                options += [flag, str(value)]
        sim = Sim(self, model, firmware, settings, options + list(extra))
        self.sims.append(sim)
        if com is not None:
            if hot or self.driver is not None:
                self.plug_port(com, sim.pty)
            else:
                self.register_port(com, sim.pty)
        return sim

    def pty(self, com=None, hot=False):
        port = FakePort()
        self.ports.append(port)
        if com is not None:
            if hot or self.driver is not None:
                self.plug_port(com, port.pty)
            else:
                self.register_port(com, port.pty)
        return port


@contextlib.contextmanager
def unprivileged_wineserver(env):
    """Boots the prefix with a wineserver without CAP_SYS_ADMIN, so that a tty another program
    holds exclusively (TIOCEXCL) cannot be opened by Wine, as for a user who is not root (Wine
    applies no Windows share modes to devices)."""
    real = shutil.which("wineserver")
    wrappers = os.path.join(env.tmp, "bin")
    os.makedirs(wrappers, exist_ok=True)
    wrapper = os.path.join(wrappers, "wineserver")
    with open(wrapper, "w") as out:
        out.write('#!/bin/sh\nexec setpriv --bounding-set -sys_admin "%s" "$@"\n' % real)
    os.chmod(wrapper, 0o755)
    saved = os.environ["PATH"]
    os.environ["PATH"] = wrappers + os.pathsep + saved
    try:
        env.boot()
        yield
    finally:
        os.environ["PATH"] = saved


@contextlib.contextmanager
def held_exclusively(path):
    """Another program holds the tty open, exclusively."""
    fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
    try:
        fcntl.ioctl(fd, termios.TIOCEXCL)
        yield
    finally:
        fcntl.ioctl(fd, termios.TIOCNXCL)
        os.close(fd)
