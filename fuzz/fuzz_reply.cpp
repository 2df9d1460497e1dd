// SPDX-License-Identifier: Apache-2.0
// Reply classification with the payload move: in a heap buffer of exactly 64 bytes (so a
// read or write past it is caught), any received bytes and any count give the kind a plain
// reading of the reply grammar gives, the same kind and the same buffer every time for the
// same bytes, and on a settings reply the model letter, the firmware number and the payload
// moved to the buffer start, with the bytes behind it left as they were.
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "core/commands.h"
#include "core/reply.h"
#include "gui/session.h"

namespace {

struct Verdict {
    ReplyKind kind;
    int payloadStart;  // on SettingsReply: where the payload began
};

bool Has(const unsigned char* b, int count, int at, const char* word) {
    for (int k = 0; word[k] != 0; ++k)
        if (at + k >= count || b[at + k] != static_cast<unsigned char>(word[k])) return false;
    return true;
}

// The reply grammar read as plainly as possible: the first " - " followed by a complete
// "OK!" or "UNKNOWN CMD!" decides; after a failed comparison the search goes on right after
// the last byte compared; " >> " after the OK makes it a settings reply. Nothing at or past
// count is looked at.
Verdict Reference(const unsigned char* b, int count) {
    int i = 0;
    while (i + 2 < count) {
        if (!(b[i] == ' ' && b[i + 1] == '-' && b[i + 2] == ' ')) {
            ++i;
            continue;
        }
        const int v = i + 3;
        if (v >= count) break;
        const char* word = b[v] == 'O' ? "OK!" : b[v] == 'U' ? "UNKNOWN CMD!" : nullptr;
        if (word == nullptr) {
            i = v + 1;
            continue;
        }
        int k = 1;
        while (word[k] != 0 && v + k < count && b[v + k] == static_cast<unsigned char>(word[k])) ++k;
        if (word[k] == 0) {
            if (word[0] == 'U') return {UnknownCommand, 0};
            if (Has(b, count, v + 3, " >> ")) return {SettingsReply, v + 7};
            return {WriteAck, 0};
        }
        i = v + k + 1;  // v + k is the byte that did not match (or lies past count)
    }
    return {Unrecognized, 0};
}

// atoi of the three characters at offsets 0, 2 and 3 (the label without its point).
int ReferenceVersion(const unsigned char* b) {
    const char text[4] = {static_cast<char>(b[0]), static_cast<char>(b[2]), static_cast<char>(b[3]), 0};
    int at = 0;
    while (text[at] != 0 && std::strchr(" \t\n\v\f\r", text[at])) ++at;
    int value = 0;
    for (; text[at] >= '0' && text[at] <= '9'; ++at) value = value * 10 + (text[at] - '0');
    return value;
}

struct Outcome {
    ReplyKind kind;
    char modelLetter;
    int firmwareVersion;
    unsigned char bytes[kReplyBufferSize];
};

Outcome Classify(const unsigned char* received, int count) {
    // Exactly 64 bytes on the heap.
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[kReplyBufferSize]);
    std::memcpy(buffer.get(), received, kReplyBufferSize);
    InitSessionState();
    g_session.modelLetter = '?';
    g_session.firmwareVersion = -1;
    Outcome outcome;
    outcome.kind = ClassifyIntoSession(buffer.get(), count);
    outcome.modelLetter = g_session.modelLetter;
    outcome.firmwareVersion = g_session.firmwareVersion;
    std::memcpy(outcome.bytes, buffer.get(), kReplyBufferSize);
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input{data, size, 0};
    // The count as received (0..64), now and then any count at all.
    const std::uint8_t countChoice = input.Byte();
    const std::string wire = input.Rest();
    int count = static_cast<int>(wire.size() < kReplyBufferSize ? wire.size() : kReplyBufferSize);
    if (countChoice >= 224) count = static_cast<int>(static_cast<std::int8_t>(countChoice << 3));

    // As ReadReply fills it: zero past the bytes received.
    const int seen = count < 0 ? 0 : count > kReplyBufferSize ? kReplyBufferSize : count;
    unsigned char received[kReplyBufferSize] = {};
    std::memcpy(received, wire.data(), std::min<std::size_t>(wire.size(), seen));

    const Outcome first = Classify(received, count);
    const Outcome second = Classify(received, count);
    FUZZ_CHECK(first.kind == second.kind && first.modelLetter == second.modelLetter &&
               first.firmwareVersion == second.firmwareVersion &&
               std::memcmp(first.bytes, second.bytes, kReplyBufferSize) == 0);

    const Verdict expected = Reference(received, seen);
    FUZZ_CHECK(first.kind == expected.kind);
    if (first.kind != SettingsReply) {
        // Only a settings reply changes anything.
        FUZZ_CHECK(std::memcmp(first.bytes, received, kReplyBufferSize) == 0);
        FUZZ_CHECK(first.modelLetter == '?' && first.firmwareVersion == -1);
        return 0;
    }
    FUZZ_CHECK(first.modelLetter == static_cast<char>(received[kModelLetterOffset]));
    unsigned char moved[kReplyBufferSize];
    std::memcpy(moved, received, kReplyBufferSize);
    if (expected.payloadStart < seen)
        std::memmove(moved, received + expected.payloadStart, seen - expected.payloadStart);
    FUZZ_CHECK(std::memcmp(first.bytes, moved, kReplyBufferSize) == 0);
    FUZZ_CHECK(first.firmwareVersion == ReferenceVersion(moved));
    return 0;
}
