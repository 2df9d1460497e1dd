# SPDX-License-Identifier: Apache-2.0
"""Playbooks of the vireo.readers collection against simulated readers: a collections path whose
vireo.readers is the source tree, inventories of hosts on local connections each with its own
readers, and every task's result as the modules returned it. Python standard library only.

Environment: as for cli_support (VIREO4, VIREO_SIM).
"""
import json
import os
import re
import signal
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(HERE, "..", "cli"))
from cli_support import VIREO4, Failure, Fleet, Tests, expect, expect_eq, wait_until  # noqa: E402,F401

PLAYBOOKS = os.path.join(HERE, "playbooks")
# Debian's ansible runs its modules on Debian's Python; python3 on the PATH may be another one.
HOST_PYTHON = "/usr/bin/python3"
RECAP = re.compile(r"^(\S+)\s*:\s*ok=(\d+)\s+changed=(\d+)\s+unreachable=(\d+)\s+failed=(\d+)", re.M)


def collections_path(folder):
    """A collections path in folder whose vireo.readers is the source tree. The path names the
    ansible_collections folder itself, which ansible and ansible-lint both understand."""
    top = os.path.join(folder, "collections", "ansible_collections")
    os.makedirs(os.path.join(top, "vireo"), exist_ok=True)
    link = os.path.join(top, "vireo", "readers")
    if not os.path.lexists(link):
        os.symlink(os.path.join(ROOT, "ansible"), link)
    return top


def ansible_env(folder, **extra):
    """Ansible kept inside folder: no configuration, temporary files or retry files elsewhere."""
    config = os.path.join(folder, "ansible.cfg")
    if not os.path.exists(config):
        open(config, "w").close()
    env = dict(os.environ, LC_ALL="C.UTF-8", LANG="C.UTF-8", ANSIBLE_CONFIG=config,
               ANSIBLE_COLLECTIONS_PATH=collections_path(folder), ANSIBLE_HOME=os.path.join(folder, "ansible-home"),
               ANSIBLE_LOCAL_TEMP=os.path.join(folder, "ansible-local"),
               ANSIBLE_REMOTE_TMP=os.path.join(folder, "ansible-remote"),
               ANSIBLE_NOCOLOR="1", ANSIBLE_FORCE_COLOR="0", ANSIBLE_RETRY_FILES_ENABLED="0",
               ANSIBLE_HOST_KEY_CHECKING="0", ANSIBLE_PYTHON_INTERPRETER=HOST_PYTHON)
    env.update(extra)
    return env


def inventory(fleet, hosts, **common):
    """An inventory of local hosts; hosts maps each host to its readers' names in the fleet."""
    host_vars = {}
    for host, readers in hosts.items():
        host_vars[host] = dict(ansible_connection="local", ansible_python_interpreter=HOST_PYTHON,
                               vireo4_executable=os.path.abspath(VIREO4),
                               reader_ports=[fleet.path(name) for name in readers], **common)
    path = os.path.join(fleet.folder, "inventory.yml")
    with open(path, "w") as out:
        json.dump({"all": {"hosts": host_vars}}, out)  # JSON is YAML
    return path


class Play:
    """ansible-playbook running in the background in its own process group."""

    def __init__(self, fleet, playbook, hosts_file, *args):
        self.results_path = os.path.join(fleet.folder, "results-%s.jsonl" % os.urandom(4).hex())
        env = ansible_env(fleet.folder, VIREO_TEST_RESULTS=self.results_path,
                          ANSIBLE_CALLBACK_PLUGINS=os.path.join(HERE, "callback"),
                          ANSIBLE_CALLBACKS_ENABLED="record")
        self.proc = subprocess.Popen(["ansible-playbook", "-i", hosts_file, os.path.join(PLAYBOOKS, playbook), *args],
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, env=env,
                                     cwd=fleet.folder, start_new_session=True)
        fleet.procs.append(self.proc)

    def wait(self, timeout=120):
        try:
            self.output, _ = self.proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.communicate()
            raise Failure("ansible-playbook still running after %d s" % timeout)
        self.recap = {m.group(1): dict(ok=int(m.group(2)), changed=int(m.group(3)), failed=int(m.group(5)))
                      for m in RECAP.finditer(self.output)}
        self.records = []
        if os.path.exists(self.results_path):
            with open(self.results_path) as results:
                self.records = [json.loads(line) for line in results]
        return self

    def result(self, host, task):
        found = [r["result"] for r in self.records if r["host"] == host and r["task"] == task]
        expect(len(found) == 1, "one result of %r on %s, not %d:\n%s" % (task, host, len(found), self.output))
        return found[0]

    def diff_blocks(self):
        """Diff blocks of the output by their header: 'PORT (MODEL FIRMWARE)' -> lines."""
        blocks = {}
        for block in self.output.split("--- before: ")[1:]:
            header, _, rest = block.partition("\n")
            blocks[header] = [line for line in rest.split("\n\n")[0].splitlines()
                              if line[:1] in "+-" and not line.startswith("+++")]
        return blocks


def play(fleet, playbook, hosts_file, *args, timeout=120):
    return Play(fleet, playbook, hosts_file, *args).wait(timeout)


def readers_by_port(result):
    return {os.path.basename(row["port"]): row for row in result["readers"]}
