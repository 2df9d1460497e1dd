#include "core/reply.h"

#include <cstring>

#include "core/commands.h"
#include "core/settings.h"

namespace {

// The version number is the label without its point: offsets 0, 2 and 3 ("1.10" -> 110).
constexpr int kVersionDigitOffsets[] = {0, 2, 3};
constexpr int kVersionDigitCount = 3;
// The ID reply: prefix, ten digits and a separator, ten digits, the closing '.' at 39.
constexpr int kCardIdReplyLength = 40;

bool IsWhiteSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Decimal value of text: leading white space skipped, digits up to the first non-digit,
// no digits give 0. Three digits at most, so it never overflows.
int ParseVersionDigits(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0 && IsWhiteSpace(*p)) ++p;
    int value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) value = value * 10 + (*p - '0');
    return value;
}

// Compares the bytes of word with the buffer from position start on. Every compared
// position must lie below count. Returns true on a full match; otherwise *lastCompared
// is the position where the comparison failed.
bool MatchesAt(const unsigned char* buffer, int count, int start, const char* word, int length,
               int* lastCompared) {
    for (int k = 0; k < length; ++k) {
        int position = start + k;
        if (position >= count || buffer[position] != static_cast<unsigned char>(word[k])) {
            *lastCompared = position;
            return false;
        }
    }
    *lastCompared = start + length - 1;
    return true;
}

bool SeparatorAt(const unsigned char* buffer, int count, int i) {
    return i + kVerdictSeparatorLength <= count && buffer[i] == ' ' && buffer[i + 1] == '-' &&
           buffer[i + 2] == ' ';
}

// The byte at offset k once the payload has been moved to the start (MovePayloadToStart).
unsigned char ByteAfterMove(const unsigned char* buffer, int count, int payloadStart, int k) {
    if (payloadStart < count && k < count - payloadStart) return buffer[payloadStart + k];
    return k < count ? buffer[k] : 0;
}

// A settings reply with its OK verdict at i: the model letter, where the payload lies and the
// firmware number as the window reads it from the moved payload.
ReplyInfo SettingsInfo(const unsigned char* buffer, int count, int i) {
    ReplyInfo info = {SettingsReply, 0, 0, 0, 0};
    info.modelLetter = kModelLetterOffset < count ? static_cast<char>(buffer[kModelLetterOffset]) : 0;
    info.payloadStart = i + kVerdictSeparatorLength + kVerdictOkLength + kPayloadMarkerLength;
    info.payloadLength = info.payloadStart < count ? count - info.payloadStart : 0;
    char digits[kVersionDigitCount + 1] = {};
    for (int k = 0; k < kVersionDigitCount; ++k)
        digits[k] = static_cast<char>(ByteAfterMove(buffer, count, info.payloadStart, kVersionDigitOffsets[k]));
    info.firmwareVersion = ParseVersionDigits(digits);
    return info;
}

ReplyInfo Verdict(ReplyKind kind) { return ReplyInfo{kind, kModelNone, 0, 0, 0}; }

}  // namespace

ReplyInfo ClassifyReply(const unsigned char* buffer, int count) {
    if (buffer == nullptr || count <= 0) return Verdict(Unrecognized);
    if (count > kReplyBufferSize) count = kReplyBufferSize;

    int i = 0;
    while (i < count) {
        if (!SeparatorAt(buffer, count, i)) {
            ++i;
            continue;
        }
        int verdictStart = i + kVerdictSeparatorLength;
        if (verdictStart >= count) return Verdict(Unrecognized);
        int lastCompared = verdictStart;
        if (buffer[verdictStart] == static_cast<unsigned char>(kVerdictOk[0])) {
            if (MatchesAt(buffer, count, verdictStart, kVerdictOk, kVerdictOkLength, &lastCompared)) {
                int markerStart = verdictStart + kVerdictOkLength;
                int unused = 0;
                if (!MatchesAt(buffer, count, markerStart, kPayloadMarker, kPayloadMarkerLength, &unused))
                    return Verdict(WriteAck);
                return SettingsInfo(buffer, count, i);
            }
        } else if (buffer[verdictStart] == static_cast<unsigned char>(kVerdictUnknown[0])) {
            if (MatchesAt(buffer, count, verdictStart, kVerdictUnknown, kVerdictUnknownLength, &lastCompared))
                return Verdict(UnknownCommand);
        }
        // No verdict here: the search goes on right after the last byte compared.
        i = lastCompared + 1;
    }
    return Verdict(Unrecognized);
}

void MovePayloadToStart(unsigned char* buffer, int count, const ReplyInfo& info) {
    if (buffer == nullptr || info.kind != SettingsReply || info.payloadLength <= 0) return;
    if (count > kReplyBufferSize) count = kReplyBufferSize;
    if (info.payloadStart >= count) return;
    std::memmove(buffer, buffer + info.payloadStart, static_cast<size_t>(count - info.payloadStart));
}

bool ReplyComplete(AwaitedReply awaited, int family, const unsigned char* buffer, int count) {
    const ReplyInfo info = ClassifyReply(buffer, count);
    if (info.kind == UnknownCommand) return true;
    switch (awaited) {
        case AwaitedReply::WriteAck:
            return info.kind == WriteAck || info.kind == SettingsReply;
        case AwaitedReply::Settings: {
            if (info.kind != SettingsReply) return false;
            return info.payloadLength >= PayloadLengthOf(family);
        }
        case AwaitedReply::CardId:
            return count >= kCardIdReplyLength;
    }
    return false;
}
