#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""vireo4 on a host where other programs and people use serial ports: a port in use is busy
however it is held, consoles are never opened, closed standard descriptors never lead output
into a reader, SIGQUIT restores the port, profiles that hold nothing are refused, every outcome
under --json is a document, and globs, repeated settings and descriptor limits behave.
Run by ctest as `cli_shared_host`; an argument runs only the cases whose title contains it.
"""
import ctypes
import ctypes.util
import fcntl
import json
import os
import resource
import signal
import struct
import subprocess
import termios
import time

from cli_support import (BASE_ENV, VIREO4, Fleet, Tests, expect, expect_eq, run, run_json,
                         wait_until)

T = Tests()

TIOCGEXCL = 0x80045440
QUERY = "AT+READS_KRX"
NOBODY = 65534
LOCK_DIR = "/var/lock"


def lock_path(link):
    return os.path.join(LOCK_DIR, "LCK.." + os.path.realpath(link)[len("/dev/"):].replace("/", "_"))


def open_tty(path):
    return os.open(path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)


def speed_of(fd):
    return termios.tcgetattr(fd)[4]


def exclusive(fd):
    return struct.unpack("i", fcntl.ioctl(fd, TIOCGEXCL, b"\0\0\0\0"))[0] != 0


def gone_pid():
    """The id of a process that has ended and been reaped."""
    child = subprocess.Popen(["true"])
    child.wait()
    return child.pid


def write_lock(link, pid):
    path = lock_path(link)
    with open(path, "w") as f:
        f.write("%10d\n" % pid)
    return path


def launch(fleet, args, env=None, **kwargs):
    proc = subprocess.Popen([VIREO4, *args], env=env or BASE_ENV, **kwargs)
    fleet.procs.append(proc)
    return proc


# --- a port in use is busy -------------------------------------------------------------------

@T.case("busy however held: an open descriptor, a live lock file; a stale lock is taken over")
def _():
    with Fleet() as fleet:
        held = fleet.sim("held", "U")
        free = fleet.sim("free", "M")
        # Another program has the port open at 9600 baud, with no lock of any kind.
        fd = open_tty(held.link)
        attrs = termios.tcgetattr(fd)
        attrs[4] = attrs[5] = termios.B9600
        termios.tcsetattr(fd, termios.TCSANOW, attrs)
        try:
            code, doc = run_json("read", held.link)
            expect_eq(code, 4, "exit of a held port")
            expect_eq(doc["status"], "busy", "status")
            code, doc = run_json("find", fleet.path("*"))
            expect_eq([r["port"] for r in doc["readers"]], [free.link], "the free reader is found")
            expect_eq([(f["port"], f["status"]) for f in doc["failures"]], [(held.link, "busy")], "failures")
            expect_eq(speed_of(fd), termios.B9600, "the holder's line settings are untouched")
            expect(not exclusive(fd), "not made exclusive")
        finally:
            os.close(fd)
        expect_eq(held.rx(), [], "nothing was sent to the held port")

        # A UUCP lock file of a live process makes the port busy before it is opened.
        holder = subprocess.Popen(["sleep", "30"])
        path = write_lock(held.link, holder.pid)
        try:
            code, err = run("read", held.link)[0::2]
            expect_eq(code, 4, "exit with a live lock")
            expect("busy" in err, "says busy: %r" % err)
            expect(os.path.exists(path), "another program's lock is left in place")
            expect_eq(held.rx(), [], "nothing sent under a live lock")
        finally:
            holder.kill()
            holder.wait()
            os.unlink(path)

        # A lock whose process is gone is stale, as is one left empty long ago: the port is read,
        # and no lock is left behind. An empty lock just made may still be being written.
        path = write_lock(held.link, gone_pid())
        code, out, err = run("read", held.link)
        expect_eq(code, 0, "exit with a stale lock: " + err)
        expect(not os.path.exists(path), "the stale lock is gone afterwards")
        open(path, "w").close()
        expect_eq(run("read", held.link)[0], 4, "an empty lock just made")
        os.utime(path, (time.time() - 60, time.time() - 60))
        expect_eq(run("read", held.link)[0], 0, "an empty lock a minute old")
        expect(not os.path.exists(path), "the empty lock is gone afterwards")

        # Without root, other users' descriptors cannot be looked at: no failure, a note in --verbose.
        os.chmod(fleet.folder, 0o755)
        os.chmod(os.path.realpath(held.link), 0o666)
        code, out, err = run("read", held.link, user=NOBODY)
        expect_eq((code, err), (0, ""), "read as an unprivileged user")
        code, out, err = run("read", held.link, "--verbose", user=NOBODY)
        expect(code == 0 and "could not be looked at" in err and "fuser -v" in err, "the note: %r" % err)

        # While vireo4 uses the port its own lock names it; a second vireo4 is refused by it.
        watch = launch(fleet, ["card", held.link, "--watch"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        wait_until(lambda: os.path.exists(lock_path(held.link)), 5, "vireo4's lock file")
        with open(lock_path(held.link)) as f:
            expect_eq(int(f.read()), watch.pid, "the lock names the process")
        expect_eq(run("read", held.link)[0], 4, "a second vireo4 is busy")
        watch.send_signal(signal.SIGTERM)
        expect_eq(watch.wait(timeout=5), 143, "SIGTERM exit")
        expect(not os.path.exists(lock_path(held.link)), "the lock is removed on a signal")


# --- consoles --------------------------------------------------------------------------------

def console_tree(fleet, active, ports=()):
    """A sysfs tree whose kernel console is `active` (names under /dev) and that lists ports."""
    root = fleet.path("sysfs")
    os.makedirs(os.path.join(root, "class", "tty", "console"))
    with open(os.path.join(root, "class", "tty", "console", "active"), "w") as f:
        f.write(active + "\n")
    for name in ports:
        os.makedirs(os.path.join(root, "class", "tty", name, "device"))
    return dict(BASE_ENV, VIREO4_SYSFS=root)


@T.case("consoles are never opened: named they are no serial port, globs and the walk leave them out")
def _():
    with Fleet() as fleet:
        console = fleet.sim("console", "U")
        reader = fleet.sim("reader", "M")
        env = console_tree(fleet, "tty0 ttyS0 " + os.path.realpath(console.link)[len("/dev/"):], ports=["ttyS0"])
        code, out, err = run("read", console.link, "--json", env=env)
        expect_eq((code, json.loads(out)["status"]), (2, "not-serial"), "the console port named")
        code, out, err = run("find", fleet.path("*"), env=env)
        expect_eq(code, 0, "find over a glob with the console: " + err)
        expect(reader.link in out and console.link not in out + err, "console left out silently: %r %r" % (out, err))
        expect_eq(console.rx(), [], "nothing was sent to the console")
        for device in ("/dev/console", "/dev/tty0", "/dev/tty1"):
            if os.path.exists(device):
                code, out, err = run("read", device)
                expect_eq(code, 2, "exit for " + device)
                expect("not a serial port" in err, device + ": " + err)
        if os.path.exists("/dev/ttyS0"):
            # ttyS0, the only port of the tree, is a console too: marked by ports, never probed by find.
            code, out, err = run("ports", env=env)
            expect("ttyS0" in out and "console" in out, "ports marks the console: %r" % out)
            listed = json.loads(run("ports", "--json", env=env)[1])["ports"]
            expect_eq([p["console"] for p in listed], [True], "console in JSON")
            code, out, err = run("find", env=env)
            expect("ttyS0" not in out + err, "find leaves the console out: %r" % err)


# --- standard descriptors closed -------------------------------------------------------------

def closing(*fds):
    return lambda: [os.close(fd) for fd in fds]


@T.case("closed stdout or stderr: output never reaches the reader or the CSV file")
def _():
    with Fleet() as fleet:
        sim = fleet.sim("r", "U")
        proc = launch(fleet, ["read", sim.link], stdout=None, stderr=subprocess.PIPE, preexec_fn=closing(1))
        err = proc.communicate(timeout=15)[1].decode()
        expect_eq(proc.returncode, 4, "a closed stdout is an output error")
        expect("cannot write the output" in err, err)
        expect_eq(sim.rx(), [QUERY], "only the query went to the reader")

        csv_path = fleet.path("cards.csv")
        proc = launch(fleet, ["card", sim.link, "--csv", csv_path], stdout=None, stderr=None,
                      preexec_fn=closing(1, 2))
        expect_eq(proc.wait(timeout=15), 4, "card with stdout and stderr closed")
        with open(csv_path) as f:
            rows = f.read().splitlines()
        expect_eq(len(rows), 2, "header and one card row only: %r" % rows)
        expect("1234567" in rows[1], "the card's row: %r" % rows[1])
        expect(all(c.startswith("AT+READ") for c in sim.rx()), "only queries reached the reader: %r" % sim.rx())

        # stderr closed alone: a failure still exits with its own code, nothing goes astray.
        proc = launch(fleet, ["read", fleet.path("none")], stdout=subprocess.PIPE, stderr=None,
                      preexec_fn=closing(2))
        expect_eq(proc.wait(timeout=15), 4, "a message for a closed stderr is an output error")


# --- SIGQUIT ---------------------------------------------------------------------------------

@T.case("SIGQUIT restores the port as SIGINT does and exits 131")
def _():
    with Fleet() as fleet:
        sim = fleet.sim("r", "U")
        fd = open_tty(sim.link)
        before = termios.tcgetattr(fd)
        os.close(fd)
        watch = launch(fleet, ["card", sim.link, "--watch"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        wait_until(lambda: sim.rx(), 5, "the watch's first query")
        watch.send_signal(signal.SIGQUIT)
        expect_eq(watch.wait(timeout=5), 131, "exit on SIGQUIT")
        watch.stdout.close()
        fd = open_tty(sim.link)
        try:
            expect(not exclusive(fd), "the port is no longer exclusive")
            expect_eq(termios.tcgetattr(fd), before, "line settings given back")
        finally:
            os.close(fd)
        expect(not os.path.exists(lock_path(sim.link)), "lock file removed")
        expect_eq(run("read", sim.link)[0], 0, "the next read is not busy")


# --- profiles --------------------------------------------------------------------------------

@T.case("profiles: empty, NUL byte, FIFO, directory, missing and too large are refused with a reason")
def _():
    with Fleet() as fleet:
        sim = fleet.sim("r", "U")
        cases = []
        empty = fleet.path("empty.ini")
        open(empty, "w").close()
        cases.append((empty, "the profile holds no settings"))
        comments = fleet.path("comments.ini")
        with open(comments, "w") as f:
            f.write("# exported by hand\n\n")
        cases.append((comments, "the profile holds no settings"))
        nul = fleet.path("nul.ini")
        with open(nul, "wb") as f:
            f.write(b"[kru-krm]\ninterface = wiegand-26\0junk\n")
        cases.append((nul, "nul.ini:2: the profile holds a NUL byte"))
        fifo = fleet.path("fifo.ini")
        os.mkfifo(fifo)
        cases.append((fifo, "not a regular file"))
        cases.append((fleet.folder, "not a regular file"))
        cases.append((fleet.path("missing.ini"), "No such file or directory"))
        large = fleet.path("large.ini")
        with open(large, "w") as f:
            f.write("[usb]\n" + "# padding\n" * 120000)
        cases.append((large, "too large"))
        for path, words in cases:
            started = time.monotonic()
            code, out, err = run("apply", path, sim.link, timeout=10)
            expect_eq(code, 1, "exit for " + path)
            expect(words in err, "%s: %r" % (path, err))
            expect(time.monotonic() - started < 5, path + " answered at once")
        code, out, err = run("apply", fleet.path("missing.ini"), "--lang", "ru")
        expect("нет такого файла или каталога" in err, "the reason in Russian: %r" % err)
        code, doc = run_json("apply", empty, sim.link)
        expect_eq((code, doc["ok"], doc["status"]), (1, False, "usage"), "JSON of an empty profile")
        expect_eq(sim.rx(), [], "no reader was asked")


# --- JSON ------------------------------------------------------------------------------------

@T.case("--json: help, version, no command and usage errors are each one document")
def _():
    for args, code, ok in ((["--json"], 1, False), (["--help", "--json"], 0, True),
                           (["read", "--help", "--json"], 0, True), (["--version", "--json"], 0, True),
                           (["read", "--json"], 1, False), (["find", "--bogus", "--json"], 1, False),
                           (["apply", "--json"], 1, False)):
        got, out, err = run(*args)
        expect_eq(got, code, "exit of %r" % args)
        lines = out.splitlines()
        expect_eq(len(lines), 1, "one line for %r: %r" % (args, out))
        doc = json.loads(lines[0])
        expect_eq((doc["ok"], doc["status"]), (ok, "ok" if ok else "usage"), "%r" % args)
    expect("vireo4" in json.loads(run("--version", "--json")[1])["version"], "version text")
    expect("find" in json.loads(run("--help", "--json")[1])["help"], "help text")


# --- find, settings named twice, descriptor limits -------------------------------------------

@T.case("find: a file matched by a glob is skipped, a setting named twice is refused, ulimit -n is met, "
        "an open that fails says why")
def _():
    with Fleet() as fleet:
        sims = fleet.many(["r%02d" % n for n in range(20)], model="M", logged=True)
        note = fleet.path("r-notes.txt")
        with open(note, "w") as f:
            f.write("not a port\n")
        code, out, err = run("find", fleet.path("r*"))
        expect_eq(code, 0, "readers found beside a file: " + err)
        expect(note not in out + err, "the file is not mentioned without --verbose")
        code, out, err = run("find", fleet.path("r*"), "--verbose")
        expect(note in err and "skipped" in err, "--verbose names it: %r" % err)
        code, doc = run_json("find", fleet.path("r*"))
        expect_eq([s["port"] for s in doc["skipped"]], [note], "JSON names it")
        expect_eq((doc["ok"], len(doc["readers"]), doc["failures"]), (True, 20, []), "JSON verdict")

        code, out, err = run("write", sims[0].link, "interface=wiegand-26", "INTERFACE=wiegand-44")
        expect_eq(code, 1, "a setting given twice")
        expect("'INTERFACE' is given twice" in err, err)

        # Few descriptors: ports are taken a few at a time, none fails for want of one.
        limit = lambda: resource.setrlimit(resource.RLIMIT_NOFILE, (20, 20))  # noqa: E731
        done = subprocess.run([VIREO4, "find", fleet.path("r*"), "--json"], capture_output=True, env=BASE_ENV,
                              preexec_fn=limit, timeout=60)
        doc = json.loads(done.stdout)
        expect_eq((done.returncode, len(doc["readers"]), doc["failures"]), (0, 20, []), "under ulimit -n 20")
        expect_eq(sims[0].writes(), [], "the refused write sent nothing")

        # A pty whose master never unlocked it refuses to open (EIO): the reason, in --lang's words.
        libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        libc.ptsname.restype = ctypes.c_char_p
        master = libc.posix_openpt(os.O_RDWR | os.O_NOCTTY)
        try:
            expect(master >= 0 and libc.grantpt(master) == 0, "a locked pty")
            locked = libc.ptsname(master).decode()
            code, out, err = run("read", locked)
            expect_eq(code, 4, "exit for a port that cannot be opened")
            expect("the port cannot be opened: Input/output error" in err, err)
            code, out, err = run("read", locked, "--lang", "ru")
            expect("ошибка ввода-вывода" in err, err)
        finally:
            os.close(master)

        loop = fleet.path("loop")
        os.symlink(loop, loop)
        code, out, err = run("read", loop)
        expect_eq(code, 2, "a symlink loop")
        expect("port not found" in err, err)


if __name__ == "__main__":
    T.main()
