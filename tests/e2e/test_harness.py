# SPDX-License-Identifier: Apache-2.0
"""The harness itself: prefix, display, ports, USB keys, the driver and process control.
Every other end-to-end test stands on these, so a fault here is reported here first."""

import os

import harness as h

T = h.Tests(__file__)
USB_KEY = "HKLM\\System\\CurrentControlSet\\Enum\\USB\\VID_2E3C&PID_5750\\VIREO01"


@T.case("prefix, code page, static and hot-plugged COM ports")
def _():
    with h.Env() as env:
        env.pty(com=3)  # static: registered before boot
        env.boot()
        h.expect_eq(env.driver.cmd("acp"), "1251 866", "ANSI and OEM code pages")
        ports = env.serial_ports()
        h.expect_eq(sorted(ports.values()), [b"COM3\0"], "COM ports after boot (the machine's own are dropped)")
        h.expect(os.path.islink(os.path.join(env.prefix, "dosdevices", "com3")), "dosdevices/com3 exists")

        hot = env.pty(com=12)
        h.expect(os.readlink(os.path.join(env.prefix, "dosdevices", "com12")) == hot.pty, "com12 link")
        h.expect_eq(sorted(env.serial_ports().values()), [b"COM12\0", b"COM3\0"], "after the hot plug")
        env.unplug_port(12)
        h.expect_eq(sorted(env.serial_ports().values()), [b"COM3\0"], "after the unplug")
        h.expect(not os.path.lexists(os.path.join(env.prefix, "dosdevices", "com12")), "com12 link gone")


@T.case("a simulated reader: pty, wire log and control lines")
def _():
    import select
    import tty
    with h.Env() as env:
        sim = env.sim(model="M", firmware="1.10", settings="W441SO", com=5)
        h.expect_eq(env.static_ports[5], sim.pty, "the pty is registered as COM5")
        fd = os.open(sim.pty, os.O_RDWR | os.O_NOCTTY)
        try:
            tty.setraw(fd)

            def ask():
                os.write(fd, b"AT+READS_KRX")
                reply = b""
                while select.select([fd], [], [], 1.0)[0]:
                    reply += os.read(fd, 256)
                return reply
            h.expect_eq(ask(), b"\n\rAT+READS_KRM - OK! >> 1.10W441SO", "the reader's settings reply")
            h.wait_until(lambda: sim.tx(), 5.0, "the reply in the log")
            h.expect_eq(sim.rx(), b"AT+READS_KRX", "bytes the reader got, from its log")
            h.expect_eq([kind for _, kind, _ in sim.log()], ["RX", "TX"], "log entries")
            sim.control("silent on")
            h.wait_until(lambda: ask() == b"", 10.0, "the silent reader to stop answering")
            h.expect_eq(sim.log()[-1][1:], ("RX", b"AT+READS_KRX"), "the silent reader still takes the query")
        finally:
            os.close(fd)


@T.case("USB device keys are written whole and removed whole")
def _():
    with h.Env() as env:
        env.add_usb("VIREO01", "COM7")
        hwid = env.driver.record("regget", h.to_hex(USB_KEY), h.to_hex("HardwareID"))
        h.expect_eq(hwid["type"], "7", "HardwareID is REG_MULTI_SZ")
        h.expect_eq(h.from_hex(hwid["data"]), b"USB\\VID_2E3C&PID_5750&REV_0200\0USB\\VID_2E3C&PID_5750\0\0",
                    "HardwareID list")
        port = env.driver.record("regget", h.to_hex(USB_KEY + "\\Device Parameters"), h.to_hex("PortName"))
        h.expect_eq(h.from_hex(port["data"]), b"COM7\0", "PortName")
        guid = env.driver.record("regget", h.to_hex(USB_KEY), h.to_hex("ClassGUID"))
        h.expect_eq(h.from_hex(guid["data"]), b"{4D36E978-E325-11CE-BFC1-08002BE10318}\0", "ClassGUID")
        env.remove_usb("VIREO01")
        try:
            env.driver.cmd("regget", h.to_hex(USB_KEY), h.to_hex("ClassGUID"))
            raise h.Failure("the device key is still there")
        except h.DriverError:
            pass
        env.device_change()  # the broadcast returns even with nobody listening


@T.case("program start, window queries, close by WM_CLOSE, exit code")
def _():
    with h.Env(config=h.DEFAULT_CONFIG) as env:
        app = env.start_app()
        win = app.wait_main_window()
        h.expect_eq(win.cls, h.MAIN_CLASS, "class of the main window")
        h.expect_eq(win.info()["pid"], app.pid, "the window belongs to the started process")
        h.expect(app.running(), "the program runs")
        h.expect_eq(app.boxes(), [], "no message box of this process yet")
        h.expect_eq(app.close(), 0, "exit code after WM_CLOSE")
        h.expect(not win.exists(), "the window is gone")
        h.expect_eq(env.windows(h.MAIN_CLASS), [], "no main window left")


@T.case("boxes and their icons, menus, tabs and object counts are read from the program")
def _():
    with h.Env(config=h.config_file("EN")) as env:
        app = env.start_app()
        win = app.wait_main_window()
        # With no COM port at all the start-up search ends in a warning box.
        box = app.expect_box(b"No COM ports found in the system!", icon=4, caption=b"Message", press=False)
        h.expect(box.child(h.IDOK) is not None, "the box has an OK button")
        box.press_ok_and_wait()
        app.settle()
        menu = win.menu()
        h.expect(menu and all(item.submenu for item in menu if len(item.path) == 1), "top menu items open submenus")
        h.expect(any(item.checked for item in menu), "some menu item is checked")
        tabs = [c for c in win.children() if c.cls == b"SysTabControl32"]
        h.expect_eq(len(tabs), 1, "one tab control")
        h.expect_eq(tabs[0].tabs()[1], 0, "first tab selected")
        tabs[0].tab_click(1)
        h.wait_until(lambda: tabs[0].tabs()[1] == 1, 10.0, "the click to select the second tab")
        app.settle()
        counts = app.gui()
        h.expect(counts["gdi"] > 0 and counts["windows"] > 1 and counts["handles"] > 0, "object counts %r" % counts)
        h.expect_eq(app.close(), 0, "exit code")


@T.case("a read-only working directory refuses even root")
def _():
    with h.Env(readonly=True) as env:
        try:
            with open(os.path.join(env.workdir, "probe"), "wb"):
                pass
            raise h.Failure("a file could be created in the read-only directory")
        except PermissionError:
            pass
        h.expect_eq(env.listing(), [], "nothing in the directory")


T.main()
