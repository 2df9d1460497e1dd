// SPDX-License-Identifier: Apache-2.0
// The simulated reader's replies, byte by byte, and its control lines.
#include <doctest/doctest.h>

#include <string>

#include "control.h"
#include "reader.h"

namespace {

ReaderState Reader(char model) {
    ReaderState reader;
    InitReader(&reader, model);
    return reader;
}

std::string Reply(ReaderState* reader, const std::string& command) {
    return PlanReply(reader, command).bytes;
}

void Control(ReaderState* reader, const std::string& line) {
    std::string error;
    bool done = ApplyControlLine(reader, line, &error) == ControlDone;
    CHECK_MESSAGE(done, (line + ": " + error).c_str());
}

bool Refused(ReaderState* reader, const std::string& line) {
    std::string error;
    return ApplyControlLine(reader, line, &error) == ControlError && !error.empty();
}

}  // namespace

TEST_CASE("settings query replies carry the model letter at offset 13 and the payload") {
    ReaderState kru = Reader('U');
    std::string reply = Reply(&kru, "AT+READS_KRX");
    CHECK(reply == "\n\rAT+READS_KRU - OK! >> 1.10TMX1DO");
    REQUIRE(reply.size() == 34);
    CHECK(reply[13] == 'U');
    CHECK(reply.substr(14, 6) == " - OK!");
    CHECK(reply.substr(20, 4) == " >> ");

    ReaderState krm = Reader('M');
    CHECK(Reply(&krm, "AT+READS_KRX") == "\n\rAT+READS_KRM - OK! >> 1.10TMX1DO");
    ReaderState anonymous = Reader('X');
    CHECK(Reply(&anonymous, "AT+READS_KRX") == "\n\rAT+READS_KRX - OK! >> 1.10TMX1DO");

    ReaderState usb = Reader('B');
    std::string usbReply = Reply(&usb, "AT+READS_USB");
    CHECK(usbReply == "\n\rAT+READS_USB - OK! >> 1.10WHDH5EM");
    CHECK(usbReply.size() == 35);
    CHECK(usbReply[13] == 'B');
}

TEST_CASE("each family refuses the other family's query and anything unknown") {
    ReaderState kru = Reader('U');
    CHECK(Reply(&kru, "AT+READS_USB") == "\n\rAT+READS_USB - UNKNOWN CMD!");
    ReaderState usb = Reader('B');
    CHECK(Reply(&usb, "AT+READS_KRX") == "\n\rAT+READS_KRX - UNKNOWN CMD!");
    CHECK(Reply(&usb, "hello") == "\n\rhello - UNKNOWN CMD!");
    CHECK(Reply(&usb, "at+reads_usb") == "\n\rat+reads_usb - UNKNOWN CMD!");
    CHECK(Reply(&kru, std::string("AT\0X", 4)) == std::string("\n\rAT\0X - UNKNOWN CMD!", 21));
    // Write commands of the wrong length or with invalid fields are refused and change nothing.
    CHECK(Reply(&kru, "AT+WHDH5EM") == "\n\rAT+WHDH5EM - UNKNOWN CMD!");
    CHECK(Reply(&usb, "AT+TMX1DO") == "\n\rAT+TMX1DO - UNKNOWN CMD!");
    CHECK(Reply(&kru, "AT+W271DO") == "\n\rAT+W271DO - UNKNOWN CMD!");
    CHECK(Reply(&kru, "AT+tmx1do") == "\n\rAT+tmx1do - UNKNOWN CMD!");
    CHECK(Reply(&usb, "AT+WHDH6EM") == "\n\rAT+WHDH6EM - UNKNOWN CMD!");
    CHECK(Reply(&kru, "XY+TMX1DO") == "\n\rXY+TMX1DO - UNKNOWN CMD!");
    CHECK(kru.settings == "TMX1DO");
    CHECK(usb.settings == "WHDH5EM");
}

TEST_CASE("a write is acknowledged and the next query returns the new settings") {
    ReaderState kru = Reader('M');
    CHECK(Reply(&kru, "AT+W441SO") == "\n\rAT+W441SO - OK!");
    CHECK(Reply(&kru, "AT+READS_KRX") == "\n\rAT+READS_KRM - OK! >> 1.10W441SO");
    CHECK(Reply(&kru, "AT+TMX0AF") == "\n\rAT+TMX0AF - OK!");
    CHECK(kru.settings == "TMX0AF");

    ReaderState usb = Reader('B');
    CHECK(Reply(&usb, "AT+ATMX4XM") == "\n\rAT+ATMX4XM - OK!");
    CHECK(Reply(&usb, "AT+READS_USB") == "\n\rAT+READS_USB - OK! >> 1.10ATMX4XM");
    CHECK(Reply(&usb, "AT+WHDD3EX") == "\n\rAT+WHDD3EX - OK!");
    CHECK(usb.settings == "WHDD3EX");
}

