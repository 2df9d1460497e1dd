"""The installer under Wine: a silent install into a fresh prefix puts the program and its manual
into "C:\\VireoTool-4 v.2.00" with shortcuts whose working folder is that folder and an entry in
Add/Remove Programs (64-bit registry view); the program started there finds its help file and
writes appconfig.ini there; the command-line tool vireo4.exe, when the build bundles it, is
installed beside the program and runs there; the browser page, when the build bundles it, is
installed in web\ with a Start menu shortcut to its index.html; a silent uninstall removes
everything it installed but the user's appconfig.ini. The install folder is writable by
administrators and SYSTEM only, appconfig.ini (created with the default content) by users too;
installing over an earlier install, in the same folder or another, replaces its programs and
keeps the user's appconfig.ini."""
import filecmp
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import shellfiles as s  # noqa: E402

T = h.Tests(__file__)
ID_HELP = 20
DEFAULT_DIR = "C:\\VireoTool-4 v.2.00"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VireoTool-4"
WOW64_UNINSTALL_KEY = "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VireoTool-4"
START_MENU = "ProgramData/Microsoft/Windows/Start Menu/Programs/VireoTool-4"
DESKTOP_LINK = "users/Public/Desktop/VireoTool-4.lnk"
INSTALL_TIMEOUT = 120.0
DEFAULT_CONFIG = b"Language = RU;\r\nTabCtrl = KRU_KRM;\r\n"
ID_ENGLISH = 18
# Access masks as SDDL writes them, and the ones asked for.
RIGHTS = {"FA": 0x1F01FF, "FR": 0x120089, "FW": 0x100116, "FX": 0x1200A0,
          "GA": 0x10000000, "GX": 0x20000000, "GW": 0x40000000, "GR": 0x80000000}
FULL, READ_RUN, MODIFY = 0x1F01FF, 0x1200A9, 0x1301BF
WRITE_BITS = 0x000116 | 0x10000 | 0x40000 | 0x80000 | 0x40000000 | 0x10000000  # data, delete, DACL, owner
# What the installer carries, as the cross build wrote it: "NAME<TAB>built file" per line.
BUNDLED_LIST = os.path.join(h.WIN_BUILD_DIR, "installer-build", "bundled.txt")


def bundled():
    """{installed name: built file} of the programs the installer carries."""
    if not os.path.exists(BUNDLED_LIST):
        return {"VireoTool-4.exe": h.APP_EXE}
    with open(BUNDLED_LIST, encoding="utf-8") as f:
        return dict(line.rstrip("\n").split("\t", 1) for line in f if line.strip())


BUNDLED = bundled()
CLI_BUNDLED = "vireo4.exe" in BUNDLED
# The browser page's built site, when the installer carries it.
WEB_LIST = os.path.join(h.WIN_BUILD_DIR, "installer-build", "web.txt")
WEB_SITE = open(WEB_LIST, encoding="utf-8").read().strip() if os.path.exists(WEB_LIST) else None
WEB_LINK = "VireoTool-4 in the browser.lnk"


def run_windows(env, exe, arguments, cwd):
    """Starts a Windows program in the test prefix and waits for it; returns its exit code."""
    env.boot()
    command_line = '"%s" %s' % (exe, arguments)
    pid = int(env.driver.cmd("start", h.to_hex(exe), h.to_hex(cwd), h.to_hex(command_line)))
    return h.App(env, pid).wait_exit(INSTALL_TIMEOUT)


def registry_text(env, key, name):
    try:
        raw = env.driver.record("regget", h.to_hex(key), h.to_hex(name))
    except h.DriverError:
        return None
    return h.from_hex(raw["data"]).rstrip(b"\0").decode("latin-1")


def installed(env, folder):
    web = ["web/" + name for name in sorted(os.listdir(WEB_SITE))] if WEB_SITE else []
    return {name: os.path.exists(os.path.join(s.unix_path(env, folder), name))
            for name in sorted(BUNDLED) + ["Uninstall.exe", "help/" + s.MANUAL_NAME] + web}


