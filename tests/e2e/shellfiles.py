# SPDX-License-Identifier: Apache-2.0
"""Helpers for the help and installer tests: the stand-in PDF viewer, the .pdf association of a
test prefix, shortcut (.lnk) files and the version record of an .exe. Standard library only."""

import os
import shutil
import struct

import harness as h

MANUAL_NAME = "VireoTool-4 ver_2_00.pdf"
BUILT_MANUAL = os.path.join(h.WIN_BUILD_DIR, "help", MANUAL_NAME)
VIEWER_EXE = os.path.join(h.WIN_BUILD_DIR, "fake_pdf_viewer.exe")
SETUP_EXE = os.path.join(h.WIN_BUILD_DIR, "VireoTool-4-2.00-setup.exe")

# Wine's own prefix opens .pdf files with winebrowser through this class.
PDF_EXTENSION_KEY = "HKLM\\Software\\Classes\\.pdf"
PDF_CLASS_KEY = "HKLM\\Software\\Classes\\pdffile"
PDF_OPEN_COMMAND_KEY = PDF_CLASS_KEY + "\\shell\\open\\command"


def copy_manual(directory):
    """Puts the built manual into directory/help/, as the installer does."""
    h.expect(os.path.exists(BUILT_MANUAL), "the manual has not been built: %s" % BUILT_MANUAL)
    target = os.path.join(directory, "help")
    os.makedirs(target, exist_ok=True)
    shutil.copy(BUILT_MANUAL, os.path.join(target, MANUAL_NAME))


class FakeViewer:
    """The stand-in viewer, copied into the test's temp dir and registered for .pdf files."""

    def __init__(self, env):
        self.env = env
        self.folder = os.path.join(env.tmp, "viewer")
        os.makedirs(self.folder, exist_ok=True)
        self.exe = os.path.join(self.folder, "fake_pdf_viewer.exe")
        shutil.copy(VIEWER_EXE, self.exe)
        self.log_path = os.path.join(self.folder, "viewer-log.txt")
        env.boot()
        command = '"%s" "%%1"' % h.windows_path(self.exe)
        env.driver.cmd("regset", h.to_hex(PDF_EXTENSION_KEY), "-", "sz", h.to_hex("pdffile"))
        env.driver.cmd("regset", h.to_hex(PDF_OPEN_COMMAND_KEY), "-", "sz", h.to_hex(command))

    def calls(self):
        """[(file argument, file existed, working directory)] in start order."""
        try:
            with open(self.log_path, encoding="utf-8") as f:
                lines = f.read().splitlines()
        except FileNotFoundError:
            return []
        return [(a, e == "1", c) for a, e, c in (line.split("\t") for line in lines)]

    def wait_call(self, timeout=h.DEFAULT_TIMEOUT):
        return h.wait_until(self.calls, timeout, "the PDF viewer to be started")[0]


def remove_pdf_viewer(env):
    """No program for .pdf files: the association Wine's prefix comes with is deleted."""
    env.boot()
    for key in (PDF_CLASS_KEY, PDF_EXTENSION_KEY):  # each with everything below it
        try:
            env.driver.cmd("regdelkey", h.to_hex(key))
        except h.DriverError:
            pass  # already absent


def unix_path(env, windows_path):
    """C:\\... of the test prefix as a path on this machine."""
    drive, rest = windows_path[0].lower(), windows_path[2:].replace("\\", "/").lstrip("/")
    h.expect(drive == "c", "not on drive C: %r" % windows_path)
    return os.path.join(env.prefix, "drive_c", rest)


# ----------------------------------------------------------------------------------------------
# Shell links: header, optional ID list, optional LinkInfo, then counted strings.

LINK_HEADER_SIZE = 0x4C
HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH = 0x01, 0x02, 0x04, 0x08
HAS_WORKING_DIR, HAS_ARGUMENTS, HAS_ICON_LOCATION, IS_UNICODE = 0x10, 0x20, 0x40, 0x80


def read_shortcut(path):
    """{'target', 'working_dir', 'arguments', ...} of a .lnk file (the fields it carries)."""
    with open(path, "rb") as f:
        data = f.read()
    h.expect(len(data) >= LINK_HEADER_SIZE and struct.unpack_from("<I", data, 0)[0] == LINK_HEADER_SIZE,
             "%s is not a shell link" % path)
    flags = struct.unpack_from("<I", data, 20)[0]
    offset = LINK_HEADER_SIZE
    fields = {}
    if flags & HAS_ID_LIST:
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    if flags & HAS_LINK_INFO:
        size, header_size, _, _, base_offset = struct.unpack_from("<5I", data, offset)
        if base_offset:
            end = data.index(b"\0", offset + base_offset)
            fields["target"] = data[offset + base_offset:end].decode("latin-1")
        if header_size >= 0x24:
            unicode_offset = struct.unpack_from("<I", data, offset + 28)[0]
            if unicode_offset:
                start = offset + unicode_offset
                end = start
                while data[end:end + 2] != b"\0\0":
                    end += 2
                fields["target"] = data[start:end].decode("utf-16-le")
        offset += size
    unicode = bool(flags & IS_UNICODE)
    for flag, name in ((HAS_NAME, "name"), (HAS_RELATIVE_PATH, "relative_path"),
                       (HAS_WORKING_DIR, "working_dir"), (HAS_ARGUMENTS, "arguments"),
                       (HAS_ICON_LOCATION, "icon")):
        if flags & flag:
            count = struct.unpack_from("<H", data, offset)[0]
            offset += 2
            width = 2 if unicode else 1
            raw = data[offset:offset + count * width]
            # Wine counts the closing NUL as well; Windows does not.
            fields[name] = raw.decode("utf-16-le" if unicode else "latin-1").rstrip("\0")
            offset += count * width
    return fields


# ----------------------------------------------------------------------------------------------
# The fixed part of a version record (VS_FIXEDFILEINFO), found by its signature.

FIXED_FILE_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def version_record(path):
    """(file version, product version) as 'a.b.c.d' strings, or None without a record."""
    with open(path, "rb") as f:
        data = f.read()
    at = data.find(FIXED_FILE_INFO_SIGNATURE)
    if at < 0:
        return None
    _, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", data, at)

    def text(ms, ls):
        return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    return text(file_ms, file_ls), text(product_ms, product_ls)
