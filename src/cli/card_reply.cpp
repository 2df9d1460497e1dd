#include "cli/card_reply.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/commands.h"

namespace {

constexpr std::size_t kPrefixLength = sizeof(kCardIdReplyPrefix) - 1;  // 18
constexpr std::size_t kBarcodeOffset = 18;
constexpr std::size_t kBarcodeDigits = 11;  // ten digits and a separator, or eleven digits
constexpr std::size_t kCipherOffset = 29;
constexpr std::size_t kEndOffset = 39;
constexpr std::uint64_t kLargest = 0xFFFFFFFFu;

// Leading white space skipped, digits up to the first non-digit, too large gives the largest.
std::uint32_t NumberAt(const unsigned char* text, std::size_t size) {
    std::size_t i = 0;
    while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::uint64_t value = 0;
    for (; i < size && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLargest) value = kLargest + 1;
    }
    return value > kLargest ? static_cast<std::uint32_t>(kLargest) : static_cast<std::uint32_t>(value);
}

}  // namespace

CardReply ParseCardReply(const unsigned char* buffer, std::size_t size, CardId* card) {
    *card = CardId{};
    if (size <= kEndOffset || std::memcmp(buffer, kCardIdReplyPrefix, kPrefixLength) != 0) return CardReply::Refused;
    card->barcode = NumberAt(buffer + kBarcodeOffset, kBarcodeDigits);
    card->cipher = NumberAt(buffer + kCipherOffset, kCipherIdDigits);
    return buffer[kEndOffset] == kCardIdEnd ? CardReply::Complete : CardReply::Unrecognized;
}

CardForms FormsOf(const CardId& card) {
    char text[32];
    CardForms forms;
    std::snprintf(text, sizeof text, "%010u", static_cast<unsigned>(card.barcode));
    forms.barcode = text;
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(card.barcode));
    forms.barcodeHex = text;
    std::snprintf(text, sizeof text, "%010u", static_cast<unsigned>(card.cipher));
    forms.cipher = text;
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(card.cipher >> 24),
                  static_cast<unsigned>((card.cipher >> 16) & 0xFF), static_cast<unsigned>((card.cipher >> 8) & 0xFF),
                  static_cast<unsigned>(card.cipher & 0xFF));
    forms.cipherDotted = text;
    return forms;
}
