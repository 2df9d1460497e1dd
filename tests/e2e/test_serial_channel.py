#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""The serial channel on real COM ports of a Wine prefix, each backed by a simulated reader.

The Windows side is the "serial port:" cases of win_tests.exe (skipped in the ordinary
Windows-side run); this script registers the readers' ptys as COM ports, sets each reader's
behaviour through its control FIFO and runs one case at a time, then checks what went over
the wire in the reader's log. Timings the cases measure are printed at the end.
"""
import contextlib
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402

T = h.Tests(__file__)
WIN_TESTS = os.path.join(h.WIN_BUILD_DIR, "win_tests.exe")
CASE_TIMEOUT = 120
BYTE_MS = 10 * 1000 / 19200  # one byte on the line at 19200 baud

measured = {}


def run_case(env, title, port, model):
    """Runs one "serial port: <title>" case of win_tests.exe against the reader on port."""
    variables = dict(env.wine_env, VIREO_TEST_PORT=port, VIREO_TEST_MODEL=model)
    result = subprocess.run(["wine", WIN_TESTS, "--no-skip", "-tc=serial port: " + title],
                            env=variables, stdin=subprocess.DEVNULL, capture_output=True,
                            timeout=CASE_TIMEOUT)
    output = result.stdout.decode("latin-1")
    ran_one = re.search(r"test cases:\s+1 \|\s+1 passed", output) is not None
    h.expect(result.returncode == 0 and ran_one,
             "win_tests '%s' on %s failed (code %d):\n%s" % (title, port, result.returncode, output[-3000:]))
    for name, ms in re.findall(r"^MEASURE (\S+) ([0-9.]+)", output, re.M):
        measured.setdefault(name, []).append(float(ms))


@T.case("each model answers its own query; a write is acknowledged and kept")
def _():
    with h.Env() as env:
        readers = [("COM7", "M", env.sim(model="M", com=7)),
                   ("COM8", "U", env.sim(model="U", com=8)),
                   ("COM9", "B", env.sim(model="B", com=9)),
                   # Three-digit port numbers work like any other.
                   ("COM200", "X", env.sim(model="X", com=200))]
        env.boot()
        for port, model, sim in readers:
            run_case(env, "settings query round trip", port, model)
            own, other = (b"AT+READS_USB", b"AT+READS_KRX") if model == "B" else (b"AT+READS_KRX", b"AT+READS_USB")
            h.expect_eq(sim.rx(), own + other, "commands %s got" % port)
            echo = own[:-1] + model.encode()
            h.expect(sim.tx().startswith(b"\n\r" + echo + b" - OK! >> 1.10"), "reply on %s" % port)

        krm, usb = readers[0][2], readers[2][2]
        run_case(env, "write acknowledged and kept", "COM7", "M")
        h.expect(krm.rx().endswith(b"AT+W441SOAT+READS_KRX"), "write then query on COM7")
        run_case(env, "write acknowledged and kept", "COM9", "B")
        h.expect(usb.rx().endswith(b"AT+ATMX4XMAT+READS_USB"), "write then query on COM9")


@T.case("long, split and silent replies; timing; held and missing ports")
def _():
    with h.Env() as env, contextlib.ExitStack() as stack:
        sim = env.sim(model="M", com=7)
        stack.enter_context(h.unprivileged_wineserver(env))

        sim.control("flood 40")
        run_case(env, "a long reply is cut at 64 bytes", "COM7", "M")
        sim.control("normal")
        sim.control("split 150 17")
        run_case(env, "a reply split by a long pause is read as two", "COM7", "M")
        sim.control("normal")
        run_case(env, "timing of a whole reply", "COM7", "M")
        sim.control("silent")
        run_case(env, "a silent reader gives nothing after one time-out", "COM7", "M")
        sim.control("normal")
        with h.held_exclusively(sim.pty):
            run_case(env, "a port held by another program does not open", "COM7", "M")
        # Let go, the same port opens and answers again.
        run_case(env, "settings query round trip", "COM7", "M")

        # The split reply went out as two parts, more than 60 ms apart.
        sends = [(ms, data) for ms, kind, data in sim.log() if kind == "TX"]
        parts = [i for i, (_, data) in enumerate(sends) if data == b"\n\rAT+READS_KRM - "]
        h.expect(len(parts) == 1 and parts[0] + 1 < len(sends), "first part of the split reply in the log")
        first, second = sends[parts[0]], sends[parts[0] + 1]
        h.expect_eq(second[1], b"OK! >> 1.10TMX1DO", "second part of the split reply")
        h.expect(second[0] - first[0] >= 150, "the parts are 150 ms and more apart")

    print("measured (ms; lower bound at 19200 baud, 10 bit times per byte):")
    bounds = {
        "silent_read": ("no reply: one empty one-byte read", 60.0),
        "read34_waiting": ("34-byte reply already received: read until 60 ms of silence", 60.0),
        "read34_from_write": ("34-byte reply from the write: 34 bytes + 60 ms silence", 34 * BYTE_MS + 60),
        "read64": ("64-byte reply, read ends at byte 64", 64 * BYTE_MS),
        "read64_from_write": ("64 bytes from the write", 64 * BYTE_MS),
    }
    for name, values in sorted(measured.items()):
        what, bound = bounds.get(name, (name, 0.0))
        print("  %-18s %7.1f  (bound %5.1f)  %s" % (name, min(values), bound, what))


T.main()
