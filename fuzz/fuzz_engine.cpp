// SPDX-License-Identifier: Apache-2.0
// The reader engine fed anything a port can do: for every request, any stream of bytes in any
// pieces, silences of any length, short and failed writes, port failures and Ctrl-C, at any
// time. It always ends with a status once the line falls silent; it only ever asks to listen
// for 0 to the deadline, for 1 to 64 bytes, and to send its request's own commands, a bounded
// number of times; and its outcome holds together (a change is verified, an unconfirmed write
// went out, a reader found carries its family's settings, a new card is a card).
#include <string>

#include "fuzz_check.h"
#include "core/engine.h"
#include "core/family.h"
#include "core/line.h"
#include "core/settings.h"

namespace {

constexpr int kMaxTimeout = 2000;
constexpr int kEventsAfterScript = 1000;

ReaderEngine Make(int request, FuzzInput* in, int timeoutMs, std::string* chars) {
    const int family = in->Byte() & 1;
    const int firmware = in->Byte() % 4 == 0 ? 100 : 110;
    *chars = family == kUsb ? "WHDH5EM" : "TMX1DO";
    switch (request) {
        case 0: return ReaderEngine::Identify(family == kUsb, timeoutMs);
        case 1: return ReaderEngine::ReadSettings(family, timeoutMs);
        case 2: return ReaderEngine::Write(*chars, timeoutMs);
        case 3: return ReaderEngine::WriteAndVerify(family, *chars, timeoutMs);
        case 4: return ReaderEngine::ReadCard(firmware, timeoutMs);
        default: {
            CardWatch watch;
            watch.holding = (in->Byte() & 1) != 0;
            watch.last.barcode = static_cast<std::uint32_t>(in->Int32());
            watch.reported = static_cast<Status>(in->Byte() % static_cast<int>(Status::Count));
            return ReaderEngine::WatchStep(firmware, timeoutMs, watch);
        }
    }
}

bool IsOwnCommand(int request, const std::string& bytes, const std::string& chars) {
    const bool query = bytes == SettingsQueryOf(kKruKrm) || bytes == SettingsQueryOf(kUsb);
    if (request <= 1) return query;
    if (request == 2) return bytes == "AT+" + chars;
    if (request == 3) return bytes == "AT+" + chars || query;
    return bytes == "AT+READS_IDS";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in{data, size, 0};
    const int request = in.Byte() % 6;
    const int timeoutMs = (in.Byte() * 8) % kMaxTimeout;
    std::string chars;
    ReaderEngine engine = Make(request, &in, timeoutMs, &chars);
    EngineTime now = in.Int32();
    int sends = 0;
    int afterScript = 0;
    for (;;) {
        const EngineAction action = engine.Next(now);
        if (action.kind == EngineAction::Done) break;
        FUZZ_CHECK(!engine.Done());
        if (action.kind == EngineAction::Send) {
            FUZZ_CHECK(IsOwnCommand(request, action.bytes, chars));
        } else {
            FUZZ_CHECK(action.waitMs >= 0 && action.waitMs <= timeoutMs + kTalkingGapMs);
            FUZZ_CHECK(action.maxBytes >= 1 && action.maxBytes <= kReplyBufferSize);
        }
        if (in.used >= in.size) {
            // The script is over: the line falls silent and every write goes out whole.
            FUZZ_CHECK(++afterScript <= kEventsAfterScript);
            if (action.kind == EngineAction::Send) {
                FUZZ_CHECK(++sends <= 2 * kCommandTries);
                engine.Sent(SendResult::Whole, now);
            } else {
                now += action.waitMs;
                engine.Silence(now);
            }
            continue;
        }
        const std::uint8_t event = in.Byte();
        now += event >> 3;  // time passes between events, a few milliseconds at a time
        switch (event & 7) {
            case 0:
            case 1:
            case 2: {
                const int count = 1 + in.Byte() % kReplyBufferSize;
                std::string bytes;
                for (int k = 0; k < count && in.used < in.size; ++k) bytes += static_cast<char>(in.Byte());
                if (action.kind == EngineAction::Listen && !bytes.empty()) {
                    const std::size_t taken =
                        bytes.size() < static_cast<std::size_t>(action.maxBytes) ? bytes.size() : action.maxBytes;
                    engine.Heard(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(taken), now);
                }
                break;
            }
            case 3: now += action.waitMs; engine.Silence(now); break;
            case 4:
                // A send result only answers a send: the loop never writes unasked.
                if (action.kind == EngineAction::Send) {
                    FUZZ_CHECK(++sends <= 2 * kCommandTries);
                    engine.Sent(static_cast<SendResult>(in.Byte() % 3), now);
                }
                break;
            case 5: engine.PortFailed(now); break;
            case 6: engine.Interrupt(now); break;
            default: engine.Silence(now); break;
        }
    }
    const EngineOutcome& outcome = engine.Outcome();
    FUZZ_CHECK(static_cast<int>(outcome.status) >= 0 && outcome.status < Status::Count);
    FUZZ_CHECK(*StatusWord(outcome.status) != 0);
    if (outcome.changed) FUZZ_CHECK(outcome.status == Status::Ok && outcome.readBack.chars == outcome.written);
    if (outcome.status == Status::Unconfirmed) FUZZ_CHECK(outcome.sent);
    if (outcome.status == Status::Mismatch) FUZZ_CHECK(outcome.readBack.Known() && outcome.readBack.chars != chars);
    if (outcome.reader.Known()) {
        FUZZ_CHECK(static_cast<int>(outcome.reader.chars.size()) == SettingsLengthOf(outcome.reader.family));
        FUZZ_CHECK(outcome.reader.firmware.size() == static_cast<std::size_t>(kFirmwareLabelLength));
    }
    if ((request == 0 || request == 1) && outcome.status == Status::Ok) FUZZ_CHECK(outcome.reader.Known());
    if (outcome.newCard) FUZZ_CHECK(outcome.status == Status::Ok && (outcome.card.barcode != 0 || outcome.card.cipherId != 0));
    if (outcome.status == Status::NotRecognized) FUZZ_CHECK(outcome.tooLarge != CardIdField::None);
    return 0;
}
