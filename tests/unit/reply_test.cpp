// SPDX-License-Identifier: Apache-2.0
// Classification of the reader's replies and the firmware label check.
#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include "gui/texts.h"
#include "core/commands.h"
#include "core/reply.h"
#include "core/settings.h"
#include "gui/session.h"

namespace {

// A received reply as ReadReply holds it: a zero-filled 64-byte buffer with the first
// count bytes received. One guard byte behind it catches any write past the buffer.
struct Received {
    unsigned char bytes[kReplyBufferSize + 1];
    int count;
};

Received Receive(const std::string& wire) {
    Received r;
    std::memset(r.bytes, 0, sizeof r.bytes);
    r.count = static_cast<int>(wire.size() < kReplyBufferSize ? wire.size() : kReplyBufferSize);
    std::memcpy(r.bytes, wire.data(), static_cast<size_t>(r.count));
    return r;
}

ReplyKind Classify(Received& r) {
    ReplyKind kind = ClassifyIntoSession(r.bytes, r.count);
    CHECK(r.bytes[kReplyBufferSize] == 0);
    return kind;
}

ReplyKind Classify(const std::string& wire) {
    Received r = Receive(wire);
    return Classify(r);
}

std::string Text(const Received& r, int length) {
    return std::string(reinterpret_cast<const char*>(r.bytes), static_cast<size_t>(length));
}

void FreshSession() {
    InitSessionState();
    g_session.modelLetter = 'X';
    g_session.firmwareVersion = 0;
}

const std::string kKruReply = std::string("\n\rAT+READS_KRU - OK! >> 1.10TMX1DO");
const std::string kUsbReply = std::string("\n\rAT+READS_USB - OK! >> 1.10WHDH5EM");

}  // namespace

TEST_CASE("settings replies: model letter, firmware number and payload at the buffer start") {
    FreshSession();
    Received r = Receive(kKruReply);
    REQUIRE(r.count == 34);
    CHECK(Classify(r) == SettingsReply);
    CHECK(g_session.modelLetter == 'U');
    CHECK(g_session.firmwareVersion == 110);
    CHECK(Text(r, 10) == "1.10TMX1DO");
    // The bytes behind the moved payload keep the reply's tail, then zeros.
    CHECK(Text(r, 34).substr(10) == kKruReply.substr(10));
    CHECK(r.bytes[34] == 0);

    FreshSession();
    Received usb = Receive(kUsbReply);
    CHECK(Classify(usb) == SettingsReply);
    CHECK(g_session.modelLetter == 'B');
    CHECK(Text(usb, 11) == "1.10WHDH5EM");

    FreshSession();
    Received krm = Receive("\n\rAT+READS_KRM - OK! >> 2.00W580AF");
    CHECK(Classify(krm) == SettingsReply);
    CHECK(g_session.modelLetter == 'M');
    CHECK(g_session.firmwareVersion == 200);

    FreshSession();
    Received none = Receive("\n\rAT+READS_KRX - OK! >> 1.00W260AF");
    CHECK(Classify(none) == SettingsReply);
    CHECK(g_session.modelLetter == 'X');
    CHECK(g_session.firmwareVersion == 100);

    FreshSession();
    Received odd = Receive("\n\rAT+READS_KRU - OK! >> 1.05TMX1DO");
    CHECK(Classify(odd) == SettingsReply);
    CHECK(g_session.firmwareVersion == 105);
}

TEST_CASE("the model letter comes from offset 13 wherever the verdict stands") {
    FreshSession();
    // Verdict found late, after a longer echo: the letter is still the byte at offset 13.
    Received r = Receive("\n\rAT+READS_KRQZZZ - OK! >> 1.10TMX1DO");
    CHECK(Classify(r) == SettingsReply);
    CHECK(g_session.modelLetter == 'Q');
    CHECK(Text(r, 10) == "1.10TMX1DO");

    // A reply too short to reach offset 13 gives no letter rather than a stale byte.
    FreshSession();
    Received shortReply = Receive(" - OK! >> 1");
    CHECK(Classify(shortReply) == SettingsReply);
    CHECK(g_session.modelLetter == 0);
    CHECK(g_session.firmwareVersion == 1);
}

