# SPDX-License-Identifier: Apache-2.0
"""Help › Help under Wine: the manual in help/ is handed to the PDF viewer the prefix has for
.pdf files; with no viewer registered the two no-viewer boxes appear."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import shellfiles as s  # noqa: E402

T = h.Tests(__file__)
ID_HELP = 20


def start_without_ports(env):
    """The program with no COM port at all: its start-up search ends in the warning box."""
    app = env.start_app()
    app.wait_main_window()
    if env.config and env.config.startswith(b"Language = EN;"):
        text = h.ui("No COM ports found in the system!")
    else:
        text = h.ru("Не найдены COM-порты в системе!")
    app.expect_box(text, icon=4)
    return app


@T.case("Help opens the manual in the registered PDF viewer")
def _():
    with h.Env(config=h.config_file("EN", "KRU_KRM")) as env:
        s.copy_manual(env.workdir)
        viewer = s.FakeViewer(env)
        app = start_without_ports(env)
        app.main.command(ID_HELP)
        argument, existed, _ = viewer.wait_call()
        h.expect(argument.replace("/", "\\").endswith("help\\" + s.MANUAL_NAME),
                 "the viewer was given %r" % argument)
        h.expect(existed, "the viewer could not find %r" % argument)
        app.expect_no_box(within=2.0)
        h.expect_eq(len(viewer.calls()), 1, "viewer starts")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("Help with no PDF viewer: 'cannot be opened' warning, then the viewer hint")
def _():
    with h.Env() as env:  # no appconfig.ini: Russian
        s.copy_manual(env.workdir)
        s.remove_pdf_viewer(env)
        app = start_without_ports(env)
        app.main.command(ID_HELP)
        app.expect_box(h.ru("Файл справки не возможно открыть!"), icon=4,
                       caption=h.ru("Сообщение"))
        app.expect_box(h.ru("Установите на ПК программу для просмотра PDF-файлов."), icon=6)
        app.expect_no_box(within=1.0)
        h.expect(app.running(), "the program goes on after the boxes")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("Help with no PDF viewer, in English")
def _():
    with h.Env(config=h.config_file("EN", "USB_USB")) as env:
        s.copy_manual(env.workdir)
        s.remove_pdf_viewer(env)
        app = start_without_ports(env)
        app.main.command(ID_HELP)
        app.expect_box(h.ui("Help file cannot be opened!"), icon=4, caption=b"Message")
        app.expect_box(h.ui("Install a PDF viewer on your PC."), icon=6)
        h.expect_eq(app.close(), 0, "exit code")


T.main()