def rights(env, path):
    """(protected, {trustee: (inheritance flags, access mask)}) of a file's DACL, read as icacls
    would show it (Wine's icacls.exe is a stand-in; the driver reads the recorded descriptor)."""
    sddl = h.from_hex(env.driver.cmd("acl", h.to_hex(path))).decode("ascii")
    match = re.fullmatch(r"D:([A-Z]*)((?:\([^)]*\))*)", sddl)
    h.expect(match is not None, "DACL of %s: %r" % (path, sddl))
    aces = {}
    for ace in re.findall(r"\(([^)]*)\)", match.group(2)):
        kind, flags, mask, _, _, trustee = ace.split(";")[:6]
        h.expect_eq(kind, "A", "only grants in %s: %r" % (path, sddl))
        value = int(mask, 16) if mask.lower().startswith("0x") else sum(
            RIGHTS[mask[i:i + 2]] for i in range(0, len(mask), 2))
        aces[trustee] = (flags.replace("ID", ""), value)
    return "P" in match.group(1), aces


def expect_secured(env, folder):
    """Only administrators and SYSTEM may change the folder and its programs; users read and
    run them and may change appconfig.ini."""
    protected, aces = rights(env, folder)
    h.expect(protected, "the folder's rights are not protected from C:\\'s")
    h.expect_eq(aces, {"BA": ("OICI", FULL), "SY": ("OICI", FULL), "BU": ("OICI", READ_RUN)},
                "rights on %s" % folder)
    for name in sorted(BUNDLED) + ["Uninstall.exe", "help\\" + s.MANUAL_NAME]:
        _, aces = rights(env, folder + "\\" + name)
        writers = sorted(t for t, (_, mask) in aces.items() if t not in ("BA", "SY") and mask & WRITE_BITS)
        h.expect(not writers and aces.get("BU", ("", 0))[1] & READ_RUN == READ_RUN,
                 "rights on %s: %r" % (name, aces))
    _, aces = rights(env, folder + "\\appconfig.ini")
    h.expect_eq(aces.get("BU", ("", 0))[1] & MODIFY, MODIFY, "users' rights on appconfig.ini: %r" % aces)


def uninstall(env, folder):
    """The NSIS uninstaller copies itself to the temp folder and returns at once; the copy does
    the work, so the test waits for the files to go."""
    code = run_windows(env, folder + "\\Uninstall.exe", "/S", folder)
    h.expect_eq(code, 0, "uninstaller exit code")
    h.wait_until(lambda: not any(installed(env, folder).values()), INSTALL_TIMEOUT,
                 "the uninstaller to remove the files")
    h.wait_until(lambda: registry_text(env, UNINSTALL_KEY, "DisplayName") is None, 30,
                 "the uninstall entry to go")


@T.case("setup.exe carries the version record 2.0.0.0")
def _():
    h.expect_eq(s.version_record(s.SETUP_EXE), ("2.0.0.0", "2.0.0.0"), "file and product version")


