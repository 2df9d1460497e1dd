#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Writes the named seeds of the fuzz harnesses (fuzz/corpus/<harness>/) from the replies,
payloads, files and names the tests use. Run it after changing a harness's input layout;
the files it writes are committed. The folders also hold the inputs (named by their hash)
that the long run found to add coverage, merged in with `HARNESS -merge=1 SEEDS CORPUS`;
this script leaves those alone."""
import os
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def write(harness, seeds):
    folder = os.path.join(ROOT, harness)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def config_seeds():
    # First byte: the values the harness saves (bit 0 language, bit 1 family); then the file.
    default = b"Language = RU;\r\nTabCtrl = KRU_KRM;\r\n"
    english_usb = b"Language = EN;\r\nTabCtrl = USB_USB;\r\n"
    return {
        "default": b"\x03" + default,
        "english_usb": b"\x00" + english_usb,
        "lf_only_with_tail": b"\x01Language = EN;\nTabCtrl = USB_USB;\nthird line\nfourth\n",
        "no_final_line_end": b"\x02Language = EN;\r\nTabCtrl = USB_USB;",
        "lone_cr": b"\x01Language = EN;\rTabCtrl = USB_USB;\r",
        "long_first_line": b"\x03" + b"L" * 100 + b"\r\nTabCtrl = USB_USB;\r\n",
        "empty": b"\x02",
        "tail_over_a_chunk": b"\x01" + english_usb + bytes(range(256)) * 20,
    }


def portlist_seeds():
    # int32 number, format buffer size, narrowing buffer size, length and bytes of a name to
    # compare with; the rest is the entry list (LF-separated) and, read in byte pairs, a
    # UTF-16 registry name.
    def seed(number, fmt, narrow, other, rest):
        return struct.pack(">i", number) + bytes([fmt, narrow, len(other)]) + other + rest

    wide_com3 = "COM3".encode("utf-16-le")
    return {
        "sorted_list": seed(12, 16, 18, b"COM3", b"COM10\nCOM3\nCOM1"),
        "duplicates": seed(3, 4, 6, b"COM3", b"COM3\nCOM3\nCOMX\n"),
        "wide_name": seed(255, 15, 18, b"COM3", wide_com3),
        "wide_high_bytes": seed(-2147483648, 15, 5, b"C", "C\u0143M\u0100".encode("utf-16-le")),
        "big_numbers": seed(2147483647, 15, 32, b"", b"COM99999999999\nCOM-7\nCOM +12\n\tCOM"),
        "sixty_ports": seed(1, 16, 18, b"COM60", b"\n".join(b"COM%d" % i for i in range(60, 0, -1))),
    }


def kru_seeds():
    # Four bytes for the radios the groups held before, the payload length, the payload.
    def seed(payload, length=None):
        return b"\x00\x01\x02\x03" + bytes([len(payload) if length is None else length]) + payload

    return {
        "touch_memory": seed(b"1.10TMX1DO"),
        "wiegand58_old": seed(b"1.00W580AF"),
        "bad_interface": seed(b"1.10W271DO"),
        "lower_case": seed(b"1.10tmx1do"),
        "wiegand44": seed(b"2.00W441SO"),
        "cut_short": seed(b"1.10TMX1DO", 7),
    }


def usb_seeds():
    def seed(payload, length=None):
        return b"\x00\x01\x02\x03\x04" + bytes([len(payload) if length is None else length]) + payload

    return {
        "hex": seed(b"1.10WHDH5EM"),
        "touch_memory": seed(b"1.10ATMX4XM"),
        "dec_seven": seed(b"2.00AHDD7EX"),
        "six_bytes": seed(b"1.10WHDH6EM"),
        "bad_format": seed(b"1.10WTMH5EM"),
        "cut_short": seed(b"1.10WHDH5EM", 9),
    }


def card_id_seeds():
    # Buffer size choice (below 192: the program's 64 bytes), model letter, int32 firmware
    # version, title buffer size; then the reply.
    def seed(reply, model=b"U", version=110, title=32, size=0):
        return bytes([size]) + model + struct.pack(">i", version) + bytes([title]) + reply

    prefix = b"\n\rAT+IDS - OK! >> "
    return {
        "complete": seed(prefix + b"0001234567 0000054321."),
        "no_dot": seed(prefix + b"0001234567 0000054321", b"B", 200),
        "eleven_digits": seed(prefix + b"99999999999" + b"4294967295.", b"M", 100),
        "refusal": seed(b"\n\rAT+READS_IDS - UNKNOWN CMD!", b"X", 0),
        "other_echo": seed(b"\n\rAT+IDX - OK! >> 0001234567 0000054321."),
        "short": seed(b"\n\rAT+IDS - OK!", b"U", 110, 10),
        "all_digits": seed(prefix + b"1" * 46, b"U", 2147483647, 39),
        "small_buffer": seed(prefix + b"0001234567 0000054321.", b"U", -2147483648, 5, 200),
    }


def reply_seeds():
    # Count choice (below 224: the bytes as received), then the reply.
    def seed(reply, count=0):
        return bytes([count]) + reply

    return {
        "kru_settings": seed(b"\n\rAT+READS_KRU - OK! >> 1.10TMX1DO"),
        "usb_settings": seed(b"\n\rAT+READS_USB - OK! >> 1.10WHDH5EM"),
        "write_ack": seed(b"\n\rAT+W441SO - OK!"),
        "write_ack_cut_marker": seed(b"\n\rAT+TMX0AF - OK! >"),
        "refusal": seed(b"\n\rAT+READS_USB - UNKNOWN CMD!"),
        "refusal_cut": seed(b"\n\rAT+READS_USB - UNKNOWN CMD"),
        "lower_case_verdict": seed(b"\n\rAT+READS_KRU - ok! >> 1.10TMX1DO"),
        "both_verdicts": seed(b"\n\rX - UNKNOWN CMD! - OK! >> 1.10TMX1DO"),
        "marker_last": seed(b"\n\rAT+READS_KRM - OK! >> "),
        "long_reply": seed(b"\n\rAT+READS_KRU - OK! >> 1.10TMX1DO" + b"0123456789" * 5),
        "negative_count": seed(b"\n\rAT+READS_KRU - OK! >> 1.10TMX1DO", 0xF0),
        "garbage": seed(b"\n\r\x13\x80@#!~gArb4g3\xfe\x00?%&*+|{}<>\x7f="),
    }


def sim_seeds():
    # Model (0 U, 1 M, 2 X, 3 B), then steps: tag (even: control line, odd: command), length,
    # the bytes.
    def step(text, control=False):
        return bytes([0 if control else 1, len(text)]) + text

    def seed(model, *steps):
        return bytes([model]) + b"".join(steps)

    return {
        "kru_read_write_read": seed(0, step(b"AT+READS_KRX"), step(b"AT+W441SO"), step(b"AT+READS_KRX")),
        "usb_read_write": seed(3, step(b"AT+READS_USB"), step(b"AT+ATMX4XM"), step(b"AT+READS_IDS")),
        "wrong_family": seed(3, step(b"AT+READS_KRX"), step(b"AT+W441SO")),
        "controls": seed(1, step(b"cut 20", True), step(b"split 30 5", True), step(b"flood 100", True),
                         step(b"late 2000", True), step(b"AT+READS_KRX"), step(b"normal", True)),
        "misbehaviour": seed(0, step(b"garbage on", True), step(b"AT+READS_KRX"), step(b"refuse", True),
                             step(b"AT+W261AF"), step(b"silent", True), step(b"AT+READS_KRX")),
        "raw_and_card": seed(2, step(b"raw 0a0d 41 54", True), step(b"AT+READS_KRX"),
                             step(b"card 99999999999 4294967296", True), step(b"nodot", True),
                             step(b"AT+READS_IDS")),
        "labels": seed(0, step(b"firmware 2.10", True), step(b"settings tmx1do", True), step(b"lower on", True),
                       step(b"model B", True), step(b"AT+READS_USB"), step(b"vanish", True),
                       step(b"bogus line", True)),
    }


def engine_seeds():
    # Request (0 identify, 1 read, 2 write, 3 write and verify, 4 card, 5 watch step), timeout
    # in 8 ms, family, firmware (a multiple of 4: 1.00), for a watch step its holding, barcode
    # (4 bytes) and reported status; the start time (4 bytes); then events: the low 3 bits the
    # kind (0-2 bytes: a count and the bytes, 3 silence for the wait, 4 a send result, 5 a port
    # failure, 6 Ctrl-C, 7 silence), the high 5 the milliseconds that passed.
    look, whole = b"\x07", b"\x04\x00"

    def heard(data, delay=20):
        return bytes([delay << 3, len(data)]) + data

    def seed(request, family, *events, firmware=1, watch=b""):
        return bytes([request, 87, family, firmware]) + watch + b"\x00\x00\x10\x00" + b"".join(events)

    kru = b"\n\rAT+READS_KRU - OK! >> 1.10TMX1DO"
    card = b"\n\rAT+IDS - OK! >> 0001234567 0000054321."
    return {
        "identify_kru": seed(0, 0, look, whole, heard(kru)),
        "identify_refused_then_usb": seed(0, 0, look, whole, heard(b"\n\rAT+READS_KRX - UNKNOWN CMD!"), look, whole,
                                          heard(b"\n\rAT+READS_USB - OK! >> 2.00WHDH5EM")),
        "read_noise_then_reply": seed(1, 0, look, whole, heard(b"\x01\x02 noise"), b"\x03", look, whole, heard(kru)),
        "read_in_pieces": seed(1, 0, look, whole, heard(kru[:10]), heard(kru[10:25], 2), heard(kru[25:], 2)),
        "write_verified": seed(3, 0, look, whole, heard(b"\n\rAT+TMX1DO - OK!"), look, whole, heard(kru)),
        "write_partial": seed(3, 0, look, b"\x04\x01"),
        "write_interrupted": seed(3, 0, look, b"\x06", whole, b"\x06", heard(b"\n\rAT+TMX1DO - OK!"), b"\x06"),
        "card": seed(4, 0, look, whole, heard(card)),
        "card_too_large": seed(4, 0, look, whole, heard(b"\n\rAT+IDS - OK! >> 0001234567 4294967296.")),
        "watch_same_card": seed(5, 0, look, whole, heard(card), watch=b"\x01\x00\x12\xd6\x87\x00"),
        "port_fails": seed(1, 1, look, whole, b"\x05"),
    }


if __name__ == "__main__":
    write("fuzz_config", config_seeds())
    write("fuzz_portlist", portlist_seeds())
    write("fuzz_kru_settings", kru_seeds())
    write("fuzz_usb_settings", usb_seeds())
    write("fuzz_card_id", card_id_seeds())
    write("fuzz_reply", reply_seeds())
    write("fuzz_sim", sim_seeds())
    write("fuzz_engine", engine_seeds())
