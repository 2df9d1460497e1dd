# SPDX-License-Identifier: Apache-2.0
"""The collection as users get it: ansible-galaxy builds the tarball, installs it into an empty
collections path, and ansible-doc reads both modules from there; each module's documented
options are the options it takes."""
import json
import os
import re
import subprocess
import tarfile
import tempfile

from ansible_support import ROOT, Tests, ansible_env, expect, expect_eq

T = Tests()
MODULES = ("vireo4_info", "vireo4_settings")
# ansible-core 2.14 renders I() and C(); newer markup would show as typed.
UNRENDERED = re.compile(r"\b(O|V|RV|E)\(")


def run(args, env, cwd):
    done = subprocess.run(args, env=env, cwd=cwd, capture_output=True, text=True, timeout=120)
    return done.returncode, done.stdout, done.stderr


def taken_options(module, env, cwd):
    """The options a module takes, as it names them when given one it does not know (with
    profile_content, so that vireo4_settings gets past its check for settings or a profile)."""
    code, out, err = run(["ansible", "localhost", "-c", "local", "-m", "vireo.readers." + module,
                          "-a", '{"no_such_option": 1, "profile_content": ""}'], env, cwd)
    # "Supported parameters include: a, b, c (alias, alias)."
    found = re.search(r"Supported parameters include: ([^.(]*)(?:\(([^)]*)\))?\.", out + err)
    expect(code != 0 and found, "%s with an unknown option:\n%s%s" % (module, out, err))
    return {word.strip() for group in found.groups("") for word in group.split(",") if word.strip()}


@T.case("ansible-galaxy builds and installs the collection; ansible-doc reads both modules from the install")
def _():
    with tempfile.TemporaryDirectory(prefix="vireo-galaxy-") as folder:
        env = ansible_env(folder, ANSIBLE_COLLECTIONS_PATH=os.path.join(folder, "installed"))
        code, out, err = run(["ansible-galaxy", "collection", "build", os.path.join(ROOT, "ansible"),
                              "--output-path", folder], env, folder)
        tarball = os.path.join(folder, "vireo-readers-1.0.0.tar.gz")
        expect(code == 0 and os.path.exists(tarball), "build (exit %d): %s%s" % (code, out, err))
        with tarfile.open(tarball) as archive:
            members = set(archive.getnames())
        for needed in ["MANIFEST.json", "README.md", "plugins/action/vireo4_settings.py",
                       "plugins/module_utils/vireo4.py", "examples/site.yml", "examples/files/site.ini",
                       "examples/try-locally/start-readers.sh", "roles/vireo4/tasks/main.yml", "meta/runtime.yml",
                       "changelogs/changelog.yaml"] + \
                      ["plugins/modules/%s.py" % m for m in MODULES]:
            expect(needed in members, "%s in the tarball: %s" % (needed, sorted(members)))
        expect(not [m for m in members if "__pycache__" in m or m.startswith("tests/output")], sorted(members))

        code, out, err = run(["ansible-galaxy", "collection", "install", "--offline", tarball,
                              "-p", os.path.join(folder, "installed")], env, folder)
        installed = os.path.join(folder, "installed", "ansible_collections", "vireo", "readers")
        expect(code == 0 and os.path.isdir(installed), "install (exit %d): %s%s" % (code, out, err))

        code, out, err = run(["ansible-doc", "-l", "vireo.readers"], env, folder)
        expect_eq(sorted(line.split()[0] for line in out.splitlines() if line.strip()),
                  ["vireo.readers.%s" % m for m in MODULES], "modules listed: " + err)
        for module in MODULES:
            code, text, err = run(["ansible-doc", "vireo.readers." + module], env, folder)
            expect(code == 0 and text.startswith("> VIREO.READERS.%s" % module.upper()) and installed in text,
                   "ansible-doc %s (exit %d): %s%s" % (module, code, text, err))
            flowing = " ".join(text.split())  # ansible-doc wraps lines at its own width
            for part in ("OPTIONS", "EXAMPLES:", "RETURN VALUES:", "REQUIREMENTS:", "Debian package `vireo4'"):
                expect(part in flowing, "%s in the documentation of %s" % (part, module))
            expect(not UNRENDERED.search(text), "markup ansible-doc does not render:\n" + text)

            code, out, err = run(["ansible-doc", "--json", "vireo.readers." + module], env, folder)
            options = json.loads(out)["vireo.readers." + module]["doc"]["options"]
            documented = set(options) | {alias for o in options.values() for alias in o.get("aliases", [])}
            expect_eq(documented, taken_options(module, env, folder), "documented options of " + module)


if __name__ == "__main__":
    T.main()
