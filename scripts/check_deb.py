#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""The vireo4 Debian package as built: scripts/build_deb.sh makes it (dpkg-buildpackage in a
copy of the tree) into --out, then: lintian --pedantic (any E: or W: not overridden fails), its
control fields and files (dpkg-deb -I / -c, the browser page under /usr/share/vireo4/web among
them), the packaged program (it runs), the man page (renders without warnings and documents
every command, option, setting and exit code of the packaged program's help), the udev rule
(udevadm verify where there is one; otherwise a syntax check, and in both cases the rule is run
against model devices: the reader, a second reader, another serial adapter, a removal),
provisioning on plug (systemd-analyze verify of its unit, its rule on model devices, its
configuration off and a conffile) and the package's autopkgtest, run against the unpacked package.

  scripts/check_deb.py --source . --out build/native/deb --sim build/native/sim/vireo-sim
"""
import argparse
import fnmatch
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile

PACKAGE = "vireo4"
BINARY = "usr/bin/vireo4"
MAN_PAGE = "usr/share/man/man1/vireo4.1.gz"
# Where dh_installudev puts it (debhelper 13; /lib is /usr/lib on a merged-/usr system).
UDEV_RULE = "lib/udev/rules.d/60-vireo4.rules"
WEB_FOLDER = "usr/share/vireo4/web"
# Provisioning on plug, installed by cmake --install.
PROVISION_RULE = "usr/lib/udev/rules.d/61-vireo4-provision.rules"
PROVISION_UNIT = "usr/lib/systemd/system/vireo4-provision@.service"
PROVISION_SCRIPT = "usr/lib/vireo4/vireo4-provision"
PROVISION_CONFIG = "etc/vireo4/provision.conf"
SITE_PROFILE = "/etc/vireo4/site.ini"
# The web page must be there; other helpers' install rules may add further files.
EXPECTED_FILES = {BINARY: "-rwxr-xr-x", MAN_PAGE: "-rw-r--r--", UDEV_RULE: "-rw-r--r--",
                  "usr/share/doc/vireo4/copyright": "-rw-r--r--",
                  "usr/share/doc/vireo4/changelog.Debian.gz": "-rw-r--r--",
                  "usr/share/metainfo/vireo4.metainfo.xml": "-rw-r--r--",
                  WEB_FOLDER + "/index.html": "-rw-r--r--", WEB_FOLDER + "/vireo-core.js": "-rw-r--r--",
                  PROVISION_RULE: "-rw-r--r--", PROVISION_UNIT: "-rw-r--r--", PROVISION_SCRIPT: "-rwxr-xr-x",
                  PROVISION_CONFIG: "-rw-r--r--"}


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def run(command, timeout=120, **kw):
    return subprocess.run(command, capture_output=True, text=True, timeout=timeout, **kw)


# ---------------------------------------------------------------- udev rules, as udev reads them

TOKEN = re.compile(r'\s*([A-Z_]+)(?:\{([^}]*)\})?\s*(==|!=|\+=|-=|:=|=)\s*"((?:[^"\\]|\\.)*)"\s*(?:,|$)')
MATCH_ONLY = {"ACTION", "DEVPATH", "KERNEL", "KERNELS", "SUBSYSTEM", "SUBSYSTEMS", "DRIVER",
              "DRIVERS", "ATTRS", "TAGS", "TEST", "PROGRAM", "RESULT", "CONST"}
ASSIGN_ONLY = {"OWNER", "GROUP", "MODE", "LABEL", "GOTO", "OPTIONS", "RUN", "IMPORT", "SECLABEL"}
BOTH = {"NAME", "SYMLINK", "ATTR", "SYSCTL", "ENV", "TAG"}
WITH_ATTRIBUTE = {"ATTR", "ATTRS", "ENV", "SYSCTL", "TEST", "IMPORT", "RUN", "SECLABEL", "CONST"}
PARENT_KEYS = {"KERNELS", "SUBSYSTEMS", "DRIVERS", "ATTRS"}
OPTION = re.compile(r"^(link_priority=-?\d+|string_escape=(none|replace)|watch|nowatch|"
                    r"db_persist|static_node=\S+|log_level=\S+)$")


def parse_rules(text):
    """[(line number, [(key, attribute, operator, value)])]; raises Failure on what udev rejects."""
    rules = []
    for number, line in enumerate(text.splitlines(), 1):
        stripped = line.strip()
        if not stripped or stripped.startswith("#"):
            continue
        expect(not line.endswith("\\"), "line %d: continued lines are not used here" % number)
        tokens, at = [], 0
        while at < len(line):
            match = TOKEN.match(line, at)
            expect(match is not None, "line %d: not KEY op \"value\" at %r" % (number, line[at:]))
            key, attribute, op, value = match.groups()
            where = "line %d, %s" % (number, key)
            expect(key in MATCH_ONLY | ASSIGN_ONLY | BOTH, where + ": unknown key")
            expect((attribute is not None) == (key in WITH_ATTRIBUTE) or key in {"IMPORT", "RUN", "TEST"},
                   where + ": attribute braces wrong")
            if key in MATCH_ONLY:
                expect(op in ("==", "!="), where + ": a match key takes == or !=")
            if key in ASSIGN_ONLY:
                expect(op not in ("==", "!="), where + ": an assignment key takes =, += or :=")
            if key in ("LABEL", "GOTO"):
                expect(op == "=", where + ": takes =")
            if key == "MODE":
                expect(re.fullmatch(r"0[0-7]{3}", value), where + ": not an octal mode")
            if key == "OPTIONS":
                for option in value.split(","):
                    expect(OPTION.match(option.strip()), where + ": unknown option %r" % option)
            tokens.append((key, attribute, op, value))
            at = match.end()
        rules.append((number, tokens))
    labels = {}
    for index, (number, tokens) in enumerate(rules):
        for key, _, _, value in tokens:
            if key == "LABEL":
                labels[value] = index
    for index, (number, tokens) in enumerate(rules):
        for key, _, _, value in tokens:
            if key == "GOTO":
                expect(labels.get(value, -1) > index, "line %d: GOTO %s has no label after it" % (number, value))
    return rules


def pattern_matches(pattern, text):
    return text is not None and any(fnmatch.fnmatchcase(text, p) for p in pattern.split("|"))


def evaluate(rules, device):
    """What the rules do to a device: {"mode", "group", "links", "priority", "env"}.
    device: {"action", "subsystem", "kernel", "attrs", "parents": [{"subsystem", "kernel", "attrs"}]}."""
    chain = [device] + device.get("parents", [])
    result = {"mode": None, "group": None, "links": [], "priority": 0, "env": {}, "tags": set()}
    escape = None
    labels = {value: i for i, (_, tokens) in enumerate(rules)
              for key, _, _, value in tokens if key == "LABEL"}
    index = 0
    while index < len(rules):
        _, tokens = rules[index]
        index += 1
        # udev's parent keys must all match on one device of the chain, the first that does.
        parent_tokens = [t for t in tokens if t[0] in PARENT_KEYS]
        parent = device
        if parent_tokens:
            parent = next((d for d in chain if all(parent_match(d, t) for t in parent_tokens)), None)
            if parent is None:
                continue
        matched = True
        for key, attribute, op, value in tokens:
            if key in PARENT_KEYS or op not in ("==", "!="):
                continue
            if key == "TEST":  # a file's existence: the model's device lists the files there are
                if (value in device.get("files", ())) != (op == "=="):
                    matched = False
                    break
                continue
            actual = {"ACTION": device.get("action"), "SUBSYSTEM": device.get("subsystem"),
                      "KERNEL": device.get("kernel"),
                      "ATTR": device.get("attrs", {}).get(attribute),
                      "ENV": result["env"].get(attribute)}.get(key)
            expect(key in ("ACTION", "SUBSYSTEM", "KERNEL", "ATTR", "ENV"),
                   "the model does not know the match key %s" % key)
            if pattern_matches(value, actual) != (op == "=="):
                matched = False
                break
        if not matched:
            continue
        for key, attribute, op, value in tokens:
            if op in ("==", "!="):
                continue
            if key == "GOTO":
                index = labels[value]
                break
            if key == "MODE":
                result["mode"] = value
            elif key == "GROUP":
                result["group"] = value
            elif key == "ENV":
                value = value.replace("%k", device.get("kernel", ""))
                earlier = result["env"].get(attribute)
                result["env"][attribute] = earlier + " " + value if op == "+=" and earlier else value
            elif key == "TAG":
                result["tags"] = ({value} if op in ("=", ":=") else result["tags"] | {value})
            elif key == "OPTIONS":
                for option in value.split(","):
                    if option.startswith("link_priority="):
                        result["priority"] = int(option.split("=")[1])
                    elif option.startswith("string_escape="):
                        escape = option.split("=")[1]
            elif key == "SYMLINK":
                text = re.sub(r"\$attr\{([^}]+)\}",
                              lambda m: (device.get("attrs", {}).get(m.group(1))
                                         or parent.get("attrs", {}).get(m.group(1), "")).strip(),
                              value)
                # By default a blank separates links; string_escape=replace makes it "_".
                if escape == "replace":
                    text = re.sub(r"\s", "_", text)
                links = text.split()
                result["links"] = links if op in ("=", ":=") else result["links"] + links
    return result


def parent_match(candidate, token):
    key, attribute, op, value = token
    actual = {"KERNELS": candidate.get("kernel"), "SUBSYSTEMS": candidate.get("subsystem"),
              "DRIVERS": candidate.get("driver"),
              "ATTRS": candidate.get("attrs", {}).get(attribute)}[key]
    return pattern_matches(value, actual) == (op == "==")


def reader_port(kernel, serial=None, vendor="2e3c", product="5750", action="add", revision="0200", files=()):
    usb_attrs = {"idVendor": vendor, "idProduct": product, "bcdDevice": revision}
    if serial is not None:
        usb_attrs["serial"] = serial
    return {"action": action, "subsystem": "tty", "kernel": kernel, "attrs": {"dev": "166:0"}, "files": files,
            "parents": [{"subsystem": "usb", "kernel": "1-1:1.0", "attrs": {"bInterfaceClass": "02"}},
                        {"subsystem": "usb", "kernel": "1-1", "attrs": usb_attrs}]}


# ---------------------------------------------------------------- the checks

class Package:
    def __init__(self, source_dir, out, work):
        self.work = work
        made = run(["bash", os.path.join(source_dir, "scripts", "build_deb.sh"), out], timeout=1500)
        expect(made.returncode == 0, "build_deb.sh failed:\n" + made.stdout + made.stderr)
        debs = [name for name in os.listdir(out) if name.endswith(".deb") and "-dbgsym_" not in name]
        expect(len(debs) == 1, "build_deb.sh made %r" % debs)
        self.deb = os.path.join(out, debs[0])
        self.root = os.path.join(work, "root")
        extracted = run(["dpkg-deb", "-x", self.deb, self.root])
        expect(extracted.returncode == 0, "dpkg-deb -x: " + extracted.stderr)
        self.control = os.path.join(work, "control")
        extracted = run(["dpkg-deb", "-e", self.deb, self.control])
        expect(extracted.returncode == 0, "dpkg-deb -e: " + extracted.stderr)


def debian_version(source_dir):
    """The package's version as debian/changelog's first entry gives it ("2.0.0-1")."""
    with open(os.path.join(source_dir, "debian", "changelog"), encoding="utf-8") as f:
        match = re.match(r"\S+ \(([^)]+)\)", f.readline())
    expect(match, "debian/changelog names no version")
    return match.group(1)


def check_control(package, version):
    arch = run(["dpkg", "--print-architecture"]).stdout.strip()
    expect(os.path.basename(package.deb) == "%s_%s_%s.deb" % (PACKAGE, version, arch),
           "file name %s" % os.path.basename(package.deb))
    info = run(["dpkg-deb", "-I", package.deb])
    expect(info.returncode == 0, "dpkg-deb -I: " + info.stderr)
    fields = dict(re.findall(r"^ ([A-Za-z-]+): (.*)$", info.stdout, re.M))
    expect(fields.get("Package") == PACKAGE, "Package: %r" % fields.get("Package"))
    expect(fields.get("Version") == version, "Version: %r" % fields.get("Version"))
    expect(fields.get("Architecture") == arch, "Architecture: %r" % fields.get("Architecture"))
    expect(fields.get("Maintainer"), "no Maintainer")
    depends = fields.get("Depends", "")
    expect(re.search(r"\blibc6\b", depends), "Depends lacks libc6: %r" % depends)
    # A sanitizer build must not be what ships.
    expect(not re.search(r"lib(asan|ubsan|tsan|lsan)", depends), "Depends on a sanitizer runtime: %r" % depends)
    for script in ("postinst", "postrm"):
        expect(re.search(r"^\s+\d+ bytes,\s+\d+ lines\s+\*\s+%s\b" % script, info.stdout, re.M),
               "%s missing or not executable:\n%s" % (script, info.stdout))
        checked = run(["sh", "-n", os.path.join(package.control, script)])
        expect(checked.returncode == 0, "%s: %s" % (script, checked.stderr))
    # Where udevd does not run (no control socket: a chroot, a container, this test), the
    # scripts leave udev alone and say nothing, on install, removal and purge alike.
    if not os.path.exists("/run/udev/control"):
        tools = os.path.join(package.work, "tools")
        os.makedirs(tools, exist_ok=True)
        called = os.path.join(package.work, "udevadm-called")
        with open(os.path.join(tools, "udevadm"), "w") as f:
            f.write("#!/bin/sh\necho \"$@\" >> '%s'\nexit 1\n" % called)
        os.chmod(os.path.join(tools, "udevadm"), 0o755)
        env = dict(os.environ, PATH=tools + os.pathsep + os.environ.get("PATH", ""))
        for script, action in (("postinst", "configure"), ("postrm", "remove"), ("postrm", "purge")):
            done = run(["sh", os.path.join(package.control, script), action], env=env)
            expect(done.returncode == 0 and not done.stdout + done.stderr,
                   "%s %s: exit %d, %r" % (script, action, done.returncode, done.stdout + done.stderr))
        expect(not os.path.exists(called), "udevadm called without udevd: " +
               (open(called).read() if os.path.exists(called) else ""))


def check_lintian(package):
    checked = run(["lintian", "--pedantic", "--display-info", package.deb], timeout=600)
    tags = [line for line in checked.stdout.splitlines() if re.match(r"^[EW]: ", line)]
    expect(checked.returncode in (0, 1) and not re.search(r"^E: .*lintian", checked.stderr, re.M),
           "lintian did not run: " + checked.stderr)
    expect(not tags, "lintian:\n" + "\n".join(tags))


def check_autopkgtest(package, source_dir, sim):
    test = os.path.join(source_dir, "debian", "tests", "simulated-readers")
    env = dict(os.environ, VIREO4=os.path.join(package.root, BINARY), VIREO_SIM=sim,
               AUTOPKGTEST_TMP=package.work)
    done = run([test], env=env, timeout=300)
    expect(done.returncode == 0, "debian/tests/simulated-readers:\n" + done.stdout + done.stderr)


def check_files(package):
    listing = run(["dpkg-deb", "-c", package.deb])
    expect(listing.returncode == 0, "dpkg-deb -c: " + listing.stderr)
    files = {}
    for line in listing.stdout.splitlines():
        fields = line.split()
        mode, owner, path = fields[0], fields[1], fields[-1]
        path = path[2:] if path.startswith("./") else path
        if not mode.startswith("d"):
            files[path] = mode
        expect(owner == "root/root", "%s owned by %s" % (path, owner))
    absent = sorted(set(EXPECTED_FILES) - set(files))
    expect(not absent, "not in the package: %r (it has %r)" % (absent, sorted(files)))
    for path, mode in EXPECTED_FILES.items():
        expect(files[path] == mode, "%s: mode %s, not %s" % (path, files[path], mode))
    for path, mode in files.items():
        expect(not path.startswith(WEB_FOLDER) or mode == "-rw-r--r--", "%s: mode %s" % (path, mode))
    binary = os.path.join(package.root, BINARY)
    version = run([binary, "--version"], timeout=20)
    expect(version.returncode == 0 and version.stdout.strip(),
           "packaged vireo4 --version: exit %d, %r %r" % (version.returncode, version.stdout, version.stderr))


def check_man_page(package, source_dir):
    packaged = os.path.join(package.root, MAN_PAGE)
    with gzip.open(packaged, "rb") as f:
        page = f.read()
    expect(b"@@" not in page and not re.search(rb"@[A-Z_]+@", page), "the packaged man page has a marker left unfilled")
    env = dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="200")
    env.pop("MANPAGER", None)
    env.pop("PAGER", None)
    groff = run(["groff", "-man", "-ww", "-z"], input=page.decode("utf-8"), env=env)
    expect(groff.returncode == 0 and not groff.stderr, "groff -man -ww: " + groff.stderr)
    shown = run(["man", "--warnings", "--nh", "--nj", "-P", "cat", "-l", packaged], env=env)
    expect(shown.returncode == 0 and not shown.stderr.strip(), "man -l: " + shown.stderr)
    text = re.sub(r".\x08", "", shown.stdout).replace("\u2010", "-").replace("\u2212", "-")
    expect("NAME" in text and "vireo4" in text, "man -l shows no page")
    # What the page must name, as the packaged program's own help gives it: its commands, the
    # options of every command, its settings and values, its exit codes. (The test cli_reference
    # holds the generated page to the tool in full.)
    shown_help = run([os.path.join(package.root, BINARY), "--help", "--lang", "en"], timeout=20).stdout
    blocks = shown_help.split("\n\n")
    commands = [line.split()[0] for line in blocks[1].splitlines()[1:]]
    options = [line.split()[0].rstrip(",") for line in blocks[2].splitlines()[1:]]
    settings = re.findall(r"^  ([a-z-]+) {2,}(.*)$", shown_help.split("Settings of", 1)[-1].split("Firmware rules", 1)[0],
                          re.M)
    exit_codes = re.findall(r"\b(\d{1,3})\b", shown_help.replace("\n", " ").split("Exit codes: ", 1)[-1])
    expect(len(commands) >= 6 and len(options) >= 5 and len(settings) >= 9 and len(exit_codes) >= 8,
           "the packaged program's help lists too little: %r" % shown_help)
    words = set(re.findall(r"[\w/.-]+", text))
    absent = [c for c in commands if "vireo4 " + c not in text]
    absent += [o for o in options if o not in words]
    for name, values in settings:
        absent += [name] if name not in words else []
        absent += ["%s value %s" % (name, v) for v in re.findall(r"[\w-]+", values.split(" (")[0]) if v not in words]
    status = text.split("EXIT STATUS", 1)[-1].split("FILES", 1)[0]
    absent += ["exit code " + c for c in exit_codes if not re.search(r"^\s+%s\s+\S" % c, status, re.M)]
    absent += [p for p in ("/dev/vireo4-usb", "dialout", "[kru-krm]", "[usb]") if p not in text]
    expect(not absent, "the man page does not document: " + ", ".join(absent))


def check_udev_rule(package):
    path = os.path.join(package.root, UDEV_RULE)
    udevadm = shutil.which("udevadm")
    if udevadm and run([udevadm, "verify", "--help"]).returncode == 0:
        verified = run([udevadm, "verify", path])
        expect(verified.returncode == 0, "udevadm verify: " + verified.stdout + verified.stderr)
    with open(path, encoding="utf-8") as f:
        rules = parse_rules(f.read())

    first = evaluate(rules, reader_port("ttyACM0", serial="VR4U0012"))
    expect(first["mode"] == "0660" and first["group"] == "dialout",
           "reader: mode %r group %r" % (first["mode"], first["group"]))
    expect(sorted(first["links"]) == ["vireo4-usb", "vireo4-usb-VR4U0012"], "reader links %r" % first["links"])
    expect(first["env"].get("ID_MM_DEVICE_IGNORE") == "1", "ModemManager not told to keep off")
    expect("uaccess" in first["tags"], "the reader is not given to the person at the seat (uaccess)")

    no_serial = evaluate(rules, reader_port("ttyACM1"))
    expect(no_serial["links"] == ["vireo4-usb"] and no_serial["group"] == "dialout",
           "reader without a serial number: %r" % no_serial)
    spaced = evaluate(rules, reader_port("ttyACM2", serial="AB 12"))
    expect(sorted(spaced["links"]) == ["vireo4-usb", "vireo4-usb-AB_12"], "a serial with a blank: %r" % spaced["links"])

    # /dev/vireo4-usb goes to the highest link priority: the lowest port number wins, always.
    priorities = [evaluate(rules, reader_port("ttyACM%d" % n, serial="S%d" % n))["priority"] for n in range(12)]
    expect(all(a > b for a, b in zip(priorities[:10], priorities[1:11])),
           "link priorities by port number not falling: %r" % priorities)
    expect(priorities[10] == priorities[11], "ports 10 and up: %r" % priorities[10:])
    expect(evaluate(rules, reader_port("ttyUSB0"))["priority"] == priorities[0], "ttyUSB0 ranks as ttyACM0")

    for name, device in (("another adapter", reader_port("ttyUSB0", serial="X", vendor="0403", product="6001")),
                         ("same vendor, other product", reader_port("ttyACM0", product="5751")),
                         ("same product, other revision", reader_port("ttyACM0", revision="0100")),
                         ("removal", reader_port("ttyACM0", serial="VR4U0012", action="remove"))):
        other = evaluate(rules, device)
        expect(other["links"] == [] and other["mode"] is None and other["group"] is None and not other["tags"],
               "%s touched: %r" % (name, other))
    usb_node = reader_port("ttyACM0")["parents"][1]
    usb_node = dict(usb_node, action="add", parents=[])
    expect(evaluate(rules, usb_node)["links"] == [], "the USB device node itself got a link")


def check_provisioning(package):
    """The unit as systemd reads it (in the package's root beside this system's own units), the
    rule's effect on model devices, and the configuration shipped off, as a conffile."""
    root = os.path.join(package.work, "systemd-root")
    shutil.copytree(package.root, root, symlinks=True)
    units = os.path.join(root, os.path.dirname(PROVISION_UNIT))
    copied = run(["cp", "-an", "/usr/lib/systemd/system/.", units])
    expect(copied.returncode == 0, "this system's units: " + copied.stderr)
    verified = run(["systemd-analyze", "verify", "--man=no", "--root=" + root, "vireo4-provision@ttyACM0.service"])
    expect(verified.returncode == 0 and not verified.stderr.strip(),
           "systemd-analyze verify: " + verified.stdout + verified.stderr)
    with open(os.path.join(package.root, PROVISION_UNIT), encoding="utf-8") as f:
        unit = f.read()
    expect("ConditionPathExists=%s" % SITE_PROFILE in unit, "the unit runs without a site profile")

    path = os.path.join(package.root, PROVISION_RULE)
    udevadm = shutil.which("udevadm")
    if udevadm and run([udevadm, "verify", "--help"]).returncode == 0:
        verified = run([udevadm, "verify", path])
        expect(verified.returncode == 0, "udevadm verify: " + verified.stdout + verified.stderr)
    with open(path, encoding="utf-8") as f:
        text = f.read()
    expect("RUN" not in re.sub(r"#.*", "", text), "the rule runs a program itself: udev would wait for it")
    rules = parse_rules(text)
    profile = (SITE_PROFILE,)
    for name, device, wanted in (
            ("the reader", reader_port("ttyACM3", serial="VR4U0012", files=profile), "vireo4-provision@ttyACM3.service"),
            ("another revision of the reader", reader_port("ttyACM0", revision="0100", files=profile),
             "vireo4-provision@ttyACM0.service"),
            ("a USB serial adapter (the unit checks its identity)",
             reader_port("ttyUSB1", vendor="0403", product="6001", files=profile), "vireo4-provision@ttyUSB1.service"),
            ("no site profile", reader_port("ttyACM0"), None),
            ("removal", reader_port("ttyACM0", action="remove", files=profile), None),
            ("a change event (the package's own trigger)", reader_port("ttyACM0", action="change", files=profile), None),
            ("a built-in serial port", {"action": "add", "subsystem": "tty", "kernel": "ttyS0", "files": profile,
                                        "parents": [{"subsystem": "platform", "kernel": "serial8250"}]}, None),
            ("the USB device node", dict(reader_port("ttyACM0")["parents"][1], action="add", parents=[], files=profile),
             None)):
        effect = evaluate(rules, device)
        expect(effect["env"].get("SYSTEMD_WANTS") == wanted, "%s: SYSTEMD_WANTS %r" % (name, effect["env"]))
        expect(("systemd" in effect["tags"]) == (wanted is not None), "%s: tags %r" % (name, effect["tags"]))
        expect(effect["mode"] is None and effect["group"] is None and not effect["links"],
               "%s: the provisioning rule changed the node: %r" % (name, effect))

    with open(os.path.join(package.root, PROVISION_CONFIG), encoding="utf-8") as f:
        settings = [line.split("=", 1) for line in f if "=" in line and not line.lstrip().startswith("#")]
    expect({k.strip(): v.strip() for k, v in settings}.get("enabled") == "no", "provisioning is not off as shipped")
    conffiles = os.path.join(package.control, "conffiles")
    with open(conffiles) if os.path.exists(conffiles) else open(os.devnull) as f:
        expect("/" + PROVISION_CONFIG in f.read().split(), "/%s is no conffile" % PROVISION_CONFIG)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", required=True, help="the source tree")
    parser.add_argument("--out", required=True, help="where the package is built (and stays)")
    parser.add_argument("--sim", required=True, help="the reader simulator, for the autopkgtest")
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="vireo4-deb-")
    passed = failed = 0
    try:
        try:
            package = Package(os.path.abspath(args.source), os.path.abspath(args.out), work)
        except Failure as failure:
            print("FAIL building the package: %s" % failure)
            print("0 passed, 1 failed")
            return 1
        for name, check in (("lintian --pedantic: no error, no warning", lambda: check_lintian(package)),
                            ("control fields and maintainer scripts", lambda: check_control(package, debian_version(args.source))),
                            ("files, modes, and the program runs", lambda: check_files(package)),
                            ("man page renders and documents the command set",
                             lambda: check_man_page(package, args.source)),
                            ("udev rule: syntax and effect on model devices", lambda: check_udev_rule(package)),
                            ("provisioning: the unit verified, the rule on model devices, off as shipped",
                             lambda: check_provisioning(package)),
                            ("the autopkgtest against the unpacked package",
                             lambda: check_autopkgtest(package, args.source, args.sim))):
            try:
                check()
                print("ok   %s" % name)
                passed += 1
            except (Failure, subprocess.TimeoutExpired, OSError) as failure:
                print("FAIL %s: %s" % (name, failure))
                failed += 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