@T.case("silent install, program started from the shortcut's folder, silent uninstall")
def _():
    with h.Env(name="installer-default") as env:
        viewer = s.FakeViewer(env)
        code = run_windows(env, h.windows_path(s.SETUP_EXE), "/S", h.windows_path(env.tmp))
        h.expect_eq(code, 0, "installer exit code")
        folder = s.unix_path(env, DEFAULT_DIR)
        h.expect(all(installed(env, DEFAULT_DIR).values()), "installed files: %r" % installed(env, DEFAULT_DIR))
        h.expect_eq(env.read_file("appconfig.ini", folder), DEFAULT_CONFIG, "appconfig.ini as installed")
        expect_secured(env, DEFAULT_DIR)
        for name, built in sorted(BUNDLED.items()):
            h.expect(filecmp.cmp(os.path.join(folder, name), built, shallow=False),
                     "the installed %s is the built one" % name)
        if CLI_BUNDLED:
            # The tool runs where it was installed: statically linked, no DLL beside it needed.
            code = run_windows(env, DEFAULT_DIR + "\\vireo4.exe", "--version", h.windows_path(env.tmp))
            h.expect_eq(code, 0, "vireo4.exe --version exit code in the install folder")
        h.expect(filecmp.cmp(os.path.join(folder, "help", s.MANUAL_NAME), s.BUILT_MANUAL, shallow=False),
                 "the installed manual is the built one")
        if WEB_SITE:
            for name in os.listdir(WEB_SITE):
                h.expect(filecmp.cmp(os.path.join(folder, "web", name), os.path.join(WEB_SITE, name), shallow=False),
                         "the installed web\\%s is the built one" % name)

        # Add/Remove Programs, in the 64-bit view only.
        h.expect_eq(registry_text(env, UNINSTALL_KEY, "DisplayName"), "VireoTool-4 v.2.00 (x64)", "DisplayName")
        h.expect_eq(registry_text(env, UNINSTALL_KEY, "DisplayVersion"), "2.00", "DisplayVersion")
        h.expect_eq(registry_text(env, UNINSTALL_KEY, "InstallLocation"), DEFAULT_DIR, "InstallLocation")
        h.expect_eq(registry_text(env, UNINSTALL_KEY, "UninstallString"),
                    '"%s\\Uninstall.exe"' % DEFAULT_DIR, "UninstallString")
        h.expect_eq(registry_text(env, WOW64_UNINSTALL_KEY, "DisplayName"), None, "32-bit view entry")

        # Shortcuts: the program, with the install folder as working folder.
        links = [os.path.join(env.prefix, "drive_c", START_MENU, "VireoTool-4.lnk"),
                 os.path.join(env.prefix, "drive_c", DESKTOP_LINK)]
        for link in links:
            h.expect(os.path.exists(link), "shortcut %s" % link)
            fields = s.read_shortcut(link)
            h.expect_eq(fields.get("working_dir"), DEFAULT_DIR, "working folder of %s" % link)
            h.expect_eq(fields.get("target", "").lower(), (DEFAULT_DIR + "\\VireoTool-4.exe").lower(),
                        "target of %s" % link)
        working_dir = s.read_shortcut(links[0])["working_dir"]

        # Started as the shortcut starts it: the settings file appears in the install folder,
        # and Help reaches the installed manual.
        pid = int(env.driver.cmd("start", h.to_hex(DEFAULT_DIR + "\\VireoTool-4.exe"), h.to_hex(working_dir)))
        app = h.App(env, pid)
        env.apps.append(app)
        app.wait_main_window()
        app.expect_box(h.ru("Не найдены COM-порты в системе!"), icon=4)
        h.expect_eq(env.read_file("appconfig.ini", folder), DEFAULT_CONFIG, "appconfig.ini in the install folder")
        app.main.command(ID_HELP)
        argument, existed, _ = viewer.wait_call()
        h.expect(existed, "the viewer could not find %r" % argument)
        h.expect(argument.replace("/", "\\").lower().endswith(("help\\" + s.MANUAL_NAME).lower()),
                 "the viewer was given %r" % argument)
        app.expect_no_box(within=1.0)
        # The window saves into the installed file (opened for update: no right on the folder).
        app.main.command(ID_ENGLISH)
        h.wait_until(lambda: env.read_file("appconfig.ini", folder) == b"Language = EN;\r\nTabCtrl = KRU_KRM;\r\n",
                     10.0, "the language saved")
        h.expect_eq(app.close(), 0, "exit code")

        uninstall(env, DEFAULT_DIR)
        h.expect_eq(sorted(os.listdir(folder)), ["appconfig.ini"], "what the uninstaller leaves")
        h.expect(not os.path.exists(os.path.join(env.prefix, "drive_c", START_MENU)), "Start menu folder removed")
        h.expect(not os.path.exists(os.path.join(env.prefix, "drive_c", DESKTOP_LINK)), "desktop shortcut removed")


