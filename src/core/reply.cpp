#include "protocol/reply.h"

#include <cstring>

#include "config/config.h"
#include "protocol/commands.h"
#include "session/session.h"

namespace {

// Firmware labels each family's codec accepts, compared in this order.
constexpr int kSupportedLabelCount = 3;
constexpr const char* kKruKrmFirmware[kSupportedLabelCount] = {"1.00", "1.10", "2.00"};
constexpr const char* kUsbFirmware[kSupportedLabelCount] = {"1.00", "1.10", "2.00"};

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

// Settings reply with its OK verdict at i: take the model letter, move the payload to
// the start (the bytes behind it keep their content) and take the firmware number.
void TakeSettingsPayload(unsigned char* buffer, int count, int i) {
    g_session.modelLetter =
        kModelLetterOffset < count ? static_cast<char>(buffer[kModelLetterOffset]) : 0;
    int payloadStart = i + kVerdictSeparatorLength + kVerdictOkLength + kPayloadMarkerLength;
    if (payloadStart < count) {
        std::memmove(buffer, buffer + payloadStart, static_cast<size_t>(count - payloadStart));
    }
    char digits[kVersionDigitCount + 1] = {};
    for (int k = 0; k < kVersionDigitCount; ++k) {
        digits[k] = static_cast<char>(buffer[kVersionDigitOffsets[k]]);
    }
    g_session.firmwareVersion = ParseVersionDigits(digits);
}

}  // namespace

ReplyKind ClassifyReply(unsigned char* buffer, int count) {
    if (buffer == nullptr || count <= 0) return Unrecognized;
    if (count > kReplyBufferSize) count = kReplyBufferSize;

    int i = 0;
    while (i < count) {
        if (!SeparatorAt(buffer, count, i)) {
            ++i;
            continue;
        }
        int verdictStart = i + kVerdictSeparatorLength;
        if (verdictStart >= count) return Unrecognized;
        int lastCompared = verdictStart;
        if (buffer[verdictStart] == static_cast<unsigned char>(kVerdictOk[0])) {
            if (MatchesAt(buffer, count, verdictStart, kVerdictOk, kVerdictOkLength, &lastCompared)) {
                int markerStart = verdictStart + kVerdictOkLength;
                int unused = 0;
                if (!MatchesAt(buffer, count, markerStart, kPayloadMarker, kPayloadMarkerLength,
                               &unused)) {
                    return WriteAck;
                }
                TakeSettingsPayload(buffer, count, i);
                return SettingsReply;
            }
        } else if (buffer[verdictStart] == static_cast<unsigned char>(kVerdictUnknown[0])) {
            if (MatchesAt(buffer, count, verdictStart, kVerdictUnknown, kVerdictUnknownLength,
                          &lastCompared)) {
                return UnknownCommand;
            }
        }
        // No verdict here: the search goes on right after the last byte compared.
        i = lastCompared + 1;
    }
    return Unrecognized;
}

bool CheckFirmwareVersion(const char* payload) {
    if (payload == nullptr) return false;
    const char* const* labels = nullptr;
    if (g_readerFamily == kKruKrm) {
        labels = kKruKrmFirmware;
    } else if (g_readerFamily == kUsb) {
        labels = kUsbFirmware;
    } else {
        return false;
    }
    for (int k = 0; k < kSupportedLabelCount; ++k) {
        if (std::strncmp(payload, labels[k], kFirmwareLabelLength) == 0) return true;
    }
    return false;
}
