// SPDX-License-Identifier: Apache-2.0
// The reader engine's rules, played against a scripted line on a clock of the test's own.
#include <doctest/doctest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/engine.h"
#include "core/family.h"
#include "core/line.h"

namespace {

const std::string kKruReply = "\n\rAT+READS_KRU - OK! >> 1.10TMX1DO";
const std::string kUsbReply = "\n\rAT+READS_USB - OK! >> 2.00WHDH5EM";
const std::string kNoise = "\x01\x02 noise";
constexpr int kTimeout = kReplyDeadlineMs;
constexpr EngineTime kReplyDelay = 20;  // a reader's answer comes this long after the command

std::string RefusalOf(const std::string& command) { return "\n\r" + command + " - UNKNOWN CMD!"; }
std::string AckOf(const std::string& command) { return "\n\r" + command + " - OK!"; }

// A port with a reader behind it: each command sent is answered, after kReplyDelay, by what
// answer says (nothing for ""); bytes may also be waiting or come at set times.
struct Line {
    EngineTime now = 1000;
    std::multimap<EngineTime, std::string> arrivals;
    std::function<std::string(const std::string&)> answer = [](const std::string&) { return std::string(); };
    std::vector<std::string> sent;
    std::vector<EngineTime> sentAt;
    SendResult sendResult = SendResult::Whole;
    std::function<void(ReaderEngine&)> onSend;  // a test's hook, run after each command went out
};

EngineOutcome Run(ReaderEngine engine, Line* line) {
    for (int step = 0; step < 10000; ++step) {
        const EngineAction action = engine.Next(line->now);
        if (action.kind == EngineAction::Done) {
            REQUIRE(engine.Done());
            return engine.Outcome();
        }
        if (action.kind == EngineAction::Send) {
            line->sent.push_back(action.bytes);
            line->sentAt.push_back(line->now);
            engine.Sent(line->sendResult, line->now);
            const std::string reply = line->answer(action.bytes);
            if (!reply.empty()) line->arrivals.emplace(line->now + kReplyDelay, reply);
            if (line->onSend) line->onSend(engine);
            continue;
        }
        REQUIRE(action.waitMs >= 0);
        REQUIRE(action.maxBytes > 0);
        auto first = line->arrivals.begin();
        if (first != line->arrivals.end() && first->first <= line->now + action.waitMs) {
            if (first->first > line->now) line->now = first->first;
            std::string bytes = first->second;
            const EngineTime at = first->first;
            line->arrivals.erase(first);
            if (static_cast<int>(bytes.size()) > action.maxBytes) {
                line->arrivals.emplace(at, bytes.substr(static_cast<std::size_t>(action.maxBytes)));
                bytes.resize(static_cast<std::size_t>(action.maxBytes));
            }
            engine.Heard(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()), line->now);
        } else {
            line->now += action.waitMs;
            engine.Silence(line->now);
        }
    }
    FAIL("the engine never ended");
    return EngineOutcome{};
}

// A KRU reader on firmware 1.10 holding TMX1DO, which takes any write.
std::string KruReader(const std::string& command) {
    if (command == "AT+READS_KRX") return kKruReply;
    if (command.rfind("AT+READS", 0) == 0) return RefusalOf(command);
    return AckOf(command);
}

}  // namespace

TEST_CASE("identify: the reader found by its own family's reply, the other query asked only after an answer that was not") {
    Line kru;
    kru.answer = KruReader;
    EngineOutcome outcome = Run(ReaderEngine::Identify(false, kTimeout), &kru);
    CHECK(outcome.status == Status::Ok);
    CHECK(kru.sent == std::vector<std::string>{"AT+READS_KRX"});
    CHECK(outcome.reader.family == kKruKrm);
    CHECK(outcome.reader.model == 'U');
    CHECK(outcome.reader.firmwareVersion == 110);
    CHECK(outcome.reader.firmware == "1.10");
    CHECK(outcome.reader.chars == "TMX1DO");

    // The USB reader's port asks its query first; a KRU/KRM reader refuses it, then is found.
    Line usbFirst;
    usbFirst.answer = KruReader;
    outcome = Run(ReaderEngine::Identify(true, kTimeout), &usbFirst);
    CHECK(outcome.status == Status::Ok);
    CHECK(usbFirst.sent == std::vector<std::string>{"AT+READS_USB", "AT+READS_KRX"});

    // A silent port costs one deadline and one command.
    Line silent;
    outcome = Run(ReaderEngine::Identify(false, kTimeout), &silent);
    CHECK(outcome.status == Status::NoAnswer);
    CHECK(silent.sent.size() == 1);
    CHECK(silent.now - 1000 == kTimeout);
    CHECK_FALSE(outcome.reader.Known());

    Line refusing;
    refusing.answer = [](const std::string& command) { return RefusalOf(command); };
    CHECK(Run(ReaderEngine::Identify(false, kTimeout), &refusing).status == Status::Refused);
    CHECK(refusing.sent.size() == 2);

    Line old;
    old.answer = [](const std::string& command) {
        return command == "AT+READS_KRX" ? std::string("\n\rAT+READS_KRM - OK! >> 2.10W581SF") : std::string();
    };
    outcome = Run(ReaderEngine::Identify(false, kTimeout), &old);
    CHECK(outcome.status == Status::FirmwareUnsupported);
    CHECK(outcome.reader.firmware == "2.10");
}