@T.case("the browser page's Start menu shortcut opens its index.html")
def _():
    if not WEB_SITE:
        return
    # English Windows: under Wine's Russian locale no shortcut with a Cyrillic name is made
    # (nor the help's), so the English one is looked at.
    with h.Env(name="installer-web", acp=1252) as env:
        code = run_windows(env, h.windows_path(s.SETUP_EXE), "/S", h.windows_path(env.tmp))
        h.expect_eq(code, 0, "installer exit code")
        start_menu = os.path.join(env.prefix, "drive_c", START_MENU)
        h.expect(WEB_LINK in os.listdir(start_menu), "%s among %r" % (WEB_LINK, os.listdir(start_menu)))
        h.expect_eq(s.read_shortcut(os.path.join(start_menu, WEB_LINK)).get("target", "").lower(),
                    (DEFAULT_DIR + "\\web\\index.html").lower(), "target of the browser page's shortcut")
        uninstall(env, DEFAULT_DIR)
        h.expect(not os.path.exists(os.path.join(start_menu, WEB_LINK)), "the shortcut removed")


@T.case("silent install into a folder of the user's choice")
def _():
    with h.Env(name="installer-chosen") as env:
        chosen = "C:\\Tools\\Vireo Reader Tool"
        # /D= must come last and is taken as it stands, spaces included.
        code = run_windows(env, h.windows_path(s.SETUP_EXE), "/S /D=" + chosen, h.windows_path(env.tmp))
        h.expect_eq(code, 0, "installer exit code")
        h.expect(all(installed(env, chosen).values()), "installed files: %r" % installed(env, chosen))
        h.expect(not os.path.exists(s.unix_path(env, DEFAULT_DIR)), "nothing in the default folder")
        link = s.read_shortcut(os.path.join(env.prefix, "drive_c", START_MENU, "VireoTool-4.lnk"))
        h.expect_eq(link.get("working_dir"), chosen, "working folder of the shortcut")
        h.expect_eq(registry_text(env, UNINSTALL_KEY, "InstallLocation"), chosen, "InstallLocation")
        uninstall(env, chosen)
        h.expect(not os.path.exists(s.unix_path(env, chosen)), "the folder is removed when nothing is left")



@T.case("installing over an earlier install: same folder, then another; appconfig.ini kept")
def _():
    with h.Env(name="installer-upgrade") as env:
        user_config = b"Language = EN;\r\nTabCtrl = USB_USB;\r\n"
        setup = h.windows_path(s.SETUP_EXE)
        h.expect_eq(run_windows(env, setup, "/S", h.windows_path(env.tmp)), 0, "first install")
        first = s.unix_path(env, DEFAULT_DIR)
        with open(os.path.join(first, "appconfig.ini"), "wb") as f:
            f.write(user_config)
        # A program of the earlier install that the new one must replace, not keep.
        with open(os.path.join(first, "VireoTool-4.exe"), "wb") as f:
            f.write(b"an older program")

        h.expect_eq(run_windows(env, setup, "/S", h.windows_path(env.tmp)), 0, "install over it")
        h.expect(all(installed(env, DEFAULT_DIR).values()), "installed files: %r" % installed(env, DEFAULT_DIR))
        h.expect(filecmp.cmp(os.path.join(first, "VireoTool-4.exe"), BUNDLED["VireoTool-4.exe"], shallow=False),
                 "the program replaced")
        h.expect_eq(env.read_file("appconfig.ini", first), user_config, "the user's appconfig.ini kept")
        expect_secured(env, DEFAULT_DIR)

        other = "C:\\Tools\\VireoTool-4"
        h.expect_eq(run_windows(env, setup, "/S /D=" + other, h.windows_path(env.tmp)), 0, "install elsewhere")
        h.expect(all(installed(env, other).values()), "installed files: %r" % installed(env, other))
        h.expect(not os.path.exists(first), "the earlier folder is left: %r" % (
            os.listdir(first) if os.path.isdir(first) else first))
        h.expect_eq(env.read_file("appconfig.ini", s.unix_path(env, other)), user_config,
                    "the user's appconfig.ini moved along")
        h.expect_eq(registry_text(env, UNINSTALL_KEY, "InstallLocation"), other, "InstallLocation")
        link = s.read_shortcut(os.path.join(env.prefix, "drive_c", START_MENU, "VireoTool-4.lnk"))
        h.expect_eq(link.get("working_dir"), other, "the shortcut's working folder")
        expect_secured(env, other)
        uninstall(env, other)


T.main()
