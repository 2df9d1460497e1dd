#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Keeps the layers of src/ apart: core <- port <- gui, cli; core <- web.

Usage: check_layers.py SRC_DIR [CORE_LIBRARY]

Fails when a file under core includes windows.h (or another Windows header) or anything outside
core; when port includes gui or cli; when gui and cli include each other; when web (the browser
page's face) includes anything but core; and, given the native
core library, when its objects define a mutable global (a data object in .data, .bss or their
thread-local and common forms: state that lives for the whole process).
"""
import pathlib
import re
import subprocess
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
WINDOWS_HEADERS = {"windows.h", "winbase.h", "commctrl.h", "setupapi.h", "dbt.h", "shellapi.h", "winreg.h"}
# What each layer may include from src/ (the standard library is always allowed).
ALLOWED = {"core": {"core"}, "port": {"core", "port"}, "gui": {"core", "port", "gui"}, "cli": {"core", "port", "cli"},
           "web": {"core", "web"}}


def include_faults(src):
    faults = []
    for layer, allowed in ALLOWED.items():
        for path in sorted((src / layer).glob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            for bracket, name in INCLUDE.findall(path.read_text(encoding="utf-8")):
                top = name.split("/")[0] if "/" in name else None
                if layer in ("core", "web") and name.lower() in WINDOWS_HEADERS:
                    faults.append(f"{path.relative_to(src)}: {layer} includes <{name}>")
                elif top in ALLOWED and top not in allowed:
                    faults.append(f"{path.relative_to(src)}: {layer} includes {name}")
                elif bracket == '"' and top is None:
                    faults.append(f"{path.relative_to(src)}: include \"{name}\" names no layer")
    return faults


def global_faults(library):
    """Data objects the core's objects keep in writable sections: .data and .bss (and their
    thread-local and common forms). Tables of pointers in .data.rel.ro are read-only once
    relocated, so they are not state."""
    out = subprocess.run(["objdump", "-t", "-C", library], capture_output=True, text=True, check=True).stdout
    faults = []
    obj = "?"
    for line in out.splitlines():
        member = re.match(r"^(\S+):\s+file format", line)
        if member:
            obj = member.group(1)
            continue
        fields = line.split()
        if len(fields) < 5 or "O" not in fields[1:3] and fields[-3:-2] != ["*COM*"]:
            continue
        section = next((f for f in fields if f.startswith((".", "*"))), "")
        writable = section.startswith((".data", ".bss", ".tdata", ".tbss", "*COM*")) and not section.startswith(
            ".data.rel.ro")
        name = line.split("\t")[-1].split(None, 1)[-1] if "\t" in line else fields[-1]
        # DW.ref.__gxx_personality_v0: the compiler's pointer to the C++ exception runtime in any
        # object that uses std::string or std::vector; set by the loader, never program state.
        if writable and not name.startswith(("__asan", "__ubsan", "__sancov", "___asan", ".hidden DW.ref.", "DW.ref.")):
            faults.append(f"{obj}: mutable global {name} ({section})")
    return faults


def main():
    src = pathlib.Path(sys.argv[1])
    faults = include_faults(src)
    if len(sys.argv) > 2:
        faults += global_faults(sys.argv[2])
    for fault in faults:
        print(fault)
    counts = {}
    for layer in ALLOWED:
        for path in (src / layer).glob("*"):
            if path.suffix in (".h", ".cpp"):
                for _, name in INCLUDE.findall(path.read_text(encoding="utf-8")):
                    if "/" in name and name.split("/")[0] in ALLOWED and name.split("/")[0] != layer:
                        key = f"{layer} -> {name.split('/')[0]}"
                        counts[key] = counts.get(key, 0) + 1
    print("includes between layers:", ", ".join(f"{k}: {v}" for k, v in sorted(counts.items())) or "none")
    print("layers:", "FAILED" if faults else "ok")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
