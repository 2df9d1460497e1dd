# SPDX-License-Identifier: Apache-2.0
"""The USB tab: the reader found by its USB identity, its port opened and its settings read."""

import harness as h
import workflow_support as w

T = h.Tests(__file__)
ENV = []

READING = h.ui("Reading Vireo-4-USB settings")
SEARCHING = h.ui("Search for Vireo-4-USB reader")
# The USB page: mode 22/23, format 24/25, type 26/27, bytes 28..32, cards 35..37.
USB_GROUPS = [(22, 23), (24, 25), (26, 27), (28, 32), (35, 37)]


def env():
    return ENV[0]


def checked_usb_radios(main):
    return [i for first, last in USB_GROUPS for i in range(first, last + 1) if main.child(i).check == 1]


def expect_not_found(app):
    app.expect_box(w.NOT_FOUND_USB, w.ICON_ERROR)
    app.expect_box(w.HINT, w.ICON_QUESTION)
    h.wait_until(lambda: app.main.enabled, 10, "the main window to be enabled")
    h.expect(w.combo(app).enabled, "the combobox is enabled")


@T.case("the USB reader is found by its identity, then read; the window waits for the read")
def _():
    with w.scenario(env()) as ports:
        other = ports.quiet(2)
        sim = ports.sim(5, model="B", settings="AHDD7XM")
        env().add_usb("VIREO01", "COM5")
        try:
            app = w.start(env())
            w.wait_gone(w.wait_popup(app, SEARCHING, 100))
            app.expect_box(w.found("Vireo-4-USB reader found!", "COM5"), w.ICON_SUCCESS)
            popup = w.wait_popup(app, READING, 2)
            # The search's end does not enable the window while the read it started is running.
            h.expect(not app.main.enabled, "the main window stays disabled during the read")
            w.wait_gone(popup, 5)
            app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
            h.wait_until(lambda: app.main.enabled, 10, "the main window to be enabled after the read")
            h.expect_eq(sim.rx(), b"AT+READS_USB", "the reader got the USB query only")
            h.expect_eq(other.data(), b"", "no other port is probed on the USB tab")
            h.expect_eq(w.combo(app).combo(), ([b"COM2", b"COM5"], 1), "COM5 selected")
            h.expect(not w.combo(app).enabled, "the combobox is disabled while the port is open")
            h.expect_eq(w.version_text(app), b"1.10", "version value")
            h.expect_eq(checked_usb_radios(app.main), [23, 24, 27, 28, 37], "the decoded page")
            h.expect_eq(app.close(), 0, "exit code")
        finally:
            env().remove_usb("VIREO01")


@T.case("the mixed-case identity form is found; revision 0100 and other case mixtures are not")
def _():
    with w.scenario(env()) as ports:
        ports.sim(6, model="B", settings="WHDH5EM")
        env().add_usb("VIREO02", "COM6", ["USB\\Vid_2e3c&Pid_5750&Rev_0200"])
        try:
            app = w.start(env())
            app.expect_box(w.found("Vireo-4-USB reader found!", "COM6"), w.ICON_SUCCESS)
            app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
            h.expect_eq(app.close(), 0, "exit code")
        finally:
            env().remove_usb("VIREO02")

        for ids in (["USB\\VID_2E3C&PID_5750&REV_0100"], ["USB\\vid_2e3c&pid_5750&rev_0200"],
                    ["USB\\VID_2e3c&PID_5750&REV_0200"]):
            env().add_usb("VIREO03", "COM6", ids)
            try:
                app = w.start(env())
                expect_not_found(app)
                h.expect_eq(w.version_text(app), b"x.xx", "nothing read for %s" % ids[0])
                h.expect_eq(app.close(), 0, "exit code")
            finally:
                env().remove_usb("VIREO03")


@T.case("two readers: the one enumerated last is opened")
def _():
    with w.scenario(env()) as ports:
        first = ports.sim(7, model="B", settings="WHDH5EM")
        last = ports.sim(8, model="B", settings="ATMX4XM")
        env().add_usb("VIREO0A", "COM7")
        env().add_usb("VIREO0B", "COM8")
        try:
            app = w.start(env())
            app.expect_box(w.found("Vireo-4-USB reader found!", "COM8"), w.ICON_SUCCESS)
            app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
            h.expect_eq((first.rx(), last.rx()), (b"", b"AT+READS_USB"), "only the last reader is queried")
            h.expect_eq(app.close(), 0, "exit code")
        finally:
            env().remove_usb("VIREO0A")
            env().remove_usb("VIREO0B")


with h.Env(config=w.EN_USB, name="workflow-usb") as shared:
    ENV.append(shared)
    shared.boot()
    T.main()
