// SPDX-License-Identifier: Apache-2.0
#include "core/card_id.h"

#include <cstdio>
#include <cstring>

#include "core/reader_model.h"

namespace {

constexpr std::uint32_t kNumberCeiling = 4294967295u;
constexpr int kVersionScale = 100;
constexpr int kBitsPerByte = 8;
constexpr std::uint32_t kByteMask = 0xFF;
// Firmware 1.00 does not know the card query.
constexpr int kLastVersionWithoutCardQuery = 100;

bool IsBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The decimal number of ParseCardNumber; false (and the ceiling) when it does not fit.
bool ParseDecimal(const unsigned char* text, std::size_t size, std::uint32_t* value) {
    std::size_t at = 0;
    while (at < size && IsBlank(text[at])) ++at;
    *value = 0;
    bool saturated = false;
    // Every digit is consumed even after saturation, as the reader's number may run on.
    for (; at < size && IsDigit(text[at]); ++at) {
        const std::uint32_t digit = text[at] - '0';
        if (saturated) continue;
        if (*value > (kNumberCeiling - digit) / 10) {
            saturated = true;
            *value = kNumberCeiling;
            continue;
        }
        *value = *value * 10 + digit;
    }
    return !saturated;
}

// The bytes of the field [from, to) that lie within the count received.
std::size_t FieldSize(std::size_t count, int from, int to) {
    const std::size_t begin = static_cast<std::size_t>(from);
    const std::size_t end = static_cast<std::size_t>(to);
    if (count <= begin) return 0;
    return (count < end ? count : end) - begin;
}

}  // namespace

std::uint32_t ParseCardNumber(const unsigned char* text, std::size_t size) {
    std::uint32_t value = 0;
    ParseDecimal(text, size, &value);
    return value;
}

CardIdField ReadCardIdNumbers(const unsigned char* reply, std::size_t count, CardIdResult* result) {
    result->barcode = 0;
    result->cipherId = 0;
    if (!ParseDecimal(reply + kBarcodeOffset, FieldSize(count, kBarcodeOffset, kCipherIdOffset), &result->barcode))
        return CardIdField::Barcode;
    if (!ParseDecimal(reply + kCipherIdOffset, FieldSize(count, kCipherIdOffset, kCardIdEndOffset), &result->cipherId))
        return CardIdField::CipherId;
    return CardIdField::None;
}

CardIdVerdict ParseCardIdReply(const unsigned char* buffer, std::size_t size, CardIdResult* result) {
    result->barcode = 0;
    result->cipherId = 0;
    if (size <= static_cast<std::size_t>(kCardIdEndOffset) ||
        std::memcmp(buffer, kCardIdReplyPrefix, kCardIdPrefixLength) != 0)
        return CardIdInvalidCommand;
    result->barcode = ParseCardNumber(buffer + kBarcodeOffset, size - kBarcodeOffset);
    result->cipherId = ParseCardNumber(buffer + kCipherIdOffset, size - kCipherIdOffset);
    return buffer[kCardIdEndOffset] == kCardIdEnd ? CardIdComplete : CardIdUnrecognized;
}

void FormatCardIdFields(const CardIdResult& result, CardIdFields* fields) {
    std::snprintf(fields->barcodeDecimal, kCardFieldSize, "%010u", static_cast<unsigned>(result.barcode));
    std::snprintf(fields->barcodeHex, kCardFieldSize, "%08X", static_cast<unsigned>(result.barcode));
    std::snprintf(fields->cipherDecimal, kCardFieldSize, "%010u", static_cast<unsigned>(result.cipherId));
    const std::uint32_t id = result.cipherId;
    std::snprintf(fields->cipherDotted, kCardFieldSize, "%d.%d.%d.%d",
                  static_cast<int>((id >> (3 * kBitsPerByte)) & kByteMask),
                  static_cast<int>((id >> (2 * kBitsPerByte)) & kByteMask),
                  static_cast<int>((id >> kBitsPerByte) & kByteMask), static_cast<int>(id & kByteMask));
}

bool CardQuerySupported(int firmwareVersion) { return firmwareVersion > kLastVersionWithoutCardQuery; }

void FormatCardIdTitle(char modelLetter, int firmwareVersion, char* title, std::size_t size) {
    const float version = static_cast<float>(firmwareVersion) / kVersionScale;
    std::snprintf(title, size, "%s ver.%.2f", ModelFullName(ModelOfLetter(modelLetter)), static_cast<double>(version));
}
