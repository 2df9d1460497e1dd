#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""vireo4 as an administrator's tool on a shared host: it leaves ports it does not own as it
found them (line settings, another program's exclusive hold, devices that are no terminal, a
port named twice), and its output, signals, CSV file and threads behave as scripts expect.
Run by ctest as `cli_hygiene`; an argument runs only the cases whose title contains it.
"""
import csv
import ctypes
import ctypes.util
import fcntl
import json
import os
import queue
import resource
import select
import signal
import stat
import struct
import subprocess
import termios
import threading
import time

from cli_support import (BASE_ENV, VIREO4, Failure, Fleet, Tests, expect, expect_eq, run, run_json,
                         wait_until)

T = Tests()

NOBODY = 65534
TIOCGEXCL = 0x80045440  # _IOR('T', 0x40, int): not in Python's termios module
IN_OPEN = 0x20
CSV_HEADER = ["time", "port", "barcode", "barcode_hex", "cipher", "cipher_dotted"]


def launch(fleet, args, stdout=subprocess.PIPE, preexec=None):
    """The tool in the background with binary pipes (ended with the fleet)."""
    proc = subprocess.Popen([VIREO4, *args], stdout=stdout, stderr=subprocess.PIPE, env=BASE_ENV,
                            preexec_fn=preexec)
    fleet.procs.append(proc)
    return proc


def run_to(fleet, args, stdout, preexec=None, timeout=15):
    """Runs the tool with stdout going to a file object; returns (exit code, stderr text)."""
    proc = launch(fleet, args, stdout=stdout, preexec=preexec)
    _, err = proc.communicate(timeout=timeout)
    return proc.returncode, err.decode("utf-8")


def open_tty(path):
    return os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)


def console_settings(fd):
    """A login console's line: 115200 baud, line editing, echo, output processing."""
    attrs = termios.tcgetattr(fd)
    attrs[0] = termios.ICRNL | termios.IXON
    attrs[1] = termios.OPOST | termios.ONLCR
    attrs[2] = termios.CS8 | termios.CREAD
    attrs[3] = termios.ISIG | termios.ICANON | termios.ECHO | termios.ECHOE | termios.IEXTEN
    attrs[4] = attrs[5] = termios.B115200
    termios.tcsetattr(fd, termios.TCSANOW, attrs)
    return termios.tcgetattr(fd)


def line_settings(path):
    fd = open_tty(path)
    try:
        return termios.tcgetattr(fd)
    finally:
        os.close(fd)


def set_console(path):
    fd = open_tty(path)
    try:
        return console_settings(fd)
    finally:
        os.close(fd)


def exclusive(fd):
    return struct.unpack("i", fcntl.ioctl(fd, TIOCGEXCL, b"\0\0\0\0"))[0] != 0


def queued_input(fd):
    return struct.unpack("i", fcntl.ioctl(fd, termios.FIONREAD, b"\0\0\0\0"))[0]


def open_to_all(fleet, *sims):
    """Lets an unprivileged user reach the fleet's folder and the simulators' ptys."""
    os.chmod(fleet.folder, 0o755)
    for sim in sims:
        os.chmod(os.path.realpath(sim.link), 0o666)


class OpenWatch:
    """Tells whether anyone opened the given paths (inotify IN_OPEN): stat() is no open."""

    def __init__(self, paths):
        libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        self.fd = libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        expect(self.fd >= 0, "inotify_init1")
        for path in paths:
            expect(libc.inotify_add_watch(self.fd, path.encode(), IN_OPEN) >= 0, "watch " + path)

    def opened(self):
        try:
            return len(os.read(self.fd, 4096)) > 0
        except BlockingIOError:
            return False

    def close(self):
        os.close(self.fd)


def waits_for_lock(pid):
    """The process is blocked on a file lock (a "->" line of /proc/locks)."""
    with open("/proc/locks") as locks:
        return any("->" in line and (" %d " % pid) in line for line in locks)


