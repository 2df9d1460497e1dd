#!/usr/bin/env python3
"""Keeps the layers of src/ apart: core <- port <- gui, cli.

Usage: check_layers.py SRC_DIR [CORE_LIBRARY]

Fails when a file under core includes windows.h (or another Windows header) or anything outside
core; when port includes gui or cli; when gui and cli include each other; and, given the native
core library, when its objects define a mutable global (nm symbol types B, D, b, d, G, g, S, s,
C, u: data that lives for the whole process).
"""
import pathlib
import re
import subprocess
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
WINDOWS_HEADERS = {"windows.h", "winbase.h", "commctrl.h", "setupapi.h", "dbt.h", "shellapi.h", "winreg.h"}
# What each layer may include from src/ (the standard library is always allowed).
ALLOWED = {"core": {"core"}, "port": {"core", "port"}, "gui": {"core", "port", "gui"}, "cli": {"core", "port", "cli"}}
MUTABLE_DATA = set("BbDdGgSsCu")


def include_faults(src):
    faults = []
    for layer, allowed in ALLOWED.items():
        for path in sorted((src / layer).glob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            for bracket, name in INCLUDE.findall(path.read_text(encoding="utf-8")):
                top = name.split("/")[0] if "/" in name else None
                if layer == "core" and name.lower() in WINDOWS_HEADERS:
                    faults.append(f"{path.relative_to(src)}: the core includes <{name}>")
                elif top in ALLOWED and top not in allowed:
                    faults.append(f"{path.relative_to(src)}: {layer} includes {name}")
                elif bracket == '"' and top is None:
                    faults.append(f"{path.relative_to(src)}: include \"{name}\" names no layer")
    return faults


def global_faults(library):
    out = subprocess.run(["nm", "-C", library], capture_output=True, text=True, check=True).stdout
    faults = []
    obj = "?"
    for line in out.splitlines():
        if line.endswith(":") and not line.startswith(" "):
            obj = line[:-1]
            continue
        parts = line.split(maxsplit=2)
        if len(parts) == 3 and parts[1] in MUTABLE_DATA:
            name = parts[2]
            if name.startswith(("__asan", "__ubsan", "__sancov", "___asan")):
                continue  # sanitizer runtime bookkeeping
            faults.append(f"{obj}: mutable global {name} ({parts[1]})")
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
