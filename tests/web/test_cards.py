#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""Card IDs on the page: read once, or watched (each new card once), in the window's four
forms, copied as a table and saved as CSV (RFC 4180); refused on firmware that lacks the query."""
import page_support as p
from page_support import expect, expect_eq, wait_until

T = p.Tests(__file__)
S = p.Session()

FIRST = ["0001234567", "0012D687", "0000054321", "0.0.212.49"]


def card_queries(sim):
    return [c for c in sim.rx() if c == "AT+READS_IDS"]


@T.case("read once: the four forms of the card, as the window's ID window shows them")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        usb, old = p.sims_on_bridge(fleet, bridge, [("usb", "B", "1.10", None, p.USB_READER),
                                                    ("old", "U", "1.00", None, None)])
        b.open()
        p.connect(b, bridge, usb, usb=True)
        b.wait_message("Settings read!")
        b.idle()
        b.click("read-card")
        wait_until(lambda: len(b.card_rows()) == 1, 5, "the card's row")
        row = b.card_rows()[0]
        expect_eq(row[1:], ["Port 1 (USB 2E3C:5750)"] + FIRST, "the row")
        expect(p.re_match(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d$", row[0]), "local time %r" % row[0])
        p.connect(b, bridge, old)
        b.wait_message("Port 2: Settings read!")
        b.idle()
        expect(b.enabled("read-card"), "Read ID is offered")
        b.click("read-card")
        b.wait_message("Port 2: The reader version does not support the command.")
        expect_eq(card_queries(old), [], "no card query to firmware 1.00")


@T.case("watch: each new card once, again after it was taken away; stop ends the queries; CSV and copy")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        kru, = p.sims_on_bridge(fleet, bridge, [("kru", "U", "1.10", None, None)])
        b.open()
        p.connect(b, bridge, kru)
        b.wait_message("Settings read!")
        b.idle()
        b.click("watch")
        wait_until(lambda: len(b.card_rows()) == 1, 5, "the first card")
        wait_until(lambda: len(card_queries(kru)) >= 4, 5, "the card to be asked for again")
        expect_eq(len(b.card_rows()), 1, "a card held stays one row")
        kru.control("card 0 0")   # taken away
        wait_until(lambda: len(card_queries(kru)) >= 6, 5, "queries with no card")
        kru.control("card 1234567 54321")
        wait_until(lambda: len(b.card_rows()) == 2, 5, "the same card again, after it was away")
        kru.control("card 98765432 4278190335")
        wait_until(lambda: len(b.card_rows()) == 3, 5, "another card")
        expect_eq(b.card_rows()[2][2:], ["0098765432", "05E30A78", "4278190335", "255.0.0.255"], "its forms")
        b.click("watch")
        settled = len(card_queries(kru))
        p.time.sleep(0.8)
        expect(len(card_queries(kru)) <= settled + 1, "no query after the watch stopped")
        expect_eq(kru.writes(), [], "a watch writes nothing")

        b.click("save-csv")
        data = b.downloaded("cards.csv")
        lines = data.split(b"\r\n")
        expect_eq(lines[0], b"time,port,barcode,barcode_hex,cipher,cipher_dotted", "CSV header")
        expect_eq(len(lines), 5, "three rows, each ended by CR LF")
        expect(lines[3].endswith(b",Port 1,0098765432,05E30A78,4278190335,255.0.0.255"), "row %r" % lines[3])

        copied = b.copied_by("copy-cards")
        expect(copied.startswith("Time\tReader\tBarcode\tBarcode (hex)\tID cipher\tID cipher (x.x.x.x)\n"),
               "copied table %r" % copied[:80])
        expect_eq(len(copied.strip().split("\n")), 4, "header and three rows copied")


p.run(T, S)