TEST_CASE("identify: noise is never a reader, and a refusal after noise says less than the noise") {
    // Noise to the first query on every try, a refusal of the second: the noise is told.
    Line line;
    line.answer = [](const std::string& command) { return command == "AT+READS_KRX" ? kNoise : RefusalOf(command); };
    EngineOutcome outcome = Run(ReaderEngine::Identify(false, kTimeout), &line);
    CHECK(outcome.status == Status::Garbage);
    CHECK(line.sent.size() == static_cast<std::size_t>(kCommandTries) + 1);

    // Noise, then silence to the other query: still the noise.
    Line silentOther;
    silentOther.answer = [](const std::string& command) { return command == "AT+READS_KRX" ? kNoise : std::string(); };
    CHECK(Run(ReaderEngine::Identify(false, kTimeout), &silentOther).status == Status::Garbage);

    // A reply to the other family's query from a port that first sent noise: that reader.
    Line usb;
    usb.answer = [](const std::string& command) { return command == "AT+READS_USB" ? kUsbReply : kNoise; };
    outcome = Run(ReaderEngine::Identify(false, kTimeout), &usb);
    CHECK(outcome.status == Status::Ok);
    CHECK(outcome.reader.family == kUsb);
    CHECK(outcome.reader.chars == "WHDH5EM");

    // A KRU/KRM reply to a USB query is no USB reply.
    Line wrong;
    wrong.answer = [](const std::string&) { return kKruReply; };
    CHECK(Run(ReaderEngine::ReadSettings(kUsb, kTimeout), &wrong).status == Status::Garbage);
}

TEST_CASE("a foreign reply goes out again after the line's quiet; a reply cut short or silence is not retried") {
    int asked = 0;
    Line line;
    line.answer = [&](const std::string&) { return ++asked == 1 ? kNoise : kKruReply; };
    EngineOutcome outcome = Run(ReaderEngine::ReadSettings(kKruKrm, kTimeout), &line);
    CHECK(outcome.status == Status::Ok);
    REQUIRE(line.sent.size() == 2);
    // The noise came kReplyDelay after the first command; the second waits for its gap.
    CHECK(line.sentAt[1] - (line.sentAt[0] + kReplyDelay) >= kTalkingGapMs);

    Line cut;
    cut.answer = [](const std::string&) { return kKruReply.substr(0, 20); };
    CHECK(Run(ReaderEngine::ReadSettings(kKruKrm, kTimeout), &cut).status == Status::Garbage);
    CHECK(cut.sent.size() == 1);
    CHECK(cut.now - cut.sentAt[0] == kTimeout);

    // A reader that floods: the reply buffer fills with no reply in it, on every try.
    Line flood;
    flood.answer = [](const std::string&) { return std::string("\n\rAT+READS_KR") + std::string(100, 'U'); };
    CHECK(Run(ReaderEngine::ReadSettings(kKruKrm, kTimeout), &flood).status == Status::Garbage);
    CHECK(flood.sent.size() == static_cast<std::size_t>(kCommandTries));
}