class JsonLines:
    """The JSON lines of a running tool's stdout, as they come."""

    def __init__(self, proc):
        self.lines = queue.Queue()
        threading.Thread(target=self._pump, args=(proc.stdout,), daemon=True).start()

    def _pump(self, stream):
        for line in stream:
            self.lines.put(json.loads(line))
        self.lines.put(None)

    def next(self, timeout=5):
        try:
            line = self.lines.get(timeout=timeout)
        except queue.Empty:
            raise Failure("no JSON line within %.1f s" % timeout)
        expect(line is not None, "the tool ended early")
        return line

    def none_within(self, seconds):
        try:
            line = self.lines.get(timeout=seconds)
        except queue.Empty:
            return
        raise Failure("an unexpected line: %r" % line)


# --- ports vireo4 does not own ---------------------------------------------------------------

@T.case("a port's line settings are given back after success, failure, Ctrl-C and SIGTERM")
def _():
    with Fleet() as fleet:
        krm = fleet.sim("krm", "M")
        silent = fleet.sim("silent", "U", extra=["--silent"])
        noisy = fleet.sim("noisy", "U", extra=["--garbage"])
        slow = fleet.sim("slow", "U", extra=["--late", "500"])
        profile = os.path.join(fleet.folder, "site.ini")
        with open(profile, "w") as f:
            f.write("[kru-krm]\ninterface = wiegand-26\n")

        def check(sim, what, action):
            before = set_console(sim.link)
            action()
            expect_eq(line_settings(sim.link), before, "line settings after " + what)

        check(krm, "find", lambda: expect_eq(run("find", krm.link)[0], 0, "find"))
        check(krm, "write", lambda: expect_eq(run("write", krm.link, "standby=off")[0], 0, "write"))
        check(silent, "a silent reader", lambda: expect_eq(run("read", silent.link, "--timeout", "200")[0], 2, "read"))
        check(noisy, "noise", lambda: expect_eq(run("read", noisy.link, "--timeout", "200")[0], 4, "read"))

        def interrupted_watch():
            proc = fleet.start("card", krm.link, "--watch", "--json")
            wait_until(lambda: any(e.startswith("AT+READS_IDS") for e in krm.rx()), 5, "the card query")
            proc.send_signal(signal.SIGINT)
            expect_eq(proc.wait(timeout=5), 130, "a watch ended by Ctrl-C")
        check(krm, "Ctrl-C", interrupted_watch)

        def terminated_apply():
            proc = fleet.start("apply", profile, slow.link)
            wait_until(lambda: slow.rx(), 5, "the query")
            proc.send_signal(signal.SIGTERM)
            expect_eq(proc.wait(timeout=5), 143, "apply ended by SIGTERM")
        check(slow, "SIGTERM", terminated_apply)


@T.case("a port another program holds exclusively is busy: nothing sent, flushed or unlocked")
def _():
    with Fleet() as fleet:
        master, slave = os.openpty()
        try:
            path = os.ttyname(slave)
            os.chmod(path, 0o666)
            os.chmod(fleet.folder, 0o755)
            link = fleet.path("held")
            os.symlink(path, link)
            settings = console_settings(slave)
            fcntl.ioctl(slave, termios.TIOCEXCL)
            os.write(master, b"the owner's data\n")
            # The owner's line echoes: take the echo, so that only bytes vireo4 sent remain.
            wait_until(lambda: select.select([master], [], [], 0)[0], 5, "the echo")
            expect_eq(os.read(master, 100), b"the owner's data\r\n", "the echo")
            queued = queued_input(slave)
            expect(queued > 0, "input queued for the owner")
            for user in [None, NOBODY]:
                code, _, err = run("read", link, "--timeout", "200", user=user)
                expect(code == 4 and "port busy" in err, "as %s: %d %r" % (user or "root", code, err))
            _, doc = run_json("find", link, "--timeout", "200")
            expect_eq([f["status"] for f in doc["failures"]], ["busy"], "find")
            expect(exclusive(slave), "the owner's exclusive hold was cleared")
            expect_eq(queued_input(slave), queued, "input the owner had not read yet")
            expect_eq(termios.tcgetattr(slave), settings, "the owner's line settings")
            expect(not select.select([master], [], [], 0.1)[0], "vireo4 sent bytes to a busy port")
            # A port vireo4 locked itself is unlocked again when it is done.
            sim = fleet.sim("krm", "M")
            expect_eq(run("read", sim.link)[0], 0, "read of a free port")
            fd = open_tty(sim.link)
            try:
                expect(not exclusive(fd), "vireo4 left its own exclusive hold behind")
            finally:
                os.close(fd)
        finally:
            os.close(slave)
            os.close(master)