TEST_CASE("settings each family accepts") {
    for (const char* s : {"TMX1DO", "W260SF", "W441AO", "W580DF"}) CHECK(ValidSettings('U', s));
    for (const char* s : {"TMX2DO", "W271DO", "TMX1DOX", "TMX1D", "", "tmx1do", "TMX1XO"}) {
        CHECK_FALSE(ValidSettings('U', s));
    }
    for (const char* s : {"WHDH5EM", "ATMX7XM", "WHDD2EX", "AHDH3EM", "WTMX4EX"}) CHECK(ValidSettings('B', s));
    for (const char* s : {"WHDH6EM", "WHXH5EM", "WHDQ5EM", "XHDH5EM", "WHDH5XX", "WHDH5E"}) {
        CHECK_FALSE(ValidSettings('B', s));
    }
}

TEST_CASE("card ID replies: fixed prefix, ten-digit numbers and '.' at offset 39") {
    ReaderState reader = Reader('U');
    std::string reply = Reply(&reader, "AT+READS_IDS");
    CHECK(reply == "\n\rAT+IDS - OK! >> 0001234567 0000054321.");
    REQUIRE(reply.size() == 40);
    CHECK(reply[39] == '.');

    Control(&reader, "card 4294967295 4294967295");
    CHECK(Reply(&reader, "AT+READS_IDS") == "\n\rAT+IDS - OK! >> 4294967295 4294967295.");
    // Eleven barcode digits fill the separator's place; the cipher ID still starts at 29.
    Control(&reader, "card 99999999999 1");
    std::string eleven = Reply(&reader, "AT+READS_IDS");
    CHECK(eleven == "\n\rAT+IDS - OK! >> 999999999990000000001.");
    CHECK(eleven.substr(29, 10) == "0000000001");

    Control(&reader, "nodot");
    CHECK(Reply(&reader, "AT+READS_IDS") == "\n\rAT+IDS - OK! >> 999999999990000000001");
    Control(&reader, "noddot off");
    CHECK(Reply(&reader, "AT+READS_IDS").back() == '.');

    ReaderState usb = Reader('B');
    CHECK(Reply(&usb, "AT+READS_IDS") == "\n\rAT+IDS - OK! >> 0001234567 0000054321.");
}

TEST_CASE("misbehaviour: silent, refuse, garbage, lower, firmware") {
    ReaderState reader = Reader('U');
    Control(&reader, "silent");
    CHECK(Reply(&reader, "AT+READS_KRX").empty());
    // A silent reader still carries out what it is told.
    CHECK(Reply(&reader, "AT+W261DO").empty());
    Control(&reader, "silent off");
    CHECK(Reply(&reader, "AT+READS_KRX") == "\n\rAT+READS_KRU - OK! >> 1.10W261DO");
    // One more reply, then silence until it is switched off: a write acknowledged, its
    // read-back never answered.
    Control(&reader, "silent after 1");
    CHECK(Reply(&reader, "AT+W261DO") == "\n\rAT+W261DO - OK!");
    CHECK(Reply(&reader, "AT+READS_KRX").empty());
    CHECK(Reply(&reader, "AT+READS_KRX").empty());
    Control(&reader, "silent off");
    CHECK_FALSE(Reply(&reader, "AT+READS_KRX").empty());
    Control(&reader, "silent after 0");
    CHECK(Reply(&reader, "AT+READS_KRX").empty());
    Control(&reader, "normal");

    Control(&reader, "refuse on");
    CHECK(Reply(&reader, "AT+READS_KRX") == "\n\rAT+READS_KRX - UNKNOWN CMD!");
    CHECK(Reply(&reader, "AT+TMX1DO") == "\n\rAT+TMX1DO - UNKNOWN CMD!");
    CHECK(reader.settings == "W261DO");
    Control(&reader, "refuse off");

    Control(&reader, "garbage");
    std::string noise = Reply(&reader, "AT+READS_KRX");
    CHECK(noise == GarbageBytes());
    CHECK(noise.find(" - ") == std::string::npos);
    CHECK(noise.find('\0') != std::string::npos);
    Control(&reader, "garbage off");

    Control(&reader, "lower");
    CHECK(Reply(&reader, "AT+READS_KRX") == "\n\rAT+READS_KRU - OK! >> 1.10w261do");
    CHECK(Reply(&reader, "AT+READS_IDS") == "\n\rAT+IDS - OK! >> 0001234567 0000054321.");
    Control(&reader, "lower off");

    Control(&reader, "firmware 2.10");
    CHECK(Reply(&reader, "AT+READS_KRX") == "\n\rAT+READS_KRU - OK! >> 2.10W261DO");
    Control(&reader, "settings W271DO");
    CHECK(Reply(&reader, "AT+READS_KRX") == "\n\rAT+READS_KRU - OK! >> 2.10W271DO");
    Control(&reader, "model M");
    CHECK(Reply(&reader, "AT+READS_KRX")[13] == 'M');
    Control(&reader, "model B");
    CHECK(Reply(&reader, "AT+READS_KRX") == "\n\rAT+READS_KRX - UNKNOWN CMD!");
}

