// SPDX-License-Identifier: Apache-2.0
// The face's judgement of each reply the page reads, as vireo4 judges it.
#include <doctest/doctest.h>

#include "web/face_support.h"

namespace {

const std::string kKruReply = "\n\rAT+READS_KRU - OK! >> 1.10TMX1DO";
const std::string kUsbReply = "\n\rAT+READS_USB - OK! >> 2.00WHDH5EM";
const std::string kRefusal = "\n\rAT+READS_USB - UNKNOWN CMD!";

std::string Settings(int family, const std::string& reply) {
    return Take(vw_judge_settings(family, Bytes(reply), Length(reply)));
}

std::string Card(const std::string& reply) { return Take(vw_judge_card(Bytes(reply), Length(reply))); }

std::string Write(const std::string& command, const std::string& reply) {
    return Take(vw_judge_write(Bytes(command), Length(command), Bytes(reply), Length(reply)));
}

int Fit(const std::string& command, const std::string& reply) {
    return vw_fit_reply(Bytes(command), Length(command), Bytes(reply), Length(reply));
}

}  // namespace

TEST_CASE("settings replies of both families: model, firmware, payload and the window's found text by name") {
    const std::string kru = Settings(0, kKruReply);
    CHECK(Has(kru, "status", "\"ok\""));
    CHECK(Has(kru, "model", "\"U\""));
    CHECK(Has(kru, "modelName", "\"Vireo-4KRU\""));
    CHECK(Has(kru, "firmwareVersion", "110"));
    CHECK(Has(kru, "payload", "\"1.10TMX1DO\""));
    CHECK(Has(kru, "found", "\"TextFoundKru\""));
    const std::string usb = Settings(1, kUsbReply);
    CHECK(Has(usb, "model", "\"B\""));
    CHECK(Has(usb, "payload", "\"2.00WHDH5EM\""));
    CHECK(Has(usb, "found", "\"TextFoundUsb\""));
    CHECK(Has(Settings(0, "\n\rAT+READS_KRM - OK! >> 1.10W441SO"), "found", "\"TextFoundKrm\""));
    CHECK(Has(Settings(0, "\n\rAT+READS_KRX - OK! >> 1.10W441SO"), "found", "\"TextFoundKruKrm\""));
    // The page words it from its texts in the language it shows, as UTF-8 whatever the system.
    CHECK(Has(Take(vw_texts(1)), "TextFoundKru", "\"Vireo-4KRU reader found!\""));
    CHECK(Has(Take(vw_texts(0)), "TextFoundKru", u8"\"Считыватель Vireo-4KRU найден!\""));
}

TEST_CASE("settings replies that are not: silence, refusal, noise, another query's reply, a short payload, unsupported firmware") {
    CHECK(Has(Settings(0, ""), "status", "\"no-answer\""));
    CHECK(Has(Settings(1, kRefusal), "status", "\"refused\""));
    CHECK(Has(Settings(0, std::string("\x01\x02 noise\0 here", 14)), "status", "\"garbage\""));
    // A KRU/KRM payload read as a USB reply is one character short.
    CHECK(Has(Settings(1, kKruReply), "status", "\"garbage\""));
    CHECK(Has(Settings(0, kKruReply.substr(0, kKruReply.size() - 1)), "status", "\"garbage\""));
    const std::string old = Settings(0, "\n\rAT+READS_KRM - OK! >> 2.10W581SF");
    CHECK(Has(old, "status", "\"firmware-unsupported\""));
    CHECK(Has(old, "firmware", "\"2.10\""));
}

TEST_CASE("reader bytes reach the page one character per byte, never as markup or broken text") {
    const std::string odd = Settings(0, "\n\rAT+READS_KRX - OK! >> 1.10<b>\"\\\xE9");
    CHECK(Has(odd, "payload", "\"1.10<b>\\\"\\\\\\u00e9\""));
    CHECK(Has(odd, "modelName", "\"Vireo-4xxx\""));
}

TEST_CASE("write acknowledgements") {
    const std::string command = "AT+W441SO";
    CHECK(Has(Write(command, "\n\rAT+W441SO - OK!"), "status", "\"ok\""));
    CHECK(Has(Write(command, "\n\rAT+W441SO - UNKNOWN CMD!"), "status", "\"refused\""));
    CHECK(Has(Write(command, ""), "status", "\"no-answer\""));
    CHECK(Has(Write(command, "\n\rAT+W441SO - O"), "status", "\"garbage\""));
    // The acknowledgement of another write (a late one) is not this write's.
    CHECK(Has(Write(command, "\n\rAT+W261SO - OK!"), "status", "\"garbage\""));
    CHECK(Has(Write(command, kRefusal), "status", "\"garbage\""));
}

TEST_CASE("card replies: the four forms; refusals, cut replies and numbers too large told apart") {
    const std::string card = Card("\n\rAT+IDS - OK! >> 0001234567 0000054321.");
    CHECK(Has(card, "status", "\"ok\""));
    CHECK(Has(card, "present", "true"));
    CHECK(Has(Card("\n\rAT+IDS - OK! >> 0000000000 0000000000."), "present", "false"));
    CHECK(Has(card, "barcode", "\"0001234567\""));
    CHECK(Has(card, "barcodeHex", "\"0012D687\""));
    CHECK(Has(card, "cipher", "\"0000054321\""));
    CHECK(Has(card, "cipherDotted", "\"0.0.212.49\""));
    CHECK(Has(Card("\n\rAT+READS_IDS - UNKNOWN CMD!"), "status", "\"refused\""));
    CHECK(Has(Card("\n\rAT+IDS - OK! >> 00012"), "status", "\"garbage\""));
    CHECK(Has(Card("\n\rAT+IDS - OK! >> 0001234567 0000054321"), "status", "\"garbage\""));
    CHECK(Has(Card("\n\rAT+IDS - OK! >> 99999999999000054321."), "status", "\"garbage\""));
    CHECK(Has(Card("\n\rAT+IDS - OK! >> 4294967295 4294967295."), "status", "\"ok\""));
    CHECK(Has(Card(""), "status", "\"no-answer\""));
    CHECK(Has(Take(vw_card_allowed(100)), "status", "\"unsupported\""));
    CHECK(Has(Take(vw_card_allowed(110)), "status", "\"ok\""));
}

TEST_CASE("completeness, queries and constants the page needs") {
    CHECK(Fit("AT+READS_KRX", kKruReply) == 1);
    CHECK(Fit("AT+READS_KRX", kKruReply.substr(0, kKruReply.size() - 1)) == 0);
    CHECK(Fit("AT+READS_USB", kRefusal) == 2);
    CHECK(Fit("AT+READS_USB", kKruReply) == 3);
    CHECK(Has(Take(vw_constants()), "foreign", "3"));
    CHECK(Has(Take(vw_query(0)), "command", "\"AT+READS_KRX\""));
    CHECK(Has(Take(vw_query(1)), "command", "\"AT+READS_USB\""));
    CHECK(Has(Take(vw_query(-1)), "command", "\"AT+READS_IDS\""));
    const std::string constants = Take(vw_constants());
    CHECK(Has(constants, "baudRate", "19200"));
    CHECK(Has(constants, "usbVendorId", "11836"));   // 0x2E3C
    CHECK(Has(constants, "usbProductId", "22352"));  // 0x5750
    CHECK(Has(constants, "deadlineMs", "700"));
    CHECK(Has(constants, "silenceMs", "60"));
}
