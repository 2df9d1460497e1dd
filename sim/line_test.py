#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""The simulator's line side through a real pty: framing, pacing, misbehaviour from the
control FIFO, vanish and return, the wire log and a clean stop.

Usage: line_test.py PATH_TO_VIREO_SIM
"""
import os
import select
import signal
import subprocess
import sys
import tempfile
import time
import tty

BYTE_TIME = 10 / 19200  # seconds per byte at 19200 baud


def wait_for(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.005)
    raise AssertionError("timed out waiting for " + what)


class Sim:
    def __init__(self, exe, workdir, *args):
        self.log = os.path.join(workdir, "wire.log")
        self.fifo = os.path.join(workdir, "control")
        self.link = os.path.join(workdir, "com7")
        self.proc = subprocess.Popen(
            [exe, "--log", self.log, "--control", self.fifo, "--link", self.link, *args],
            stdout=subprocess.PIPE, text=True)
        self.path = self.proc.stdout.readline().strip()

    def control(self, line):
        with open(self.fifo, "w") as f:
            f.write(line + "\n")

    def log_lines(self):
        with open(self.log) as f:
            return f.read().splitlines()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close()
        return self.proc.returncode


def open_port(path):
    fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
    tty.setraw(fd)
    return fd


def read_chunks(fd, quiet=0.15, limit=3.0):
    """Collects (time, bytes) chunks until `quiet` seconds pass without a byte."""
    chunks = []
    start = time.monotonic()
    last = start
    while time.monotonic() - last < quiet and time.monotonic() - start < limit:
        ready, _, _ = select.select([fd], [], [], 0.005)
        if ready:
            try:
                data = os.read(fd, 256)
            except OSError:
                break
            if not data:
                break
            last = time.monotonic()
            chunks.append((last - start, data))
    return chunks


def ask(fd, command, **kwargs):
    os.write(fd, command)
    return read_chunks(fd, **kwargs)


def joined(chunks):
    return b"".join(data for _, data in chunks)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def test_replies_and_pacing(exe, workdir):
    sim = Sim(exe, workdir, "--model", "M")
    try:
        check(sim.path.startswith("/dev/pts/"), "first line is the pty path: " + sim.path)
        check(os.readlink(sim.link) == sim.path, "the link points at the pty")
        fd = open_port(sim.link)
        try:
            chunks = ask(fd, b"AT+READS_KRX")
            check(joined(chunks) == b"\n\rAT+READS_KRM - OK! >> 1.10TMX1DO", joined(chunks))
            spread = chunks[-1][0] - chunks[0][0]
            # 34 bytes paced at 19200 baud: the last byte comes 33 byte times after the first.
            check(spread >= 33 * BYTE_TIME * 0.9, "paced like the real line: %.4f s" % spread)

            # A write split across two writes 5 ms apart is still one command.
            os.write(fd, b"AT+W44")
            time.sleep(0.005)
            chunks = ask(fd, b"1SO")
            check(joined(chunks) == b"\n\rAT+W441SO - OK!", joined(chunks))
            check(joined(ask(fd, b"AT+READS_KRX")).endswith(b">> 1.10W441SO"), "stored")

            # Two pieces with more than the gap between them are two commands.
            os.write(fd, b"AT+READS")
            time.sleep(0.06)
            reply = joined(ask(fd, b"_KRX"))
            check(reply == b"\n\rAT+READS - UNKNOWN CMD!\n\r_KRX - UNKNOWN CMD!", reply)

            sim.control("baud-delay off")
            time.sleep(0.05)
            chunks = ask(fd, b"AT+READS_IDS")
            check(joined(chunks) == b"\n\rAT+IDS - OK! >> 0001234567 0000054321.", joined(chunks))
            check(len(chunks) <= 2, "unpaced reply arrives at once")
        finally:
            os.close(fd)
        lines = sim.log_lines()
        rx = [l for l in lines if " RX " in l]
        tx = [l for l in lines if " TX " in l]
        check(rx[0].split(" ", 2)[1:] == ["RX", "AT+READS_KRX"], rx[0])
        check(tx[0].split(" ", 2)[2] == "\\x0A\\x0DAT+READS_KRM - OK! >> 1.10TMX1DO", tx[0])
        stamps = [int(l.split(" ")[0]) for l in lines]
        check(stamps == sorted(stamps), "log times never go back")
        check(int(tx[0].split()[0]) - int(rx[0].split()[0]) < 50, "reply within a few ms")
    finally:
        check(sim.stop() == 0, "stops cleanly on SIGTERM")
    check(not os.path.lexists(sim.link) and not os.path.exists(sim.fifo), "link and FIFO removed")


def test_misbehaviour(exe, workdir):
    sim = Sim(exe, workdir, "--model", "B", "--firmware", "2.00", "--flood", "40")
    try:
        fd = open_port(sim.path)
        try:
            flood = joined(ask(fd, b"AT+READS_USB"))
            check(flood == b"\n\rAT+READS_USB - OK! >> 2.00WHDH5EM" + b"0123456789" * 4, flood)
            sim.control("normal")
            sim.control("split 120")
            chunks = ask(fd, b"AT+READS_USB", quiet=0.3)
            check(joined(chunks) == b"\n\rAT+READS_USB - OK! >> 2.00WHDH5EM", joined(chunks))
            gaps = [b[0] - a[0] for a, b in zip(chunks, chunks[1:])]
            check(max(gaps) >= 0.11, "a pause inside the reply: %r" % gaps)
            sim.control("split off")
            sim.control("silent")
            check(ask(fd, b"AT+READS_USB") == [], "silent")
            sim.control("silent off")
            sim.control("late 300")
            start = time.monotonic()
            chunks = ask(fd, b"AT+READS_USB", quiet=0.5)
            check(chunks and chunks[0][0] >= 0.29, "late reply")
            sim.control("late off")
            sim.control("this is not a command")
            sim.control("raw 0a0d 41 54 00")
            check(joined(ask(fd, b"AT+READS_USB")) == b"\n\rAT\x00", "raw reply")
            check(joined(ask(fd, b"AT+READS_USB")).startswith(b"\n\rAT+READS_USB - OK!"), "raw once")
        finally:
            os.close(fd)
        check(any(" ERR " in l for l in sim.log_lines()), "bad control line logged")
        check(sim.proc.poll() is None, "still running after a bad control line")
    finally:
        sim.stop()


def test_stale_bytes_and_vanish(exe, workdir):
    sim = Sim(exe, workdir, "--model", "U", "--flood", "40")
    try:
        fd = open_port(sim.link)
        os.write(fd, b"AT+READS_KRX")
        wait_for(lambda: any(" TX " in l for l in sim.log_lines()), 2, "the reply")
        time.sleep(0.1)
        os.close(fd)  # 74 bytes left unread in the port
        time.sleep(0.05)
        fd = open_port(sim.link)
        try:
            wait_for(lambda: sum(" OPEN " in l for l in sim.log_lines()) >= 2, 2, "reopen noticed")
            check(read_chunks(fd, quiet=0.1) == [], "a reopened port starts empty")
            sim.control("vanish")
            wait_for(lambda: not os.path.lexists(sim.link), 2, "link removed on vanish")
            try:
                os.write(fd, b"AT+READS_KRX")
                gone = read_chunks(fd, quiet=0.1) == []
            except OSError:
                gone = True
            check(gone, "a vanished reader answers nothing")
        finally:
            os.close(fd)
        sim.control("return")
        new_path = sim.proc.stdout.readline().strip()
        check(new_path.startswith("/dev/pts/"), "return prints the new path")
        wait_for(lambda: os.path.lexists(sim.link), 2, "link back")
        check(os.readlink(sim.link) == new_path, "link follows the new pty")
        fd = open_port(sim.link)
        try:
            reply = joined(ask(fd, b"AT+READS_KRX"))
            check(reply.startswith(b"\n\rAT+READS_KRU - OK! >> 1.10TMX1DO"), reply)
        finally:
            os.close(fd)
        check(any(" VANISH " in l for l in sim.log_lines()), "vanish logged")
        check(any(l.endswith(" PTY " + new_path) for l in sim.log_lines()), "new pty logged")
    finally:
        sim.stop()


def test_bad_options(exe):
    for args in (["--model", "Q"], ["--cut", "x"], ["--barcode", "12a"], ["--bogus"],
                 ["--vanish"], ["--log"]):
        result = subprocess.run([exe, *args], capture_output=True, text=True, timeout=5)
        check(result.returncode == 2 and result.stdout == "", "refused: %r" % args)


def main():
    exe = sys.argv[1]
    for test in (test_replies_and_pacing, test_misbehaviour, test_stale_bytes_and_vanish):
        with tempfile.TemporaryDirectory() as workdir:
            test(exe, workdir)
            print("ok", test.__name__)
    test_bad_options(exe)
    print("ok test_bad_options")


if __name__ == "__main__":
    main()
