# SPDX-License-Identifier: Apache-2.0
"""Provisioning on plug: the unit's command (packaging/vireo4-provision) run as the unit runs
it, against simulated readers, with a model of sysfs giving each port its USB identity. What it
writes to a reader and what it logs for the journal."""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(HERE, "..", "cli"))
from cli_support import VIREO4, Fleet, Tests, expect, expect_eq, wait_until  # noqa: E402

SCRIPT = os.path.join(ROOT, "packaging", "vireo4-provision")
READER_USB = ("2e3c", "5750")
T = Tests()


class Site:
    """A site's configuration, profile and sysfs in the fleet's folder."""

    def __init__(self, fleet, enabled="yes", adapters="", profile="[kru-krm]\ninterface = wiegand-26\n"):
        self.fleet = fleet
        self.config = fleet.path("provision.conf")
        with open(self.config, "w") as f:
            f.write("# as shipped, switched\nenabled = %s\nserial-adapters = %s\n" % (enabled, adapters))
        self.profile = fleet.path("site.ini")
        if profile is not None:
            with open(self.profile, "w") as f:
                f.write(profile)
        self.sysfs = fleet.path("sys")

    def plug(self, name, identity=READER_USB, **sim):
        """A reader on a USB port of the given VID:PID (None: a port not on USB)."""
        reader = self.fleet.sim(name, **sim)
        interface = os.path.join(self.sysfs, "devices", "usb1", name, name + ":1.0")
        os.makedirs(interface)
        if identity:
            for attribute, value in zip(("idVendor", "idProduct"), identity):
                with open(os.path.join(os.path.dirname(interface), attribute), "w") as f:
                    f.write(value + "\n")
        tty = os.path.join(self.sysfs, "class", "tty", name)
        os.makedirs(tty)
        os.symlink(interface, os.path.join(tty, "device"))
        return reader

    def provision(self, name):
        args = [SCRIPT, "--config", self.config, "--profile", self.profile, "--sysfs", self.sysfs,
                "--vireo4", os.path.abspath(VIREO4), self.fleet.path(name)]
        return subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                env=dict(os.environ, LC_ALL="C.UTF-8"))


def finish(proc):
    out, _ = proc.communicate(timeout=60)
    return proc.returncode, out


@T.case("a factory reader is set and read back; a matching one is left unwritten; each logged with before and after")
def _():
    with Fleet() as fleet:
        site = Site(fleet)
        factory = site.plug("acm0", model="B")
        with open(site.profile, "a") as f:
            f.write("[usb]\ntype = dec\n")
        code, log = finish(site.provision("acm0"))
        expect_eq(code, 0, log)
        expect_eq(factory.writes(), ["AT+WHDD5EM"], "the write")
        lines = log.splitlines()
        port = fleet.path("acm0")
        expect_eq(lines[0], "%s: Vireo-4-USB appeared: applying %s" % (port, site.profile), log)
        expect("written and verified" in log and "type" in log and "hex → dec" in log, log)
        expect_eq(lines[-1], "%s: done (vireo4 apply exit 0)" % port, log)

        code, again = finish(site.provision("acm0"))
        expect(code == 0 and "unchanged (already set, nothing written)" in again, again)
        expect_eq(factory.writes(), ["AT+WHDD5EM"], "writes after the reader was plugged in again")


@T.case("nothing is sent to a reader when provisioning is off, without a site profile, or on an adapter not listed")
def _():
    for title, site_args, identity in (("off", dict(enabled="no"), READER_USB),
                                       ("no site profile", dict(profile=None), READER_USB),
                                       ("adapter not listed", dict(adapters="10c4:ea60"), ("0403", "6001")),
                                       ("not on USB", dict(adapters="0403:6001"), None)):
        with Fleet() as fleet:
            site = Site(fleet, **site_args)
            reader = site.plug("r", identity=identity)
            code, log = finish(site.provision("r"))
            expect(code == 0 and log.startswith(fleet.path("r") + ": left alone: "), "%s: %d %r" % (title, code, log))
            expect_eq(reader.rx(), [], title + ": what the reader got")
    with Fleet() as fleet:
        site = Site(fleet, adapters="10c4:EA60 0403:6001")
        reader = site.plug("usb0", identity=("0403", "6001"), model="M")
        code, log = finish(site.provision("usb0"))
        expect(code == 0 and "serial adapter 0403:6001 appeared" in log, log)
        expect_eq(reader.writes(), ["AT+W261DO"], "the listed adapter's reader")


@T.case("a reader pulled out mid-apply: logged as failed with vireo4's word, the unit's exit not 0")
def _():
    with Fleet() as fleet:
        site = Site(fleet)
        gone = site.plug("acm1", model="U", extra=["--late", "300"])
        running = site.provision("acm1")
        wait_until(gone.writes, 30, "the write")
        gone.control("vanish")
        code, log = finish(running)
        expect_eq(code, 3, "exit of a write not confirmed: " + log)
        expect("not confirmed" in log and log.splitlines()[-1] == "%s: FAILED (vireo4 apply exit %d)"
               % (fleet.path("acm1"), code), log)


if __name__ == "__main__":
    T.main()
