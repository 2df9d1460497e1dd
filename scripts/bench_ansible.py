#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""The price of vireo4_settings in the usual case: a play over three hosts with five readers each,
all already set, beside the same play with a module that does nothing. Both run in turns in one
run, on local connections against simulated readers; the medians and their ratio are printed.

    python3 scripts/bench_ansible.py [--rounds N] [--windows]

--windows also measures what a Windows host would run: vireo4.exe (build/win) under Wine, in a
prefix of its own, against five simulated readers on COM ports: the first read of the module's
usual case (apply --dry-run) and a write, beside Wine's start of the same program (--version).

Needs build/native (vireo4, vireo-sim) and Debian's ansible-core; --windows build/win/vireo4.exe.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import time

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
os.environ.setdefault("VIREO4", os.path.join(ROOT, "build", "native", "vireo4"))
os.environ.setdefault("VIREO_SIM", os.path.join(ROOT, "build", "native", "sim", "vireo-sim"))
sys.path.insert(0, os.path.join(ROOT, "tests", "ansible"))
from ansible_support import RECAP, VIREO4, Fleet, ansible_env, inventory  # noqa: E402

BOUND = 1.3
HOSTS = ("desk", "kiosk", "gate")
# Five readers per host, already holding what the play asks for.
READERS = [("kru", "U", "W261DF"), ("krm", "M", "W261DF"), ("line", "X", "W261DF"),
           ("usb", "B", "WHDD4EM"), ("usb2", "B", "WHDD4EM")]
TASK = """---
- name: Readers of each host to the site's settings
  hosts: all
  gather_facts: false
  tasks:
    - name: Set the readers
      {module}:
        port: "{{{{ reader_ports }}}}"
        executable: "{{{{ vireo4_executable }}}}"
        settings:
          kru-krm: {{interface: wiegand-26, touch-poll: "off"}}
          usb: {{type: dec, bytes: 4}}
"""
NOOP_MODULE = """#!/usr/bin/python
from ansible.module_utils.basic import AnsibleModule


def main():
    module = AnsibleModule(argument_spec=dict(port=dict(type='list', elements='str'), executable=dict(type='path'),
                                              settings=dict(type='dict')), supports_check_mode=True)
    module.exit_json(changed=False)


if __name__ == '__main__':
    main()
"""


def write(path, text):
    with open(path, "w") as out:
        out.write(text)
    return path


def timed_play(fleet, playbook, hosts, env):
    start = time.monotonic()
    done = subprocess.run(["ansible-playbook", "-i", hosts, playbook, "--forks", str(len(HOSTS))],
                          capture_output=True, text=True, env=env, cwd=fleet.folder, timeout=300)
    elapsed = time.monotonic() - start
    recap = {m.group(1): (int(m.group(3)), int(m.group(5))) for m in RECAP.finditer(done.stdout)}
    if done.returncode != 0 or recap != {h: (0, 0) for h in HOSTS}:
        sys.exit("the play did not pass unchanged (exit %d):\n%s%s" % (done.returncode, done.stdout, done.stderr))
    return elapsed


def median_ms(runs, args, env):
    times = []
    for _ in range(runs):
        start = time.monotonic()
        done = subprocess.run(args, capture_output=True, env=env, timeout=60, stdin=subprocess.DEVNULL)
        times.append((time.monotonic() - start) * 1000)
    return statistics.median(times), done


