#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses (fuzz/corpus/<harness>/) from the replies,
payloads, files and names the tests use. Run it after changing a harness's input layout;
the files it writes are committed."""
import os
import shutil
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def write(harness, seeds):
    folder = os.path.join(ROOT, harness)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
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


if __name__ == "__main__":
    write("fuzz_config", config_seeds())
    write("fuzz_portlist", portlist_seeds())
    write("fuzz_kru_settings", kru_seeds())
    write("fuzz_usb_settings", usb_seeds())
