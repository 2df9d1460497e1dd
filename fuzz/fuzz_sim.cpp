// SPDX-License-Identifier: Apache-2.0
// The simulator's command and control-line parsers: any sequence of control lines and
// commands leaves a reader whose replies the program reads as the reader's grammar says
// (the family's query gives a settings reply with the model letter and the stored payload, a
// valid write is acknowledged and stored, anything else is refused and changes nothing, the
// card query gives the stored numbers); a control line that is not understood changes
// nothing; misbehaviour plans stay within the reply; hex and log escapes round-trip.
#include <cstring>
#include <string>

#include "control.h"
#include "fuzz_check.h"
#include "core/card_id.h"
#include "core/commands.h"
#include "core/reply.h"
#include "gui/texts.h"
#include "reader.h"
#include "gui/session.h"

namespace {

bool SameState(const ReaderState& a, const ReaderState& b) {
    return a.model == b.model && a.firmware == b.firmware && a.settings == b.settings &&
           a.barcode == b.barcode && a.cipher == b.cipher && a.replyDelayMs == b.replyDelayMs &&
           a.baudDelay == b.baudDelay && a.silent == b.silent && a.refuse == b.refuse &&
           a.garbage == b.garbage && a.lowerCase == b.lowerCase && a.noDot == b.noDot &&
           a.cutBytes == b.cutBytes && a.splitMs == b.splitMs && a.splitAt == b.splitAt &&
           a.floodBytes == b.floodBytes && a.lateMs == b.lateMs && a.rawReply == b.rawReply &&
           a.rawPending == b.rawPending;
}

// The program's view of a reply: the first 64 bytes, zero-filled behind.
ReplyKind ClassifyAsProgram(const std::string& reply, unsigned char* buffer) {
    std::memset(buffer, 0, kReplyBufferSize);
    const int count = static_cast<int>(reply.size() < kReplyBufferSize ? reply.size() : kReplyBufferSize);
    std::memcpy(buffer, reply.data(), count);
    return ClassifyIntoSession(buffer, count);
}

std::uint32_t Saturated(const std::string& digits) {
    unsigned long long value = 0;
    for (char c : digits) {
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(value);
}

void CheckHonestReply(const ReaderState& before, const std::string& command) {
    ReaderState reader = before;
    const std::string reply = HonestReply(&reader, command);
    FUZZ_CHECK(reply.compare(0, 2, "\n\r") == 0);
    const bool usb = IsUsbModel(before.model);
    unsigned char buffer[kReplyBufferSize];
    g_readerFamily = usb ? kUsb : kKruKrm;

    if (command == (usb ? kQueryUsb : kQueryKruKrm)) {
        FUZZ_CHECK(ClassifyAsProgram(reply, buffer) == SettingsReply);
        FUZZ_CHECK(g_session.modelLetter == before.model);
        std::string payload = before.firmware;
        for (char c : before.settings)
            payload += before.lowerCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        // The payload starts at 24 of the reply and is read as far as the 64 bytes reach.
        const std::size_t shown = std::min<std::size_t>(payload.size(), kReplyBufferSize - 24);
        FUZZ_CHECK(std::memcmp(buffer, payload.data(), shown) == 0);
        FUZZ_CHECK(SameState(reader, before));
        return;
    }
    if (command == kQueryCardId) {
        CardIdResult id;
        std::memset(buffer, 0, kReplyBufferSize);
        std::memcpy(buffer, reply.data(), std::min<std::size_t>(reply.size(), kReplyBufferSize));
        FUZZ_CHECK(ParseCardIdReply(buffer, kReplyBufferSize, &id) ==
                   (before.noDot ? CardIdUnrecognized : CardIdComplete));
        // An eleven-digit barcode fills the separator's place, so the program's reading of the
        // barcode runs on into the cipher digits (and saturates).
        const std::string cipher = std::string(10 - std::min<std::size_t>(10, before.cipher.size()), '0') + before.cipher;
        const std::string barcodeRun = before.barcode.size() == 11 ? before.barcode + cipher : before.barcode;
        FUZZ_CHECK(id.barcode == Saturated(barcodeRun) && id.cipherId == Saturated(before.cipher));
        FUZZ_CHECK(SameState(reader, before));
        return;
    }
    const std::size_t writeLength = usb ? kUsbWriteLength : kKruKrmWriteLength;
    const bool validWrite = command.size() == writeLength && command.compare(0, 3, "AT+") == 0 &&
                            ValidSettings(before.model, command.substr(3));
    if (validWrite) {
        FUZZ_CHECK(ClassifyAsProgram(reply, buffer) == WriteAck);
        FUZZ_CHECK(reader.settings == command.substr(3));
        return;
    }
    FUZZ_CHECK(SameState(reader, before));
    FUZZ_CHECK(reply == "\n\r" + command + " - UNKNOWN CMD!");
    // The echo of a command without a hyphen reads as a refusal. (With one, the echo can hold
    // a verdict of its own, or end in " -" so that its separator overlaps the refusal's.)
    if (reply.size() <= kReplyBufferSize && command.find('-') == std::string::npos)
        FUZZ_CHECK(ClassifyAsProgram(reply, buffer) == UnknownCommand);
}

void CheckPlan(const ReaderState& before, const std::string& command) {
    ReaderState reader = before;
    ReaderState honest = before;
    const ReplyPlan plan = PlanReply(&reader, command);
    FUZZ_CHECK(plan.delayMs >= 0);
    if (before.silent) FUZZ_CHECK(plan.bytes.empty());
    // The documented order: raw wins, else refuse, else the reply with garbage, flood and cut.
    if (before.cutBytes >= 0 && !before.rawPending && !before.refuse) FUZZ_CHECK(plan.bytes.size() <= static_cast<std::size_t>(before.cutBytes));
    if (plan.splitAt >= 0) FUZZ_CHECK(plan.splitAt > 0 && static_cast<std::size_t>(plan.splitAt) < plan.bytes.size());
    FUZZ_CHECK(!reader.rawPending);
    if (before.rawPending) {
        FUZZ_CHECK(before.silent || plan.bytes == before.rawReply);
    } else if (before.refuse) {
        FUZZ_CHECK(reader.settings == before.settings);
    } else {
        HonestReply(&honest, command);
        FUZZ_CHECK(reader.settings == honest.settings);
    }
}

void CheckEscapes(const std::string& bytes) {
    // The log's escape form reads back as the bytes.
    const std::string escaped = EscapeBytes(bytes);
    std::string back;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        FUZZ_CHECK(escaped[i] >= 0x20 && escaped[i] < 0x7f);
        if (escaped[i] != '\\') {
            back += escaped[i];
        } else if (escaped[i + 1] == '\\') {
            back += '\\';
            ++i;
        } else {
            FUZZ_CHECK(escaped[i + 1] == 'x');
            back += static_cast<char>(std::stoi(escaped.substr(i + 2, 2), nullptr, 16));
            i += 3;
        }
    }
    FUZZ_CHECK(back == bytes);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) (hex += kHex[c >> 4]) += kHex[c & 15];
    std::string parsed;
    FUZZ_CHECK(ParseHex(hex, &parsed) && parsed == bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input{data, size, 0};
    static const char kModels[] = {'U', 'M', 'X', 'B'};
    ReaderState reader;
    InitReader(&reader, kModels[input.Byte() % 4]);

    // A sequence of steps: a tag byte (even: control line, odd: command), a length, the bytes.
    for (int step = 0; step < 16 && input.used < input.size; ++step) {
        const bool control = (input.Byte() & 1) == 0;
        const std::size_t length = input.Byte() % 80;
        std::string text;
        for (std::size_t k = 0; k < length && input.used < input.size; ++k) text += static_cast<char>(input.Byte());
        if (control) {
            const ReaderState before = reader;
            std::string error;
            const ControlAction action = ApplyControlLine(&reader, text, &error);
            if (action == ControlError) {
                FUZZ_CHECK(!error.empty());
                FUZZ_CHECK(SameState(reader, before));
            } else if (action == ControlVanish || action == ControlReturn) {
                FUZZ_CHECK(SameState(reader, before));
            }
            // The option form takes a known number of arguments, or none for unknown words.
            const std::vector<std::string> words = SplitWords(text);
            if (!words.empty()) FUZZ_CHECK(OptionArgumentCount(words[0]) >= -1 && OptionArgumentCount(words[0]) <= 2);
        } else {
            CheckHonestReply(reader, text);
            CheckPlan(reader, text);
            PlanReply(&reader, text);  // the step itself, as the line side runs it
            CheckEscapes(text);
        }
    }
    return 0;
}