TEST_CASE("what the port held before a command is dropped, and a port that never falls quiet is noise") {
    // The tail of an earlier reply still coming in: the command waits until the line is quiet.
    Line late;
    late.answer = KruReader;
    late.arrivals.emplace(1000, "tail of an earlier reply");
    late.arrivals.emplace(1030, " more of it");
    EngineOutcome outcome = Run(ReaderEngine::ReadSettings(kKruKrm, kTimeout), &late);
    CHECK(outcome.status == Status::Ok);
    REQUIRE(late.sentAt.size() == 1);
    CHECK(late.sentAt[0] >= 1030 + kTalkingGapMs);

    // A port that hands bytes on in batches heard a moment ago: the line is still talking,
    // though a look finds nothing yet. Heard long ago, it is quiet.
    for (EngineTime heardAgo : {10, 500}) {
        Line batched;
        batched.answer = KruReader;
        ReaderEngine engine = ReaderEngine::ReadSettings(kKruKrm, kTimeout);
        engine.LineHeardAt(batched.now - heardAgo);
        CHECK(Run(engine, &batched).status == Status::Ok);
        CHECK(batched.sentAt[0] - 1000 == (heardAgo < kTalkingGapMs ? kTalkingGapMs - heardAgo : 0));
    }

    // A port that talks every 10 ms for ever: nothing is sent, every try is noise.
    Line chatter;
    for (EngineTime t = 1000; t < 1000 + 4 * kCommandTries * kTimeout; t += 10) chatter.arrivals.emplace(t, "x");
    CHECK(Run(ReaderEngine::ReadSettings(kKruKrm, kTimeout), &chatter).status == Status::Garbage);
    CHECK(chatter.sent.empty());
}

TEST_CASE("write and verify: verified, refused, mismatched, unconfirmed, or nothing sent") {
    Line good;
    std::string held = "TMX1DO";
    good.answer = [&](const std::string& command) {
        if (command == "AT+READS_KRX") return "\n\rAT+READS_KRU - OK! >> 1.10" + held;
        held = command.substr(3);
        return AckOf(command);
    };
    EngineOutcome outcome = Run(ReaderEngine::WriteAndVerify(kKruKrm, "W261DO", kTimeout), &good);
    CHECK(outcome.status == Status::Ok);
    CHECK(outcome.changed);
    CHECK(outcome.sent);
    CHECK(outcome.readBack.chars == "W261DO");
    CHECK(good.sent == std::vector<std::string>{"AT+W261DO", "AT+READS_KRX"});

    // A reader that acknowledges and keeps its old settings.
    Line stubborn;
    stubborn.answer = KruReader;
    outcome = Run(ReaderEngine::WriteAndVerify(kKruKrm, "W261DO", kTimeout), &stubborn);
    CHECK(outcome.status == Status::Mismatch);
    CHECK_FALSE(outcome.changed);
    CHECK(outcome.readBack.chars == "TMX1DO");
    CHECK(outcome.written == "W261DO");

    Line refusing;
    refusing.answer = [](const std::string& command) { return RefusalOf(command); };
    outcome = Run(ReaderEngine::WriteAndVerify(kKruKrm, "W261DO", kTimeout), &refusing);
    CHECK(outcome.status == Status::Refused);
    CHECK(refusing.sent.size() == 1);

    // The acknowledgement never came: sent, and what the reader holds is unknown.
    Line silent;
    outcome = Run(ReaderEngine::WriteAndVerify(kKruKrm, "W261DO", kTimeout), &silent);
    CHECK(outcome.status == Status::Unconfirmed);
    CHECK(outcome.cause == Status::NoAnswer);
    CHECK(outcome.sent);
    CHECK_FALSE(outcome.readBack.Known());

    // Acknowledged, then the read-back went unanswered.
    Line noReadBack;
    noReadBack.answer = [](const std::string& command) {
        return command.rfind("AT+READS", 0) == 0 ? std::string() : AckOf(command);
    };
    outcome = Run(ReaderEngine::WriteAndVerify(kKruKrm, "W261DO", kTimeout), &noReadBack);
    CHECK(outcome.status == Status::Unconfirmed);
    CHECK(outcome.acknowledged);
    CHECK(outcome.cause == Status::NoAnswer);

    // An acknowledgement of another write is no acknowledgement of this one.
    Line otherAck;
    otherAck.answer = [](const std::string&) { return AckOf("AT+W441SO"); };
    outcome = Run(ReaderEngine::WriteAndVerify(kKruKrm, "W261DO", kTimeout), &otherAck);
    CHECK(outcome.status == Status::Unconfirmed);
    CHECK(outcome.cause == Status::Garbage);

    Line failed;
    failed.sendResult = SendResult::Failed;
    outcome = Run(ReaderEngine::WriteAndVerify(kKruKrm, "W261DO", kTimeout), &failed);
    CHECK(outcome.status == Status::IoError);
    CHECK_FALSE(outcome.sent);

    // Part of the command went out: the reader may have taken something.
    Line partial;
    partial.sendResult = SendResult::Partial;
    outcome = Run(ReaderEngine::WriteAndVerify(kKruKrm, "W261DO", kTimeout), &partial);
    CHECK(outcome.status == Status::Unconfirmed);
    CHECK(outcome.cause == Status::IoError);
}

