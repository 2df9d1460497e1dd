#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""The configuration file changed under the running program: deleted, made read-only,
replaced by garbage, replaced by a directory. A save that cannot open the file shows the
warning and keeps the new choice in memory; the file is never created, truncated or damaged
by it; a file that opens gets its two lines and keeps every byte after its second line end.

Read-only as root: the mode bits do not stop root, so the file is made immutable (chattr +i),
which the kernel enforces for root too; a directory in place of the file is the other honest
way to make the open fail."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import fault_support as f  # noqa: E402

T = h.Tests(__file__)
SAVE_FAILED = {"EN": f.SAVE_FAILED, "RU": h.ru("Не удалось сохранить настройки!\nПерезапустите программу.")}
TITLE = {"EN": h.TITLE_EN, "RU": h.TITLE_RU}
GARBAGE = bytes(range(256)) + b"\n\x00\xff\r\r\n" + b"x" * 300 + b"\nLanguage = EN;\n\x1a tail kept\r\n"


def tail_after_two_lines(data):
    ends = [i for i, c in enumerate(data) if c == 0x0A]
    return data[ends[1] + 1:] if len(ends) >= 2 else b""


def switch(app, language):
    app.main.command(f.ID_ENGLISH if language == "EN" else f.ID_RUSSIAN)


def expect_save_failed(app, language, what):
    seen = f.boxes_until_idle(app)
    f.expect_boxes(seen, [(SAVE_FAILED[language], f.ICON_WARNING)], what)
    h.expect_eq(app.main.text, TITLE[language], what + ": the new language is in use")


@T.case("deleted, read-only, garbage and a directory in place of the file, while the program runs")
def _():
    with h.Env(config=f.EN_KRU) as env:
        path = os.path.join(env.workdir, "appconfig.ini")
        app = env.start_app()
        app.wait_main_window()
        f.expect_boxes(f.boxes_until_idle(app), [(f.NO_PORTS, f.ICON_WARNING)], "start-up without ports")

        # Deleted: the save cannot open it and does not create it.
        os.remove(path)
        switch(app, "RU")
        expect_save_failed(app, "RU", "file deleted")
        h.expect_eq(env.read_file(), None, "the deleted file is not created again")

        # Read-only: immutable, so that root cannot write it either.
        with open(path, "wb") as out:
            out.write(f.EN_KRU + b"third line\r\n")
        subprocess.run(["chattr", "+i", path], check=True)
        try:
            switch(app, "EN")
            expect_save_failed(app, "EN", "file read-only")
            h.expect_eq(env.read_file(), f.EN_KRU + b"third line\r\n", "the read-only file is unchanged")
        finally:
            subprocess.run(["chattr", "-i", path], check=True)

        # Garbage: the save writes its two lines over the garbage's first two and keeps the rest.
        with open(path, "wb") as out:
            out.write(GARBAGE)
        switch(app, "RU")
        h.expect_eq(f.boxes_until_idle(app), [], "garbage file: the save succeeds without a word")
        h.expect_eq(app.main.text, TITLE["RU"], "garbage file: Russian in use")
        h.expect_eq(env.read_file(), h.config_file("RU", "KRU_KRM") + tail_after_two_lines(GARBAGE),
                    "garbage file after the save")

        # A directory in place of the file.
        os.remove(path)
        os.mkdir(path)
        switch(app, "EN")
        expect_save_failed(app, "EN", "a directory in place of the file")
        h.expect(os.path.isdir(path) and os.listdir(path) == [], "the directory is left as it was")
        os.rmdir(path)

        f.responsive(app, "configuration file")
        f.close_within_limit(app, "configuration file")
        h.expect_eq(env.read_file(), None, "closing writes no file")


@T.case("garbage from the start: defaults in use, the file kept until a save")
def _():
    with h.Env(config=GARBAGE) as env:
        app = env.start_app()
        h.expect_eq(app.wait_main_window().text, TITLE["RU"], "unrecognised lines give Russian")
        f.boxes_until_idle(app)
        h.expect_eq(env.read_file(), GARBAGE, "the file is not rewritten at start-up")
        switch(app, "EN")
        h.expect_eq(f.boxes_until_idle(app), [], "the save succeeds")
        h.expect_eq(env.read_file(), h.config_file("EN", "KRU_KRM") + tail_after_two_lines(GARBAGE), "after the save")
        f.close_within_limit(app, "garbage at start")
        app = env.start_app()
        h.expect_eq(app.wait_main_window().text, TITLE["EN"], "the next start reads the saved language")
        f.boxes_until_idle(app)
        f.close_within_limit(app, "second start")


@T.case("a directory in place of the file at start-up: defaults, nothing written, the save warns")
def _():
    with h.Env() as env:
        path = os.path.join(env.workdir, "appconfig.ini")
        os.mkdir(path)
        app = env.start_app()
        h.expect_eq(app.wait_main_window().text, TITLE["RU"], "Russian by default")
        f.boxes_until_idle(app)
        switch(app, "EN")
        expect_save_failed(app, "EN", "a directory since the start")
        h.expect(os.path.isdir(path) and os.listdir(path) == [], "the directory is left as it was")
        f.close_within_limit(app, "directory at start-up")


T.main()
