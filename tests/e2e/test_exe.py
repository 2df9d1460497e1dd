# SPDX-License-Identifier: Apache-2.0
"""The shipped file itself: a 64-bit Windows GUI program that imports system DLLs only (the
C and C++ runtimes are linked in), so it runs on a bare Windows 10/11, with no manifest."""

import re
import subprocess

import harness as h

T = h.Tests(__file__)

# What every Windows 10/11 x64 has in System32. msvcrt.dll is the system's C runtime that
# MinGW-w64 links against; anything else (libstdc++-6.dll, libgcc_s_seh-1.dll,
# libwinpthread-1.dll, a newer CRT) would have to be shipped with the program.
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll"}
RT_MANIFEST = 24


def headers(path):
    return subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], capture_output=True, text=True,
                          check=True).stdout


@T.case("VireoTool-4.exe: PE32+ GUI program importing system DLLs only, no manifest")
def _():
    dump = headers(h.APP_EXE)
    h.expect("(PE32+)" in dump, "a 64-bit (PE32+) image")
    h.expect(re.search(r"Subsystem\s+00000002\s+\(Windows GUI\)", dump), "the Windows GUI subsystem")
    imported = sorted(name.lower() for name in re.findall(r"DLL Name: (\S+)", dump))
    h.expect(imported, "it imports something at all")
    strays = [name for name in imported if name not in SYSTEM_DLLS]
    h.expect_eq(strays, [], "imported DLLs that are not part of Windows (all: %s)" % ", ".join(imported))
    for needed in ("kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll"):
        h.expect(needed in imported, "imports %s" % needed)
    # The resource tree's first level (three spaces after the offset) lists the types.
    types = [int(t, 16) for t in re.findall(r"^[0-9a-f]{3}   Entry: ID: (0x[0-9a-f]+)", dump, re.M)]
    h.expect(3 in types and 14 in types, "icon and icon group resources (types %s)" % types)
    h.expect(RT_MANIFEST not in types, "no manifest resource (resource types %s)" % types)


T.main()