TEST_CASE("write acknowledgements") {
    CHECK(Classify("\n\rAT+W441SO - OK!") == WriteAck);
    CHECK(Classify("\n\rAT+ATMX4XM - OK!") == WriteAck);
    CHECK(Classify("\n\rAT+W441SO - OK! >") == WriteAck);
    CHECK(Classify("\n\rAT+W441SO - OK! >>") == WriteAck);
    CHECK(Classify("\n\rAT+W441SO - OK!>> 1.10") == WriteAck);
    CHECK(Classify("\n\rAT+W441SO - OK! >>1.10") == WriteAck);
    CHECK(Classify("\n\rAT+W441SO - OK!\n\r") == WriteAck);
    // A write acknowledgement does not touch the session.
    FreshSession();
    Received r = Receive("\n\rAT+READS_KRU - OK! > 1.10TMX1DO");
    CHECK(Classify(r) == WriteAck);
    CHECK(g_session.modelLetter == 'X');
    CHECK(g_session.firmwareVersion == 0);
    CHECK(Text(r, 2) == "\n\r");
}

TEST_CASE("refusals and damaged verdicts") {
    CHECK(Classify("\n\rAT+READS_USB - UNKNOWN CMD!") == UnknownCommand);
    CHECK(Classify("\n\rAT+READS_USB - UNKNOWN CMD") == Unrecognized);
    CHECK(Classify("\n\rAT+READS_USB - UNKNOWN") == Unrecognized);
    CHECK(Classify("\n\rAT+READS_USB - UNKNOWN CMD?") == Unrecognized);
    CHECK(Classify("\n\rAT+READS_KRU- OK! >> 1.10TMX1DO") == Unrecognized);
    CHECK(Classify("\n\rAT+READS_KRU -OK! >> 1.10TMX1DO") == Unrecognized);
    CHECK(Classify("\n\rAT+READS_KRU - ok! >> 1.10TMX1DO") == Unrecognized);
    CHECK(Classify("\n\rAT+READS_KRU - Ok! >> 1.10TMX1DO") == Unrecognized);
    CHECK(Classify("\n\rAT+READS_USB - unknown cmd!") == Unrecognized);
    CHECK(Classify("\n\rAT+READS_KRU - OK") == Unrecognized);
    CHECK(Classify("\n\rAT+READS_KRU - O") == Unrecognized);
    CHECK(Classify("\n\rAT+READS_KRU - ") == Unrecognized);
    CHECK(Classify("\n\rAT+READS_KRU -") == Unrecognized);
    CHECK(Classify("\n\rAT+READS_KRU - FAIL!") == Unrecognized);
}

TEST_CASE("the first complete verdict decides") {
    CHECK(Classify("\n\rX - UNKNOWN CMD! - OK!") == UnknownCommand);
    CHECK(Classify("\n\rX - OK! - UNKNOWN CMD!") == WriteAck);
    // A broken verdict before a good one does not hide it.
    CHECK(Classify("\n\rX - OKx - OK!") == WriteAck);
    CHECK(Classify("\n\rX - UNKNOWN!! - OK! >> 1.10TMX1DO") == SettingsReply);
    CHECK(Classify("\n\rX - Z - UNKNOWN CMD!") == UnknownCommand);
}

TEST_CASE("the search resumes right after the last byte compared") {
    // " - - OK!": the byte after the first " - " is '-', so the search goes on after it
    // and never sees the " - " that starts on the second space.
    CHECK(Classify(" - - OK!") == Unrecognized);
    // "O" then a mismatch at i+4: the search resumes at i+5, past the space at i+4.
    CHECK(Classify(" - O - OK!") == Unrecognized);
    CHECK(Classify(" - Oxx - OK!") == WriteAck);
    // 'U' and a mismatch inside "UNKNOWN CMD!" resumes after the mismatching byte.
    CHECK(Classify(" - UNK - OK!") == Unrecognized);
    CHECK(Classify(" - UNKx - OK!") == WriteAck);
    // A " - " that begins on the byte compared after another is skipped as well.
    CHECK(Classify(" -  - OK!") == Unrecognized);
    CHECK(Classify("\n\rX - OK - OK!") == Unrecognized);
    CHECK(Classify("\n\rX - UNKNOWN - OK!") == Unrecognized);
}

TEST_CASE("a reply whose marker is its last byte moves nothing") {
    FreshSession();
    Received r = Receive("\n\rAT+READS_KRU - OK! >> ");
    REQUIRE(r.count == 24);
    CHECK(Classify(r) == SettingsReply);
    CHECK(g_session.modelLetter == 'U');
    CHECK(Text(r, 24) == "\n\rAT+READS_KRU - OK! >> ");
    // Offsets 0, 2, 3 are LF, 'A', 'T': no digits.
    CHECK(g_session.firmwareVersion == 0);
    g_readerFamily = kKruKrm;
    CHECK_FALSE(CheckFirmwareVersion(g_readerFamily, reinterpret_cast<const char*>(r.bytes)));
}

