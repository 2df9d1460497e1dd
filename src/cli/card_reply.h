#pragma once
// The card ID reply and the four forms the window shows its numbers in.
#include <cstddef>
#include <string>

#include "cli/reader.h"

enum class CardReply { Complete, Refused, Unrecognized };

// Judges a zero-filled reply buffer: the fixed prefix, the barcode number at 18, the cipher ID
// at 29, '.' at 39. A different prefix is a refusal.
CardReply ParseCardReply(const unsigned char* buffer, std::size_t size, CardId* card);

struct CardForms {
    std::string barcode;       // "%010u"
    std::string barcodeHex;    // "%08X"
    std::string cipher;        // "%010u"
    std::string cipherDotted;  // four bytes, most significant first
};
CardForms FormsOf(const CardId& card);
