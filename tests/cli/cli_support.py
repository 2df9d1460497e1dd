# SPDX-License-Identifier: Apache-2.0
"""Helpers for the vireo4 tests: simulated readers on pseudo-terminals, running the tool, a
small case runner. Python standard library only.

Environment: VIREO4 (the tool), VIREO_SIM (the reader simulator).
"""
import json
import os
import signal
import subprocess
import sys
import tempfile
import time
import traceback

VIREO4 = os.environ.get("VIREO4", "vireo4")
SIM = os.environ.get("VIREO_SIM", "vireo-sim")
# Messages in English unless a case asks for Russian.
BASE_ENV = dict(os.environ, LC_ALL="C", LANG="C")


sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import Failure, expect, expect_eq  # noqa: E402
from harness import wait_until as _wait_until  # noqa: E402


def wait_until(condition, timeout, what):
    return _wait_until(condition, timeout, what, 0.005)


class Sim:
    """One simulated reader; its port is a stable link in the fleet's folder."""

    def __init__(self, folder, name, model, firmware, settings, extra, logged):
        self.link = os.path.join(folder, name)
        args = [SIM, "--model", model, "--firmware", firmware, "--link", self.link]
        if settings:
            args += ["--settings", settings]
        self.log_path = self.fifo = None
        if logged:
            # Hidden names, so that a glob over the fleet's folder names the readers only.
            self.log_path = os.path.join(folder, "." + name + ".log")
            self.fifo = os.path.join(folder, "." + name + ".ctl")
            args += ["--log", self.log_path, "--control", self.fifo]
        self.proc = subprocess.Popen(args + list(extra), stdout=subprocess.PIPE, text=True)

    def wait_ready(self):
        line = self.proc.stdout.readline()
        expect(line.startswith("/dev/"), "simulator did not start: %r" % line)
        wait_until(lambda: os.path.islink(self.link), 5, "the link " + self.link)

    def control(self, line):
        with open(self.fifo, "w") as fifo:
            fifo.write(line + "\n")

    def events(self, tag=None):
        with open(self.log_path, encoding="latin-1") as log:
            lines = [line.rstrip("\n").split(" ", 2) for line in log]
        return [l[2] if len(l) > 2 else "" for l in lines if tag is None or (len(l) > 1 and l[1] == tag)]

    def rx(self):
        return self.events("RX")

    def writes(self):
        """Commands other than queries: settings writes."""
        return [c for c in self.rx() if not c.startswith("AT+READS_")]

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close()


class Fleet:
    """A temporary folder of simulated readers; every process is ended on leaving."""

    def __init__(self):
        self.sims = []
        self.procs = []

    def __enter__(self):
        self.tmp = tempfile.TemporaryDirectory(prefix="vireo4-test-")
        self.folder = self.tmp.name
        return self

    def __exit__(self, *exc):
        for proc in self.procs:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        for sim in self.sims:
            sim.stop()
        self.tmp.cleanup()
        return False

    def sim(self, name, model="U", firmware="1.10", settings=None, extra=(), logged=True):
        sim = Sim(self.folder, name, model, firmware, settings, extra, logged)
        self.sims.append(sim)
        sim.wait_ready()
        return sim

    def many(self, names, **kwargs):
        """Starts several simulators at once, then waits for all."""
        started = [Sim(self.folder, name, kwargs.get("model", "U"), kwargs.get("firmware", "1.10"),
                       kwargs.get("settings"), kwargs.get("extra", ()), kwargs.get("logged", False))
                   for name in names]
        self.sims += started
        for sim in started:
            sim.wait_ready()
        return started

    def path(self, name):
        return os.path.join(self.folder, name)

    def start(self, *args, env=None):
        """The tool in the background (ended on leaving)."""
        proc = subprocess.Popen([VIREO4, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                text=True, env=env or BASE_ENV)
        self.procs.append(proc)
        return proc


def arm_after_query(sim, *lines):
    """The simulator was started with --split: once the first half of the query's reply went out,
    give it control lines that act on the tool's next command (the write)."""
    wait_until(lambda: sim.events("TX"), 5, "the query's reply")
    sim.control("split off")
    for line in lines:
        sim.control(line)


def write_file(fleet, name, text):
    path = fleet.path(name)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    return path


def run(*args, timeout=15, env=None, user=None):
    """Runs the tool; returns (exit code, stdout, stderr) as text."""
    preexec = (lambda: os.setuid(user)) if user is not None else None
    done = subprocess.run([VIREO4, *args], capture_output=True, timeout=timeout, env=env or BASE_ENV,
                          preexec_fn=preexec)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def run_json(*args, timeout=15):
    code, out, err = run(*args, "--json", timeout=timeout)
    try:
        return code, json.loads(out)
    except ValueError:
        raise Failure("not one JSON document (exit %d): %r / %r" % (code, out, err))


class Tests:
    """Cases run in order; the closing line is 'N passed, N failed'."""

    def __init__(self):
        self.cases = []

    def case(self, title):
        def register(function):
            self.cases.append((title, function))
            return function
        return register

    def main(self):
        only = sys.argv[1] if len(sys.argv) > 1 else ""
        passed = failed = 0
        for title, function in self.cases:
            if only not in title:
                continue
            start = time.monotonic()
            try:
                function()
                passed += 1
                print("PASS %s (%.2f s)" % (title, time.monotonic() - start), flush=True)
            except Exception as error:  # a failing case must not stop the others
                failed += 1
                print("FAIL %s: %s" % (title, error), flush=True)
                if not isinstance(error, Failure):
                    traceback.print_exc()
        print("%d passed, %d failed" % (passed, failed))
        sys.exit(1 if failed else 0)