TEST_CASE("payloads shorter than a family's settings") {
    FreshSession();
    Received r = Receive("\n\rAT+READS_KRU - OK! >> 1.1");
    CHECK(Classify(r) == SettingsReply);
    // Three payload bytes moved; offset 3 keeps the reply's own byte ('T').
    CHECK(Text(r, 4) == "1.1T");
    CHECK(g_session.firmwareVersion == 11);

    FreshSession();
    Received one = Receive("\n\rAT+READS_KRU - OK! >> 2");
    CHECK(Classify(one) == SettingsReply);
    CHECK(one.bytes[0] == '2');
    CHECK(g_session.firmwareVersion == 2);

    FreshSession();
    Received label = Receive("\n\rAT+READS_USB - OK! >> 1.10");
    CHECK(Classify(label) == SettingsReply);
    CHECK(g_session.firmwareVersion == 110);
    CHECK(Text(label, 4) == "1.10");
}

TEST_CASE("firmware number: white space skipped, digits up to the first non-digit") {
    struct Case {
        const char* label;
        int version;
    } cases[] = {
        {"1.10", 110}, {"2.00", 200}, {"1.00", 100}, {" .10", 10}, {"1.x0", 1},
        {"x.10", 0},   {"-.10", 0},   {"+.10", 0},   {"9.99", 999}, {"\t. 5", 5},
    };
    for (const Case& c : cases) {
        FreshSession();
        Received r = Receive(std::string("\n\rAT+READS_KRU - OK! >> ") + c.label + "TMX1DO");
        CHECK(Classify(r) == SettingsReply);
        CHECK_MESSAGE(g_session.firmwareVersion == c.version, c.label);
    }
}

TEST_CASE("bad input never reads or writes past the received bytes") {
    FreshSession();
    CHECK(ClassifyIntoSession(nullptr, 10) == Unrecognized);
    CHECK(Classify("") == Unrecognized);
    CHECK(Classify(" ") == Unrecognized);
    CHECK(Classify(std::string(1, '\0')) == Unrecognized);
    Received negative = Receive(kKruReply);
    CHECK(ClassifyIntoSession(negative.bytes, -5) == Unrecognized);
    CHECK(ClassifyIntoSession(negative.bytes, 0) == Unrecognized);
    CHECK(g_session.modelLetter == 'X');

    // 64 bytes of garbage, including every byte value the search looks for.
    std::string garbage;
    for (int k = 0; k < kReplyBufferSize; ++k) garbage += static_cast<char>((k * 37 + 11) & 0xFF);
    CHECK(Classify(garbage) == Unrecognized);
    CHECK(Classify(std::string(kReplyBufferSize, ' ')) == Unrecognized);
    CHECK(Classify(std::string(kReplyBufferSize, '-')) == Unrecognized);
    std::string dashes;
    while (dashes.size() < kReplyBufferSize) dashes += " - ";
    CHECK(Classify(dashes) == Unrecognized);

    // NUL bytes inside the reply are bytes like any other.
    CHECK(Classify(std::string("\0\n\rAT\0+W441SO - OK!", 20)) == WriteAck);
    CHECK(Classify(std::string(" -\0 - OK!", 9)) == WriteAck);
    CHECK(Classify(std::string(" - O\0K!", 7)) == Unrecognized);
    FreshSession();
    Received nul = Receive(std::string("\n\rAT+READS_KRU - OK! >> 1.1\0TMX1DO", 34));
    CHECK(Classify(nul) == SettingsReply);
    CHECK(g_session.firmwareVersion == 11);

    // A count larger than the buffer is taken as the full buffer.
    Received big = Receive(std::string(kReplyBufferSize, 'a'));
    CHECK(ClassifyIntoSession(big.bytes, 1000) == Unrecognized);
    CHECK(big.bytes[kReplyBufferSize] == 0);
}