def windows_figures(runs):
    """vireo4.exe under Wine in a prefix of its own, ended by that prefix's wineserver -k."""
    exe = os.path.join(ROOT, "build", "win", "vireo4.exe")
    with Fleet() as fleet:
        env = dict(os.environ, WINEPREFIX=os.path.join(fleet.folder, "prefix"), WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="C.UTF-8")
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        server = None
        try:
            subprocess.run(["wineboot", "-i"], timeout=180, check=True, **quiet)
            ports = []
            for n, (name, model, chars) in enumerate(READERS):
                fleet.many([name], model=model, settings=chars)
                ports.append("COM%d" % (n + 3))
                subprocess.run(["wine", "reg", "add", "HKLM\\Software\\Wine\\Ports", "/v", ports[-1],
                                "/d", fleet.path(name), "/f"], timeout=60, check=True, **quiet)
            subprocess.run(["wineserver", "-k"], timeout=60, **quiet)  # the port table is read at its start
            server = subprocess.Popen(["wineserver", "-f", "-p"], start_new_session=True, **quiet)
            profile = write(os.path.join(fleet.folder, "site.ini"), "[kru-krm]\ninterface=wiegand-26\n"
                            "touch-poll=off\n[usb]\ntype=dec\nbytes=4\n")
            wine = ["wine", exe]
            # Wine's own services start with the first program and would hold its pipes open.
            subprocess.run(wine + ["--version"], timeout=120, **quiet)
            start_ms, _ = median_ms(runs, wine + ["--version"], env)
            dry_ms, done = median_ms(runs, wine + ["apply", "--json", "--dry-run", profile] + ports, env)
            rows = json.loads(done.stdout)["readers"]
            unchanged = [r["port"] for r in rows if r["ok"] and not r["would_change"]]
            native = subprocess.run([VIREO4, "apply", "--json", "--dry-run", profile] +
                                    [fleet.path(name) for name, _, _ in READERS],
                                    capture_output=True, text=True).stdout
            same_keys = sorted(rows[0]) == sorted(json.loads(native)["readers"][0])
            fleet.sims[0].stop()  # a reader to write: restart the KRU with other settings
            fleet.sims[0] = fleet.many(["kru"], model="U", settings="TMX1DO")[0]
            start = time.monotonic()
            done = subprocess.run(wine + ["apply", "--json", profile, ports[0]], capture_output=True, env=env,
                                  timeout=60, stdin=subprocess.DEVNULL)
            write_ms = (time.monotonic() - start) * 1000
            written = json.loads(done.stdout)["readers"][0]
        finally:
            subprocess.run(["wineserver", "-k"], timeout=60, **quiet)
            if server is not None:
                server.wait(30)
    print("vireo4.exe under Wine (%s), %d readers on COM ports, median of %d:" %
          (subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip(), len(READERS), runs))
    print("  wine vireo4.exe --version                 %5.0f ms" % start_ms)
    print("  apply --dry-run --json, all up to date    %5.0f ms  (%d of %d readers ok, unchanged)"
          % (dry_ms, len(unchanged), len(READERS)))
    print("  apply --json writing one reader, one run  %5.0f ms  (changed %s, status %s)"
          % (write_ms, written["changed"], written["status"]))
    print("  JSON reader fields as on Linux: %s" % ("yes" if same_keys else "NO"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--windows", action="store_true")
    options = parser.parse_args()
    rounds = options.rounds
    with Fleet() as fleet:
        for host in HOSTS:
            for name, model, chars in READERS:
                fleet.many(["%s-%s" % (host, name)], model=model, settings=chars)
        hosts = inventory(fleet, {h: ["%s-%s" % (h, name) for name, _, _ in READERS] for h in HOSTS})
        library = os.path.join(fleet.folder, "library")
        os.mkdir(library)
        write(os.path.join(library, "vireo_noop.py"), NOOP_MODULE)
        plays = {"vireo4_settings": write(os.path.join(fleet.folder, "settings.yml"),
                                          TASK.format(module="vireo.readers.vireo4_settings")),
                 "no-op module": write(os.path.join(fleet.folder, "noop.yml"), TASK.format(module="vireo_noop"))}
        env = ansible_env(fleet.folder, ANSIBLE_LIBRARY=library)
        times = {name: [] for name in plays}
        for name, playbook in plays.items():  # warm-up: caches, and the readers proven up to date
            timed_play(fleet, playbook, hosts, env)
        for _ in range(rounds):
            for name, playbook in plays.items():
                times[name].append(timed_play(fleet, playbook, hosts, env))
        one = fleet.path("gate-*")
        start = time.monotonic()
        subprocess.run([VIREO4, "apply", "--json", "--dry-run", write(os.path.join(fleet.folder, "p.ini"),
                        "[kru-krm]\ninterface=wiegand-26\n"), one], capture_output=True, check=False)
        dry_run_ms = (time.monotonic() - start) * 1000

    load = os.getloadavg()
    print("Play over %d hosts x %d readers, all up to date, forks %d, %d rounds (load %.2f %.2f %.2f)"
          % (len(HOSTS), len(READERS), len(HOSTS), rounds, *load))
    for name, values in times.items():
        print("  %-16s median %.2f s  (min %.2f, max %.2f)" % (name, statistics.median(values), min(values), max(values)))
    ratio = statistics.median(times["vireo4_settings"]) / statistics.median(times["no-op module"])
    print("  ratio %.2f (bound <= %.1f: %s)" % (ratio, BOUND, "met" if ratio <= BOUND else "NOT met"))
    print("  one vireo4 apply --dry-run over a host's 5 readers: %.0f ms" % dry_run_ms)
    if options.windows:
        windows_figures(rounds)


if __name__ == "__main__":
    main()
