// SPDX-License-Identifier: Apache-2.0
#include "core/reply.h"

#include <cstring>

#include "core/card_id.h"
#include "core/commands.h"
#include "core/family.h"
#include "core/settings.h"

namespace {

// The version number is the label without its point: offsets 0, 2 and 3 ("1.10" -> 110).
constexpr int kVersionDigitOffsets[] = {0, 2, 3};
constexpr int kVersionDigitCount = 3;

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

// A stretch of an expected reply: bytes that must be there, bytes that may be anything (a
// payload), or one byte out of a set (the model letter).
enum class PieceKind { Exact, Any, OneOf };
struct Piece {
    PieceKind kind;
    const char* text;  // Exact: the bytes; OneOf: the set; Any: unused
    int length;        // bytes of the reply it stands for (OneOf: 0 or 1)
};

enum class Match { Differs, Prefix, Full };

constexpr int kReplyStartLength = 2;
constexpr char kKruKrmModelLetters[] = {kModelKru, kModelKrm, kModelNone, '\0'};

bool PieceHolds(const Piece& piece, int k, unsigned char c) {
    switch (piece.kind) {
        case PieceKind::Exact: return c == static_cast<unsigned char>(piece.text[k]);
        case PieceKind::OneOf: return c != 0 && std::strchr(piece.text, c) != nullptr;
        case PieceKind::Any: return true;
    }
    return false;
}

// How count bytes compare with the pieces laid end to end: a byte that differs, all of them
// fitting the start (Prefix), or the whole expected reply there (Full).
Match MatchPieces(const Piece* pieces, std::size_t pieceCount, const unsigned char* bytes, int count) {
    int at = 0;
    for (std::size_t p = 0; p < pieceCount; ++p) {
        for (int k = 0; k < pieces[p].length; ++k, ++at) {
            if (at >= count) return Match::Prefix;
            if (!PieceHolds(pieces[p], k, bytes[at])) return Match::Differs;
        }
    }
    return Match::Full;
}

bool IsQuery(const char* command, int length, const char* query) {
    return length == kQueryLength && std::memcmp(command, query, kQueryLength) == 0;
}

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

ReplyFit FitReply(const char* command, int commandLength, const unsigned char* bytes, int count) {
    if (command == nullptr || commandLength <= 0 || (bytes == nullptr && count > 0)) return ReplyFit::Foreign;
    const Piece refusal[] = {{PieceKind::Exact, kReplyStart, kReplyStartLength},
                             {PieceKind::Exact, command, commandLength},
                             {PieceKind::Exact, kVerdictSeparator, kVerdictSeparatorLength},
                             {PieceKind::Exact, kVerdictUnknown, kVerdictUnknownLength}};
    const Match refused = MatchPieces(refusal, sizeof refusal / sizeof refusal[0], bytes, count);
    Match accepted = Match::Differs;
    if (IsQuery(command, commandLength, kQueryKruKrm) || IsQuery(command, commandLength, kQueryUsb)) {
        const bool usb = IsQuery(command, commandLength, kQueryUsb);
        // The USB reader echoes its query whole; a KRU/KRM reader puts its model letter last.
        const Piece reply[] = {
            {PieceKind::Exact, kReplyStart, kReplyStartLength},
            {PieceKind::Exact, command, usb ? kQueryLength : kQueryLength - 1},
            {PieceKind::OneOf, kKruKrmModelLetters, usb ? 0 : 1},
            {PieceKind::Exact, kVerdictSeparator, kVerdictSeparatorLength},
            {PieceKind::Exact, kVerdictOk, kVerdictOkLength},
            {PieceKind::Exact, kPayloadMarker, kPayloadMarkerLength},
            {PieceKind::Any, nullptr, PayloadLengthOf(usb ? kUsb : kKruKrm)}};
        accepted = MatchPieces(reply, sizeof reply / sizeof reply[0], bytes, count);
    } else if (IsQuery(command, commandLength, kQueryCardId)) {
        const Piece reply[] = {{PieceKind::Exact, kCardIdReplyPrefix, kCardIdPrefixLength},
                               {PieceKind::Any, nullptr, kCardIdEndOffset - kCardIdPrefixLength},
                               {PieceKind::Exact, &kCardIdEnd, 1}};
        accepted = MatchPieces(reply, sizeof reply / sizeof reply[0], bytes, count);
    } else {
        const Piece reply[] = {{PieceKind::Exact, kReplyStart, kReplyStartLength},
                               {PieceKind::Exact, command, commandLength},
                               {PieceKind::Exact, kVerdictSeparator, kVerdictSeparatorLength},
                               {PieceKind::Exact, kVerdictOk, kVerdictOkLength}};
        accepted = MatchPieces(reply, sizeof reply / sizeof reply[0], bytes, count);
    }
    if (accepted == Match::Full) return ReplyFit::Whole;
    if (refused == Match::Full) return ReplyFit::Refusal;
    if (accepted == Match::Prefix || refused == Match::Prefix) return ReplyFit::Partial;
    return ReplyFit::Foreign;
}
