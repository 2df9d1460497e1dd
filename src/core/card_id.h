// SPDX-License-Identifier: Apache-2.0
#pragma once
// A card's barcode number and cipher ID: the ID reply and the four forms they are shown in.
#include <cstddef>
#include <cstdint>

#include "core/commands.h"

struct CardIdResult {
    std::uint32_t barcode;
    std::uint32_t cipherId;
};

// The ID reply's layout: the prefix kCardIdReplyPrefix, the barcode number at 18 (ten digits
// and a separator), the cipher ID at 29 (ten digits), kCardIdEnd at 39.
constexpr int kCardIdPrefixLength = 18;
constexpr int kBarcodeOffset = 18;
constexpr int kCipherIdOffset = 29;
constexpr int kCardIdEndOffset = 39;

enum CardIdVerdict : int {
    CardIdInvalidCommand,  // the prefix differs: a refusal, another echo, or too short
    CardIdUnrecognized,    // prefix fine, no '.' at the end; the numbers are parsed all the same
    CardIdComplete,
};

// Judges the reply in a zero-filled buffer of size bytes (the whole buffer, not only the bytes
// received). Sets result to 0/0 first, then to the two numbers once the prefix matches.
CardIdVerdict ParseCardIdReply(const unsigned char* buffer, std::size_t size, CardIdResult* result);

// The numbers of a whole ID reply as the command-line tool takes them: the same reading as
// ParseCardNumber, each number confined to its own field (the barcode number to offsets 18 to
// 28, the cipher ID to 29 to 38), so an eleven-digit barcode never runs on into the cipher ID.
// A number that does not fit in 32 bits is no number: the result names that field.
enum class CardIdField : int { None, Barcode, CipherId };
CardIdField ReadCardIdNumbers(const unsigned char* reply, std::size_t count, CardIdResult* result);

// An unsigned 32-bit decimal number: leading white space skipped, digits up to the first
// non-digit or the end of the text, none gives 0, too large gives 4294967295.
std::uint32_t ParseCardNumber(const unsigned char* text, std::size_t size);

// The four value fields of the window, each fits "255.255.255.255" and its terminator.
constexpr int kCardFieldSize = 16;
struct CardIdFields {
    char barcodeDecimal[kCardFieldSize];  // "%010u"
    char barcodeHex[kCardFieldSize];      // "%08X"
    char cipherDecimal[kCardFieldSize];   // "%010u"
    char cipherDotted[kCardFieldSize];    // bytes from the most significant, "%d.%d.%d.%d"
};
void FormatCardIdFields(const CardIdResult& result, CardIdFields* fields);

// Whether a reader's firmware (times 100) knows the card query: 1.00 does not.
bool CardQuerySupported(int firmwareVersion);

// The model's full name (ModelFullName: "Vireo-4xxx" for a letter that names none) and
// "%s ver.%.2f" with the version (times 100) taken to single precision and divided by 100.
void FormatCardIdTitle(char modelLetter, int firmwareVersion, char* title, std::size_t size);