@T.case("a path that is not a serial terminal is never opened: not a serial port, exit 2")
def _():
    with Fleet() as fleet:
        watchdog = fleet.path("watchdog")
        os.mknod(watchdog, 0o600 | stat.S_IFCHR, os.makedev(1, 3))  # a character device, not a tty
        fifo = fleet.path("fifo")
        os.mkfifo(fifo)
        plain = fleet.path("plain.txt")
        with open(plain, "w") as f:
            f.write("AT+READS_KRX")
        sim = fleet.sim("krm", "M")
        watch = OpenWatch([watchdog, fifo, plain])
        try:
            # Also tty devices that are no port: the caller's terminal and the pty multiplexer.
            for path in [watchdog, fifo, plain, fleet.folder, "/dev/tty", "/dev/ptmx"]:
                code, _, err = run("read", path)
                expect(code == 2 and "not a serial port" in err, "%s: %d %r" % (path, code, err))
            code, doc = run_json("read", watchdog)
            expect_eq((code, doc["status"], doc["ok"], doc["error"]), (2, "not-serial", False, "not a serial port"),
                      "JSON of read")
            _, doc = run_json("find", watchdog, fifo, sim.link)
            expect_eq([r["port"] for r in doc["readers"]], [sim.link], "find beside non-terminals")
            expect_eq(sorted(f["status"] for f in doc["failures"]), ["not-serial", "not-serial"], "find's failures")
            expect(not watch.opened(), "a path that is no terminal was opened")
        finally:
            watch.close()


@T.case("a port named twice (its link and its target, a glob and a name) is probed once")
def _():
    with Fleet() as fleet:
        krm = fleet.sim("krm", "M")
        target = os.path.realpath(krm.link)
        code, doc = run_json("find", krm.link, target, fleet.path("kr?"))
        expect_eq((code, doc["ports_probed"], [r["port"] for r in doc["readers"]], doc["failures"]),
                  (0, 1, [krm.link], []), "find")
        expect_eq(krm.rx(), ["AT+READS_KRX"], "queries the reader got")
        profile = os.path.join(fleet.folder, "site.ini")
        with open(profile, "w") as f:
            f.write("[kru-krm]\nstandby = off\n")
        code, doc = run_json("apply", profile, fleet.path("kr?"), target)
        expect_eq((code, len(doc["readers"]), krm.writes()), (0, 1, ["AT+TMX1AO"]), "apply")


# --- output, signals, threads ----------------------------------------------------------------

def no_space():
    return open("/dev/full", "w")


@T.case("output that cannot be written is an error: exit 4 and the reason on stderr")
def _():
    with Fleet() as fleet:
        krm = fleet.sim("krm", "M")
        silent = fleet.sim("silent", "U", extra=["--silent"])
        for args in [["--help"], ["read", krm.link], ["read", krm.link, "--profile"], ["find", krm.link, "--json"]]:
            code, err = run_to(fleet, args, no_space())
            expect(code == 4 and "No space left on device" in err, "%s: %d %r" % (args, code, err))

        # A disk that fills in the middle of the profile: part of it was written, yet exit 4.
        profile = fleet.path("site.ini")

        def small_disk():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (40, 40))
        with open(profile, "w") as out:
            code, err = run_to(fleet, ["read", krm.link, "--profile"], out, preexec=small_disk)
        expect(code == 4 and "File too large" in err, "%d %r" % (code, err))
        expect_eq(os.path.getsize(profile), 40, "what reached the file")

        # Nothing can be said when stderr fails too, but the exit code still tells.
        proc = subprocess.run([VIREO4, "read", silent.link, "--timeout", "200"], stdout=no_space(),
                              stderr=no_space(), env=BASE_ENV, timeout=10)
        expect_eq(proc.returncode, 4, "exit code with stdout and stderr failing")
        proc = subprocess.run([VIREO4, "--help"], stdout=subprocess.DEVNULL, stderr=no_space(), env=BASE_ENV,
                              timeout=10)
        expect_eq(proc.returncode, 0, "a help that went out, stderr unused")


