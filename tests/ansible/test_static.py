# SPDX-License-Identifier: Apache-2.0
"""Static checks of the vireo.readers collection: ansible-test's compile sanity test, ansible-lint
on the collection and its example playbook, and the example inventory as Ansible reads it.

ansible-test's other sanity tests build virtual environments from a package index; they cannot
run here and are not tried. Its validate-modules script runs here directly, on Debian's Python
with Debian's voluptuous.
"""
import json
import os
import shutil
import subprocess
import tempfile

from ansible_support import HOST_PYTHON, ROOT, Tests, ansible_env, expect, expect_eq

T = Tests()
SOURCE = os.path.join(ROOT, "ansible")


def collection_copy(folder):
    """ansible-test and ansible-lint work inside the collection (tests/output, caches): a copy
    under ansible_collections/vireo/readers keeps the source tree clean."""
    target = os.path.join(folder, "ansible_collections", "vireo", "readers")
    shutil.copytree(SOURCE, target, ignore=shutil.ignore_patterns("__pycache__", "*.pyc", "output", "*.tar.gz"))
    return target


def run(args, cwd, env, timeout=240):
    done = subprocess.run(args, cwd=cwd, env=env, capture_output=True, text=True, timeout=timeout)
    return done.returncode, done.stdout + done.stderr


@T.case("ansible-lint --offline --strict --profile production: the collection, its role and examples, no failure, no warning")
def _():
    with tempfile.TemporaryDirectory(prefix="vireo-lint-") as folder:
        collection = collection_copy(folder)
        env = ansible_env(folder, ANSIBLE_COLLECTIONS_PATH=os.path.join(folder, "ansible_collections"),
                          XDG_CACHE_HOME=os.path.join(folder, "cache"), NO_COLOR="1")
        code, out = run(["ansible-lint", "--offline", "--strict", "--profile", "production", "--nocolor"], collection, env)
        expect(code == 0 and "0 failure(s), 0 warning(s)" in out, "ansible-lint (exit %d):\n%s" % (code, out))
        # Options are validated only when ansible-lint finds the modules; it says so when it does not.
        expect("Unable to" not in out, "ansible-lint did not find the collection's modules:\n" + out)


@T.case("ansible-test sanity --test compile with Debian's Python")
def _():
    version = subprocess.run([HOST_PYTHON, "-c", "import sys; print('%d.%d' % sys.version_info[:2])"],
                             capture_output=True, text=True, check=True).stdout.strip()
    with tempfile.TemporaryDirectory(prefix="vireo-sanity-") as folder:
        collection = collection_copy(folder)
        # Only Debian's interpreters: other python3.x on the PATH (version managers' shims) would
        # be taken for Pythons to test.
        env = ansible_env(folder, PATH="/usr/bin:/bin")
        code, out = run(["ansible-test", "sanity", "--test", "compile", "--python", version, "--color", "no"],
                        collection, env)
        expect(code == 0 and 'Running sanity test "compile" on Python %s' % version in out,
               "ansible-test (exit %d):\n%s" % (code, out))


@T.case("the example site: inventory groups and variables as the playbook uses them")
def _():
    examples = os.path.join(SOURCE, "examples")
    with tempfile.TemporaryDirectory(prefix="vireo-site-") as folder:
        env = ansible_env(folder)
        code, out = run(["ansible-inventory", "-i", os.path.join(examples, "inventory.ini"), "--list"], examples, env)
        expect_eq(code, 0, "ansible-inventory:\n" + out)
        hostvars = json.loads(out[out.index("{"):])["_meta"]["hostvars"]
        expect_eq(len(hostvars), 7, "hosts of the site")
        expect(all(hostvars[h]["reader_ports"] for h in hostvars), "every host says where its readers are")
        expect_eq(hostvars["gate-garage.site.example"].get("gate_interface"), "wiegand-58", "the garage's own interface")
        code, out = run(["ansible-playbook", "-i", os.path.join(examples, "inventory.ini"),
                         os.path.join(examples, "site.yml"), "--list-hosts"], examples, env)
        expect(code == 0 and out.count("hosts (") == 3, "plays of the site:\n" + out)
        for play_hosts in ("hosts (4)", "hosts (3)", "hosts (7)"):
            expect(play_hosts in out, "%s in:\n%s" % (play_hosts, out))


@T.case("validate-modules on both modules: documentation, accepted options and return values agree")
def _():
    sanity = os.path.join(os.path.dirname(subprocess.run([HOST_PYTHON, "-c", "import ansible_test; print(ansible_test.__file__)"],
                                                         capture_output=True, text=True, check=True).stdout.strip()),
                          "_util", "controller", "sanity", "validate-modules")
    with tempfile.TemporaryDirectory(prefix="vireo-validate-") as folder:
        collection = collection_copy(folder)
        env = ansible_env(folder, ANSIBLE_COLLECTIONS_PATH=folder, PYTHONPATH=sanity + os.pathsep + folder)
        modules = ["plugins/modules/vireo4_info.py", "plugins/modules/vireo4_settings.py"]
        # "--arg": validate-modules' own option (abbreviated) that loads each module and holds
        # the options it accepts to the ones it documents.
        code, out = run([HOST_PYTHON, os.path.join(sanity, "validate.py"), "--format", "json", "--arg",
                         "--collection", "ansible_collections/vireo/readers", "--collection-version", "1.0.0"]
                        + modules, collection, env)
        expect(code in (0, 3), "validate-modules (exit %d):\n%s" % (code, out))
        # The report names only modules with something to say: a clean run is an empty one.
        found = json.loads(out[out.index("{"):]) if "{" in out else {}
        expect(set(found) <= set(modules), "validate-modules reported on other files: %s" % sorted(found))
        problems = ["%s: %s %s" % (path, item["code"], item["msg"]) for path, report in found.items()
                    for item in report["errors"] + report["warnings"]]
        expect(not problems, "validate-modules:\n" + "\n".join(problems))


if __name__ == "__main__":
    T.main()