TEST_CASE("verdicts at the very end of the 64 bytes") {
    // OK verdict ending at byte 63: a write acknowledgement, nothing read past 64.
    std::string ack = std::string(58, 'a') + " - OK!";
    REQUIRE(ack.size() == 64);
    CHECK(Classify(ack) == WriteAck);
    std::string refusal = std::string(49, 'a') + " - UNKNOWN CMD!";
    REQUIRE(refusal.size() == 64);
    CHECK(Classify(refusal) == UnknownCommand);
    // Cut at 64 inside the verdict: not recognised.
    CHECK(Classify(std::string(50, 'a') + " - UNKNOWN CMD!") == Unrecognized);
    CHECK(Classify(std::string(59, 'a') + " - OK!") == Unrecognized);
    // " >> " ending at byte 63: a settings reply whose payload is empty.
    FreshSession();
    Received marker = Receive(std::string(54, 'a') + " - OK! >> ");
    REQUIRE(marker.count == 64);
    CHECK(Classify(marker) == SettingsReply);
    CHECK(g_session.modelLetter == 'a');
    CHECK(g_session.firmwareVersion == 0);
    // " >> " cut by the end of the buffer: only an acknowledgement.
    CHECK(Classify(std::string(55, 'a') + " - OK! >> ") == WriteAck);
    // The received count, not the buffer, ends the reply: bytes behind the count that are
    // not zero do not make a verdict.
    Received stale = Receive("\n\rAT+W441SO - OK");
    stale.bytes[stale.count] = '!';
    CHECK(ClassifyIntoSession(stale.bytes, stale.count) == Unrecognized);
    Received staleMarker = Receive("\n\rAT+READS_KRU - OK! >");
    std::memcpy(staleMarker.bytes + staleMarker.count, "> 1.10", 6);
    CHECK(ClassifyIntoSession(staleMarker.bytes, staleMarker.count) == WriteAck);
}

TEST_CASE("a reply longer than the buffer is judged from its first 64 bytes") {
    FreshSession();
    std::string flood = kKruReply + std::string(40, '#');
    Received r = Receive(flood);
    REQUIRE(r.count == 64);
    CHECK(Classify(r) == SettingsReply);
    CHECK(g_session.modelLetter == 'U');
    CHECK(Text(r, 10) == "1.10TMX1DO");
    CHECK(Text(r, 40) == "1.10TMX1DO" + std::string(30, '#'));
    // The tail behind the moved 40 bytes keeps the last 24 received bytes.
    CHECK(Text(r, 64).substr(40) == flood.substr(40, 24));
}

TEST_CASE("firmware labels each family accepts") {
    int saved = g_readerFamily;
    for (int family : {static_cast<int>(kKruKrm), static_cast<int>(kUsb)}) {
        g_readerFamily = family;
        CHECK(CheckFirmwareVersion(g_readerFamily, "1.00"));
        CHECK(CheckFirmwareVersion(g_readerFamily, "1.10TMX1DO"));
        CHECK(CheckFirmwareVersion(g_readerFamily, "2.00WHDH5EM"));
        CHECK_FALSE(CheckFirmwareVersion(g_readerFamily, "1.05TMX1DO"));
        CHECK_FALSE(CheckFirmwareVersion(g_readerFamily, "2.10"));
        CHECK_FALSE(CheckFirmwareVersion(g_readerFamily, "1.20"));
        CHECK_FALSE(CheckFirmwareVersion(g_readerFamily, "1.1"));
        CHECK_FALSE(CheckFirmwareVersion(g_readerFamily, ""));
        CHECK_FALSE(CheckFirmwareVersion(g_readerFamily, " 1.10"));
        CHECK_FALSE(CheckFirmwareVersion(g_readerFamily, nullptr));
    }
    g_readerFamily = 2;
    CHECK_FALSE(CheckFirmwareVersion(g_readerFamily, "1.10TMX1DO"));
    g_readerFamily = -1;
    CHECK_FALSE(CheckFirmwareVersion(g_readerFamily, "1.10TMX1DO"));
    g_readerFamily = saved;
}

TEST_CASE("classification changes nothing; the payload is where the value says") {
    Received r = Receive(kUsbReply);
    const Received before = r;
    const ReplyInfo info = ClassifyReply(r.bytes, r.count);
    CHECK(std::memcmp(r.bytes, before.bytes, sizeof r.bytes) == 0);
    CHECK(info.kind == SettingsReply);
    CHECK(info.modelLetter == 'B');
    CHECK(info.firmwareVersion == 110);
    CHECK(info.payloadStart == 24);
    CHECK(info.payloadLength == 11);
    CHECK(std::string(reinterpret_cast<const char*>(r.bytes) + info.payloadStart, 11) == "1.10WHDH5EM");
    const ReplyInfo ack = ClassifyReply(Receive("\n\rAT+W441SO - OK!").bytes, 17);
    CHECK(ack.kind == WriteAck);
    CHECK(ack.modelLetter == 'X');
    CHECK(ack.payloadLength == 0);
}

namespace {

// A tool that reads until the reply is whole takes only the reply to the command it sent.
ReplyFit Fit(const std::string& command, const std::string& received) {
    return FitReply(command.data(), static_cast<int>(command.size()),
                    reinterpret_cast<const unsigned char*>(received.data()), static_cast<int>(received.size()));
}

}  // namespace

