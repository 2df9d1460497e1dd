# SPDX-License-Identifier: Apache-2.0
"""What a newcomer runs: examples/try-locally end to end (its readers' script, the check run, the
real run, the second run), and the role vireo.readers.vireo4 on this host in check mode with
--diff: the role installs a package, changes groups and udev, which a test must not do to the
machine it runs on, while check mode goes through every task's decision and shows its diff."""
import os
import subprocess

from ansible_support import HERE, ROOT, RECAP, VIREO4, Fleet, Play, Tests, ansible_env, expect, expect_eq, inventory

T = Tests()
TRY = os.path.join(ROOT, "ansible", "examples", "try-locally")


def recap(output):
    return {m.group(1): (int(m.group(3)), int(m.group(5))) for m in RECAP.finditer(output)}


@T.case("examples/try-locally: the readers start, the check run, the real run and the second run as its README says")
def _():
    with Fleet() as fleet:
        env = ansible_env(fleet.folder, VIREO_TRY_DIR=os.path.join(fleet.folder, "try"),
                          VIREO4=os.path.abspath(VIREO4))

        def run(*args):
            return subprocess.run(args, cwd=TRY, env=env, capture_output=True, text=True, timeout=120)
        started = run("./start-readers.sh")
        try:
            expect(started.returncode == 0 and started.stdout.startswith("5 readers in "), started.stdout + started.stderr)
            outputs = [run("ansible-playbook", "-i", "inventory.ini", "site.yml", *args)
                       for args in (["--check", "--diff"], ["--diff"], [])]
        finally:
            run("./start-readers.sh", "stop")
        hosts = ("desk-1", "kiosk-1", "gate-1")
        for done, changed in zip(outputs, (1, 1, 0)):
            expect_eq(recap(done.stdout), {h: (changed, 0) for h in hosts}, done.args[-1:] and done.stdout + done.stderr)
        expect("+interface = wiegand-26" in outputs[0].stdout, "the check run's diff:\n" + outputs[0].stdout)
        expect("KRM 1.10: {'indication': 'direct', 'interface': 'wiegand-26'" in outputs[2].stdout, outputs[2].stdout)
        left = [name for name in os.listdir(os.path.join(fleet.folder, "try")) if not name.startswith(".")]
        expect_eq(left, [], "readers left after ./start-readers.sh stop")


@T.case("the role in check mode: the package, the user, the profile and provisioning switched on, nothing written")
def _():
    with Fleet() as fleet:
        deb = os.path.join(fleet.folder, "vireo4_2.0.0_amd64.deb")
        open(deb, "wb").close()
        profile = os.path.join(fleet.folder, "site.ini")
        with open(profile, "w") as f:
            f.write("[kru-krm]\ninterface = wiegand-26\n")
        had_etc = os.path.exists("/etc/vireo4")
        hosts = inventory(fleet, {"here": []}, deb_file=deb, site_profile=profile)
        done = Play(fleet, "role.yml", hosts, "--check", "--diff").wait()
        expect_eq(recap(done.output), {"here": (6, 0)}, done.output)
        for task in ("Copy the vireo4 package to the host", "Place the site profile", "Switch provisioning on plug",
                     "List the serial adapters provisioning sets", "Make the folder of the site's settings"):
            expect(done.result("here", "vireo.readers.vireo4 : " + task)["changed"], task)
        expect("+interface = wiegand-26" in done.output, "the profile's diff:\n" + done.output)
        expect("+enabled = yes" in done.output and "+serial-adapters = 0403:6001 10c4:ea60" in done.output,
               "provision.conf's diff:\n" + done.output)
        expect_eq(os.path.exists("/etc/vireo4"), had_etc, "/etc/vireo4 after check mode")
        expect(not os.path.exists("/var/cache/vireo4.deb"), "the package was copied in check mode")


if __name__ == "__main__":
    T.main()