TEST_CASE("misbehaviour: cut, flood, split, late, raw") {
    ReaderState reader = Reader('U');
    Control(&reader, "cut 20");
    CHECK(Reply(&reader, "AT+READS_KRX") == "\n\rAT+READS_KRU - OK!");
    Control(&reader, "cut 0");
    CHECK(Reply(&reader, "AT+READS_KRX").empty());
    Control(&reader, "cut 100");
    CHECK(Reply(&reader, "AT+READS_KRX").size() == 34);
    Control(&reader, "cut off");

    Control(&reader, "flood 40");
    std::string flood = Reply(&reader, "AT+READS_KRX");
    CHECK(flood.size() == 74);
    CHECK(flood.substr(0, 34) == "\n\rAT+READS_KRU - OK! >> 1.10TMX1DO");
    CHECK(flood.substr(34, 12) == "012345678901");
    Control(&reader, "cut 64");
    CHECK(Reply(&reader, "AT+READS_KRX").size() == 64);
    Control(&reader, "flood off");
    Control(&reader, "cut off");

    Control(&reader, "split 100");
    ReplyPlan split = PlanReply(&reader, "AT+READS_KRX");
    CHECK(split.splitAt == 17);
    CHECK(split.splitMs == 100);
    CHECK(split.delayMs == kDefaultReplyDelayMs);
    Control(&reader, "split 80 20");
    CHECK(PlanReply(&reader, "AT+READS_KRX").splitAt == 20);
    Control(&reader, "split 80 34");  // at the end: nothing to split
    CHECK(PlanReply(&reader, "AT+READS_KRX").splitAt < 0);
    Control(&reader, "split off");
    CHECK(PlanReply(&reader, "AT+READS_KRX").splitAt < 0);

    Control(&reader, "late 700");
    CHECK(PlanReply(&reader, "AT+READS_KRX").delayMs == 700);
    Control(&reader, "late off");
    Control(&reader, "delay 12");
    CHECK(PlanReply(&reader, "AT+READS_KRX").delayMs == 12);

    // A raw reply answers the next command only, exactly as given.
    Control(&reader, "raw 0a 0d 41 54 00 ff");
    CHECK(Reply(&reader, "AT+READS_KRX") == std::string("\n\rAT\0\xff", 6));
    CHECK(Reply(&reader, "AT+READS_KRX") == "\n\rAT+READS_KRU - OK! >> 1.10TMX1DO");

    Control(&reader, "silent");
    Control(&reader, "flood 3");
    Control(&reader, "normal");
    CHECK(Reply(&reader, "AT+READS_KRX") == "\n\rAT+READS_KRU - OK! >> 1.10TMX1DO");
}

TEST_CASE("control lines that are not understood change nothing") {
    ReaderState reader = Reader('U');
    ReaderState before = reader;
    for (const char* line : {"", "   ", "bogus", "silent maybe", "silent after", "silent after x", "cut", "cut -1", "cut x", "cut 99999",
                             "split", "split x", "late 1e3", "raw", "raw 4", "raw zz", "firmware",
                             "firmware a b", "model Q", "model UU", "card 1", "card 1 x",
                             "card 123456789012 1", "card 1 12345678901", "vanish now",
                             "baud-delay", "delay", "normal please"}) {
        CHECK_MESSAGE(Refused(&reader, line), line);
    }
    CHECK(Reply(&reader, "AT+READS_KRX") == Reply(&before, "AT+READS_KRX"));
    std::string error;
    CHECK(ApplyControlLine(&reader, "vanish", &error) == ControlVanish);
    CHECK(ApplyControlLine(&reader, "  return ", &error) == ControlReturn);
    CHECK(OptionArgumentCount("card") == 2);
    CHECK(OptionArgumentCount("silent") == 0);
    CHECK(OptionArgumentCount("cut") == 1);
    CHECK(OptionArgumentCount("log") == -1);
}

TEST_CASE("framing, hex and the log's escaping") {
    CHECK(IsCompleteCommand("AT+READS_KRX"));
    CHECK(IsCompleteCommand("AT+READS_USB"));
    CHECK(IsCompleteCommand("AT+READS_IDS"));
    CHECK_FALSE(IsCompleteCommand("AT+READS_KR"));
    CHECK_FALSE(IsCompleteCommand("AT+TMX1DO"));

    std::string bytes;
    CHECK(ParseHex("0A0d4154", &bytes));
    CHECK(bytes == "\n\rAT");
    CHECK(ParseHex("", &bytes));
    CHECK(bytes.empty());
    CHECK_FALSE(ParseHex("0", &bytes));
    CHECK_FALSE(ParseHex("0g", &bytes));
    CHECK_FALSE(ParseHex("0 a", &bytes));

    CHECK(EscapeBytes("\n\rAT+READS_KRU - OK!") == "\\x0A\\x0DAT+READS_KRU - OK!");
    CHECK(EscapeBytes(std::string("a\\b\0\x7f\xff", 6)) == "a\\\\b\\x00\\x7F\\xFF");
    CHECK(FloodBytes(12) == "012345678901");
    CHECK(FloodBytes(0).empty());
    CHECK(IsDigits("0123", 4));
    CHECK_FALSE(IsDigits("01234", 4));
    CHECK_FALSE(IsDigits("", 4));
    CHECK_FALSE(IsDigits("12a", 4));
}
