# SPDX-License-Identifier: Apache-2.0
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
import shutil
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
# A stand-in icacls.exe (Wine's changes nothing, and Wine keeps no rights): it logs what it is asked.
ICACLS_EXE = os.path.join(h.WIN_BUILD_DIR, "fake_icacls.exe")
ADMINS, SYSTEM, USERS = "*S-1-5-32-544", "*S-1-5-18", "*S-1-5-32-545"
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


class Icacls:
    """The stand-in icacls.exe in the prefix's system32, where the installer runs it."""

    def __init__(self, env, fail=False):
        env.boot()
        self.system32 = os.path.join(env.prefix, "drive_c", "windows", "system32")
        shutil.copy(ICACLS_EXE, os.path.join(self.system32, "icacls.exe"))
        # Wine runs its own program of that name unless told to take the file that is there.
        env.driver.cmd("regset", h.to_hex("HKCU\\Software\\Wine\\DllOverrides"), h.to_hex("icacls.exe"), "sz",
                       h.to_hex("native"))
        self.log = os.path.join(self.system32, "icacls-log.txt")
        if fail:
            open(os.path.join(self.system32, "icacls-fail"), "w").close()

    def take_calls(self):
        """The argument lines of every run since the last call."""
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8") as f:
            calls = f.read().splitlines()
        os.remove(self.log)
        return calls


def expect_secured(calls, folder):
    """The installer asked for: the folder's rights reset, then administrators and SYSTEM full
    control and users read and run, inherited by everything in it and nothing from above; what
    was in the folder reset to that; users may modify appconfig.ini."""
    h.expect_eq(calls, [
        '"%s" /reset' % folder,
        '"%s" /inheritance:r /grant:r %s:(OI)(CI)F %s:(OI)(CI)F %s:(OI)(CI)RX' % (folder, ADMINS, SYSTEM, USERS),
        '"%s\\*" /reset /T /C /Q' % folder,
        '"%s\\appconfig.ini" /grant %s:(M)' % (folder, USERS),
    ], "what icacls was asked")


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
        icacls = Icacls(env)
        code = run_windows(env, h.windows_path(s.SETUP_EXE), "/S", h.windows_path(env.tmp))
        h.expect_eq(code, 0, "installer exit code")
        folder = s.unix_path(env, DEFAULT_DIR)
        h.expect(all(installed(env, DEFAULT_DIR).values()), "installed files: %r" % installed(env, DEFAULT_DIR))
        h.expect_eq(env.read_file("appconfig.ini", folder), DEFAULT_CONFIG, "appconfig.ini as installed")
        expect_secured(icacls.take_calls(), DEFAULT_DIR)
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
        icacls = Icacls(env)
        h.expect_eq(run_windows(env, setup, "/S", h.windows_path(env.tmp)), 0, "first install")
        icacls.take_calls()
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
        expect_secured(icacls.take_calls(), DEFAULT_DIR)

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
        expect_secured(icacls.take_calls(), other)
        uninstall(env, other)
        h.expect_eq(os.listdir(s.unix_path(env, other)), ["appconfig.ini"], "the user's appconfig.ini stays")


@T.case("when the rights cannot be set, the installer fails and installs no program")
def _():
    with h.Env(name="installer-no-rights") as env:
        Icacls(env, fail=True)
        code = run_windows(env, h.windows_path(s.SETUP_EXE), "/S", h.windows_path(env.tmp))
        h.expect_eq(code, 2, "installer exit code")
        h.expect(not any(installed(env, DEFAULT_DIR).values()), "installed: %r" % installed(env, DEFAULT_DIR))
        h.expect_eq(registry_text(env, UNINSTALL_KEY, "DisplayName"), None, "an uninstall entry")


T.main()