@T.case("card --watch: ends with its output, 130/143 on signals, failing readers reported once")
def _():
    with Fleet() as fleet:
        usb = fleet.sim("usb", "B")
        proc = fleet.start("card", usb.link, "--watch")
        expect("0001234567" in proc.stdout.readline(), "the first card")
        proc.stdout.close()  # | head -1
        start = time.monotonic()
        expect_eq(proc.wait(timeout=5), 141, "exit code of a watch whose reader went away")
        expect(time.monotonic() - start < 1.5, "the watch took %.2f s to end" % (time.monotonic() - start))
        expect_eq(proc.stderr.read(), "watching for cards; Ctrl-C ends\n", "stderr of a watch ended by | head")
        wait_until(lambda: usb.events("CLOSE"), 5, "the port to close")

        proc = launch(fleet, ["card", usb.link, "--watch", "--json", "--timeout", "300"])
        lines = JsonLines(proc)
        expect_eq(lines.next()["card"]["barcode"], "0001234567", "the first card")
        # Each failure once, while the card stays where it was: no new card afterwards.
        for control, status in [("silent on", "no-answer"), ("refuse on", "refused"), ("nodot on", "garbage")]:
            asked = len(usb.rx())
            usb.control(control)
            line = lines.next()
            expect_eq((line["ok"], line["status"], line["port"]), (False, status, usb.link), control)
            expect(line["error"] and line["time"], line)
            wait_until(lambda: len(usb.rx()) >= asked + 3, 5, "more queries of a failing reader")
            usb.control("normal")
        wait_until(lambda: usb.events("TX")[-1].endswith("."), 5, "a complete card reply again")
        lines.none_within(0.6)
        # Taken away, then held again: a new card.
        usb.control("card 0 0")
        wait_until(lambda: "0000000000" in usb.events("TX")[-1], 5, "a reply without a card")
        usb.control("card 1234567 54321")
        line = lines.next()
        expect_eq((line["card"]["barcode"], line["ok"], line["status"]), ("0001234567", True, "ok"), "the card again")
        # An unplugged reader ends the watch.
        usb.control("vanish")
        line = lines.next()
        expect_eq((line["ok"], line["status"]), (False, "io-error"), "a reader that vanished")
        expect_eq(proc.wait(timeout=5), 4, "exit code of a watch whose reader vanished")

        krm = fleet.sim("krm", "M")
        proc = fleet.start("card", krm.link, "--watch", "--timeout", "200")
        expect("0001234567" in proc.stdout.readline(), "the first card (text)")
        krm.control("silent on")
        wait_until(lambda: len(krm.rx()) >= 5, 5, "queries of a silent reader")
        proc.send_signal(signal.SIGTERM)
        expect_eq(proc.wait(timeout=5), 143, "exit code of a watch ended by SIGTERM")
        err = proc.stderr.read().splitlines()
        expect_eq(len(err), 2, "stderr: the hint and one failure: %r" % err)
        expect(err[1].endswith(krm.link + ": The reader did not respond!"), err)