TEST_CASE("Ctrl-C ends a query at once but never a write's own exchange") {
    Line query;
    query.answer = KruReader;
    query.onSend = [&](ReaderEngine& engine) { engine.Interrupt(query.now); };
    CHECK(Run(ReaderEngine::ReadSettings(kKruKrm, kTimeout), &query).status == Status::Interrupted);

    Line write;
    write.answer = KruReader;
    write.onSend = [&](ReaderEngine& engine) { engine.Interrupt(write.now); };
    const EngineOutcome outcome = Run(ReaderEngine::WriteAndVerify(kKruKrm, "W261DO", kTimeout), &write);
    // The write was seen through and acknowledged; the read-back was interrupted.
    CHECK(outcome.acknowledged);
    CHECK(outcome.status == Status::Unconfirmed);
    CHECK(outcome.cause == Status::Interrupted);
}

TEST_CASE("a port that fails while the engine listens") {
    ReaderEngine engine = ReaderEngine::ReadSettings(kKruKrm, kTimeout);
    REQUIRE(engine.Next(0).kind == EngineAction::Listen);
    engine.PortFailed(0);
    CHECK(engine.Done());
    CHECK(engine.Outcome().status == Status::IoError);
    CHECK(engine.Next(1).kind == EngineAction::Done);
}

TEST_CASE("card: the numbers, a number too large, firmware without the query") {
    Line line;
    line.answer = [](const std::string&) { return std::string("\n\rAT+IDS - OK! >> 0001234567 0000054321."); };
    EngineOutcome outcome = Run(ReaderEngine::ReadCard(110, kTimeout), &line);
    CHECK(outcome.status == Status::Ok);
    CHECK(outcome.card.barcode == 1234567u);
    CHECK(outcome.card.cipherId == 54321u);

    Line large;
    large.answer = [](const std::string&) { return std::string("\n\rAT+IDS - OK! >> 0001234567 4294967296."); };
    outcome = Run(ReaderEngine::ReadCard(110, kTimeout), &large);
    CHECK(outcome.status == Status::NotRecognized);
    CHECK(outcome.tooLarge == CardIdField::CipherId);
    CHECK(outcome.card.barcode == 0u);

    Line old;
    outcome = Run(ReaderEngine::ReadCard(100, kTimeout), &old);
    CHECK(outcome.status == Status::Unsupported);
    CHECK(old.sent.empty());
}

TEST_CASE("a card watch tells each card once while it is held, each failure once, and ends when the port fails") {
    std::string reply = "\n\rAT+IDS - OK! >> 0001234567 0000054321.";
    Line line;
    line.answer = [&](const std::string&) { return reply; };
    CardWatch watch;
    auto step = [&]() {
        const EngineOutcome outcome = Run(ReaderEngine::WatchStep(110, kTimeout, watch), &line);
        watch = outcome.watch;
        return outcome;
    };
    CHECK(step().newCard);
    CHECK_FALSE(step().newCard);  // the same card still held
    reply.clear();                // the reader goes silent: said once
    EngineOutcome outcome = step();
    CHECK(outcome.newFailure);
    CHECK_FALSE(outcome.endsWatch);
    CHECK_FALSE(step().newFailure);
    reply = "\n\rAT+IDS - OK! >> 0001234567 0000054321.";
    outcome = step();
    CHECK_FALSE(outcome.newCard);  // held all along, as far as anyone knows
    CHECK_FALSE(outcome.newFailure);
    reply = "\n\rAT+IDS - OK! >> 0000000000 0000000000.";  // taken away
    CHECK_FALSE(step().newCard);
    reply = "\n\rAT+IDS - OK! >> 0001234567 0000054321.";  // and shown again
    CHECK(step().newCard);

    line.sendResult = SendResult::Failed;
    outcome = step();
    CHECK(outcome.status == Status::IoError);
    CHECK(outcome.endsWatch);
    CHECK(Run(ReaderEngine::WatchStep(100, kTimeout, CardWatch{}), &line).endsWatch);
}