TEST_CASE("a reply fits its command: every start of it is partial, the whole of it whole") {
    struct Case {
        std::string command;
        std::string reply;
        ReplyFit whole;
    } cases[] = {
        {kQueryKruKrm, kKruReply, ReplyFit::Whole},
        {kQueryKruKrm, "\n\rAT+READS_KRM - OK! >> 2.00W581DO", ReplyFit::Whole},
        {kQueryKruKrm, "\n\rAT+READS_KRX - OK! >> 1.10TMX1DO", ReplyFit::Whole},
        {kQueryUsb, kUsbReply, ReplyFit::Whole},
        {"AT+W441SO", "\n\rAT+W441SO - OK!", ReplyFit::Whole},
        {"AT+WTMX7EM", "\n\rAT+WTMX7EM - OK!", ReplyFit::Whole},
        {kQueryCardId, "\n\rAT+IDS - OK! >> 0001234567 0000054321.", ReplyFit::Whole},
        {kQueryUsb, "\n\rAT+READS_USB - UNKNOWN CMD!", ReplyFit::Refusal},
        {kQueryCardId, "\n\rAT+READS_IDS - UNKNOWN CMD!", ReplyFit::Refusal},
        {"AT+W581DO", "\n\rAT+W581DO - UNKNOWN CMD!", ReplyFit::Refusal},
    };
    for (const Case& c : cases) {
        CAPTURE(c.command);
        CAPTURE(c.reply);
        for (size_t n = 0; n < c.reply.size(); ++n) CHECK(Fit(c.command, c.reply.substr(0, n)) == ReplyFit::Partial);
        CHECK(Fit(c.command, c.reply) == c.whole);
        // What follows a whole reply is the next command's business.
        CHECK(Fit(c.command, c.reply + "0123456789") == c.whole);
    }
}

TEST_CASE("bytes that are no reply to the command sent are foreign, never a reader") {
    const std::string kruReply = kKruReply;
    const std::string usbReply = kUsbReply;
    // The tail of a KRU reply that came after its deadline, then the refusal of the USB query:
    // the old window read this as a USB reader.
    CHECK(Fit(kQueryUsb, kruReply.substr(10) + "\n\rAT+READS_USB - UNKNOWN CMD!") == ReplyFit::Foreign);
    CHECK(Fit(kQueryUsb, "AT+READS_KRU - OK! >> 1.10TMX1DO") == ReplyFit::Foreign);
    // A settings reply to the other family's query, or a late acknowledgement.
    CHECK(Fit(kQueryKruKrm, usbReply) == ReplyFit::Foreign);
    CHECK(Fit(kQueryUsb, kruReply) == ReplyFit::Foreign);
    CHECK(Fit(kQueryKruKrm, "\n\rAT+W441SO - OK!") == ReplyFit::Foreign);
    // A KRU/KRM echo names a model of its family.
    CHECK(Fit(kQueryKruKrm, "\n\rAT+READS_KRB - OK! >> 1.10TMX1DO") == ReplyFit::Foreign);
    CHECK(Fit(kQueryKruKrm, std::string("\n\rAT+READS_KR\0 - OK! >> 1.10TMX1DO", 34)) == ReplyFit::Foreign);
    // An acknowledgement echoes this write, not another one; a settings reply is no acknowledgement.
    CHECK(Fit("AT+W441SO", "\n\rAT+W261SO - OK!") == ReplyFit::Foreign);
    CHECK(Fit("AT+W441SO", kruReply) == ReplyFit::Foreign);
    // A refusal echoes the command it refuses.
    CHECK(Fit(kQueryKruKrm, "\n\rAT+READS_USB - UNKNOWN CMD!") == ReplyFit::Foreign);
    // Stale bytes in front of a reply spoil it: the reply starts with the first byte received.
    CHECK(Fit(kQueryKruKrm, "0123" + kruReply) == ReplyFit::Foreign);
    CHECK(Fit(kQueryCardId, "9\n\rAT+IDS - OK! >> 0001234567 0000054321.") == ReplyFit::Foreign);
    // An ID reply without its '.', or a settings reply to the card query.
    CHECK(Fit(kQueryCardId, "\n\rAT+IDS - OK! >> 0001234567 00000543210") == ReplyFit::Foreign);
    CHECK(Fit(kQueryCardId, kruReply) == ReplyFit::Foreign);
    // A lower-case verdict, and noise.
    CHECK(Fit(kQueryKruKrm, "\n\rAT+READS_KRU - ok! >> 1.10TMX1DO") == ReplyFit::Foreign);
    CHECK(Fit("AT+W441SO", "\x01garbage without a verdict\xff") == ReplyFit::Foreign);
    CHECK(Fit(kQueryKruKrm, "") == ReplyFit::Partial);
}