@T.case("card --csv: opened before the reader is asked, RFC 4180 fields, one header, reasons")
def _():
    with Fleet() as fleet:
        odd = fleet.sim('door "A", hall', "U")
        silent = fleet.sim("silent", "U", extra=["--silent"])
        table = fleet.path("cards.csv")
        code, _, _ = run("card", odd.link, "--csv", table)
        expect_eq(code, 0, "card with --csv")
        rows = list(csv.reader(open(table, newline="")))
        expect_eq((rows[0], rows[1][1], rows[1][2]), (CSV_HEADER, odd.link, "0001234567"), "the table")

        # The file is there, header first, even when the reader never answers.
        fresh = fleet.path("fresh.csv")
        code, _, _ = run("card", silent.link, "--csv", fresh, "--timeout", "200")
        expect_eq((code, list(csv.reader(open(fresh)))), (2, [CSV_HEADER]), "a silent reader's table")

        # A file that cannot be opened costs no query; its reason is the system's, in JSON too.
        missing = fleet.path("no-such-folder/cards.csv")
        opened = len(odd.events("OPEN"))
        code, _, err = run("card", odd.link, "--csv", missing)
        expect(code == 4 and missing in err and "No such file or directory" in err, "%d %r" % (code, err))
        code, out, err = run("card", odd.link, "--csv", missing, "--json")
        doc = json.loads(out)
        expect_eq((code, doc["ok"], doc["status"]), (4, False, "io-error"), "JSON of a file that cannot be opened")
        expect("No such file or directory" in doc["error"] and "No such file or directory" in err, (doc, err))
        code, _, err = run("card", odd.link, "--csv", "/dev/full")
        expect(code == 4 and "No space left on device" in err, "%d %r" % (code, err))
        expect_eq(len(odd.events("OPEN")), opened, "ports opened for files that failed")

        # A disk that fills during a watch ends it with the reason.
        def small_disk():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (len(",".join(CSV_HEADER)) + 10,) * 2)
        full = fleet.path("full.csv")
        proc = launch(fleet, ["card", odd.link, "--watch", "--csv", full], preexec=small_disk)
        _, err = proc.communicate(timeout=5)
        expect(proc.returncode == 4 and "File too large" in err.decode(), "%d %r" % (proc.returncode, err))

        # Another writer holds the file while it writes the header: vireo4 waits for it and
        # writes none of its own.
        shared = fleet.path("shared.csv")
        with open(shared, "a") as other:
            fcntl.flock(other, fcntl.LOCK_EX)
            proc = launch(fleet, ["card", odd.link, "--csv", shared])
            wait_until(lambda: proc.poll() is not None or waits_for_lock(proc.pid), 5, "vireo4 at the lock")
            other.write(",".join(CSV_HEADER) + "\n" + "2030-01-01T00:00:00,other,1,1,1,0.0.0.1\n")
            other.flush()
            fcntl.flock(other, fcntl.LOCK_UN)
        expect_eq(proc.wait(timeout=5), 0, "exit code of the second writer")
        rows = list(csv.reader(open(shared, newline="")))
        expect_eq([r[1] for r in rows], ["port", "other", odd.link], "the shared table")


@T.case("--version after a command; SIGINT 130, SIGTERM 143")
def _():
    for args in [["read", "--version"], ["find", "/dev/x", "--version"], ["card", "-V"]]:
        code, out, _ = run(*args)
        expect(code == 0 and out.startswith("vireo4 "), "%s: %d %r" % (args, code, out))
    with Fleet() as fleet:
        slow = fleet.sim("slow", "U", extra=["--late", "500"])
        for number, code in [(signal.SIGINT, 130), (signal.SIGTERM, 143)]:
            proc = fleet.start("find", slow.link, "--json")
            asked = len(slow.rx())
            wait_until(lambda: len(slow.rx()) > asked, 5, "the query")
            proc.send_signal(number)
            out, _ = proc.communicate(timeout=5)
            expect_eq(proc.returncode, code, "exit code after signal %d" % number)
            expect("readers" in json.loads(out), out)


@T.case("a thread limit: fewer workers probe every port; with no thread at all each port says why")
def _():
    uid = 60000 + os.getpid() % 5000  # a user of its own: no other process counts against its limit

    def threads(workers):
        def limit():
            os.setgroups([])
            os.setgid(uid)
            os.setuid(uid)
            resource.setrlimit(resource.RLIMIT_NPROC, (1 + workers, 1 + workers))
        return limit
    with Fleet() as fleet:
        sims = fleet.many(["p%02d" % n for n in range(12)], model="M")
        open_to_all(fleet, *sims)
        proc = launch(fleet, ["find", *[s.link for s in sims], "--json", "--timeout", "300"], preexec=threads(3))
        out, err = proc.communicate(timeout=15)
        doc = json.loads(out)
        expect_eq((proc.returncode, len(doc["readers"]), doc["failures"]), (0, len(sims), []), "all probed")
        proc = launch(fleet, ["find", *[s.link for s in sims], "--json", "--timeout", "300"], preexec=threads(0))
        out, err = proc.communicate(timeout=15)
        doc = json.loads(out)
        expect_eq(proc.returncode, 4, "no worker at all: %r" % err)
        expect_eq(len(doc["failures"]), len(sims), "every port accounted for")
        expect(all(f["status"] == "port-error" and "thread" in f["error"] for f in doc["failures"]), doc)


T.main()
