// SPDX-License-Identifier: Apache-2.0
#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include "core/card_id.h"
#include "core/commands.h"

namespace {

// A reply as the reader sends it, in the zero-filled 64-byte buffer the read uses.
struct ReplyBuffer {
    unsigned char bytes[kReplyBufferSize];
    explicit ReplyBuffer(const std::string& text) {
        std::memset(bytes, 0, sizeof bytes);
        std::memcpy(bytes, text.data(), text.size() < sizeof bytes ? text.size() : sizeof bytes);
    }
};

const std::string kPrefix = "\n\rAT+IDS - OK! >> ";

CardIdVerdict Parse(const std::string& text, CardIdResult* result) {
    ReplyBuffer reply(text);
    return ParseCardIdReply(reply.bytes, sizeof reply.bytes, result);
}

std::uint32_t Number(const std::string& text) {
    return ParseCardNumber(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

}  // namespace

TEST_CASE("a complete ID reply gives both numbers") {
    CardIdResult result = {7, 7};
    CHECK(Parse(kPrefix + "0001234567 0000054321.", &result) == CardIdComplete);
    CHECK(result.barcode == 1234567u);
    CHECK(result.cipherId == 54321u);
}

TEST_CASE("the prefix decides between an invalid command and a reply") {
    CardIdResult result = {7, 7};
    SUBCASE("a refusal") { CHECK(Parse("\n\rAT+READS_IDS - UNKNOWN CMD!", &result) == CardIdInvalidCommand); }
    SUBCASE("another echo") { CHECK(Parse("\n\rAT+IDX - OK! >> 0001234567 0000054321.", &result) == CardIdInvalidCommand); }
    SUBCASE("shorter than the prefix") { CHECK(Parse("\n\rAT+IDS - OK!", &result) == CardIdInvalidCommand); }
    SUBCASE("nothing after a lone LF") { CHECK(Parse("\n", &result) == CardIdInvalidCommand); }
    CHECK(result.barcode == 0);
    CHECK(result.cipherId == 0);
}

TEST_CASE("without the '.' at offset 39 the numbers are still kept") {
    CardIdResult result = {};
    CHECK(Parse(kPrefix + "0001234567 0000054321", &result) == CardIdUnrecognized);
    CHECK(result.barcode == 1234567u);
    CHECK(result.cipherId == 54321u);
    // The '.' one place too early is not the end mark either.
    CHECK(Parse(kPrefix + "0001234567 000005432.1", &result) == CardIdUnrecognized);
    CHECK(result.cipherId == 5432u);
}

TEST_CASE("just the prefix gives zero numbers and no end mark") {
    CardIdResult result = {7, 7};
    CHECK(Parse(kPrefix, &result) == CardIdUnrecognized);
    CHECK(result.barcode == 0);
    CHECK(result.cipherId == 0);
}

TEST_CASE("decimal numbers: white space, digits to the first non-digit, saturation") {
    CHECK(Number("") == 0);
    CHECK(Number("abc") == 0);
    CHECK(Number("-5") == 0);
    CHECK(Number("+5") == 0);
    CHECK(Number(" \t\r\n\v\f42x7") == 42u);
    CHECK(Number("4294967295") == 4294967295u);
    CHECK(Number("4294967296") == 4294967295u);
    CHECK(Number("0004294967295") == 4294967295u);
    CHECK(Number("99999999999999999999999") == 4294967295u);
    // Only the bytes handed over are looked at.
    CHECK(ParseCardNumber(reinterpret_cast<const unsigned char*>("12345"), 3) == 123u);
}

TEST_CASE("a barcode above 2^32-1 saturates; digits may run into the cipher field") {
    CardIdResult result = {};
    CHECK(Parse(kPrefix + "9999999999 0000054321.", &result) == CardIdComplete);
    CHECK(result.barcode == 4294967295u);
    CHECK(result.cipherId == 54321u);
    // No separator: the barcode reads on through the cipher digits.
    CHECK(Parse(kPrefix + "000123456700000543210", &result) == CardIdUnrecognized);
    CHECK(result.barcode == 4294967295u);
    CHECK(result.cipherId == 543210u);
}

TEST_CASE("digits up to the buffer's last byte are read without running past it") {
    std::string text = kPrefix + std::string(kReplyBufferSize - kPrefix.size(), '7');
    ReplyBuffer reply(text);
    CardIdResult result = {};
    CHECK(ParseCardIdReply(reply.bytes, sizeof reply.bytes, &result) == CardIdUnrecognized);
    CHECK(result.barcode == 4294967295u);
    CHECK(result.cipherId == 4294967295u);
}

TEST_CASE("the command-line tool reads each number in its own field; one too large is no number") {
    auto read = [](const std::string& text, CardIdResult* result) {
        return ReadCardIdNumbers(reinterpret_cast<const unsigned char*>(text.data()), text.size(), result);
    };
    CardIdResult result = {7, 7};
    CHECK(read(kPrefix + "0001234567 0000054321.", &result) == CardIdField::None);
    CHECK((result.barcode == 1234567u && result.cipherId == 54321u));
    // Eleven barcode digits fill the separator's place: read alone they fit, and the cipher ID
    // is not swallowed (the window's reading runs on and saturates).
    CHECK(read(kPrefix + "00001234567" + "0000054321.", &result) == CardIdField::None);
    CHECK((result.barcode == 1234567u && result.cipherId == 54321u));
    CHECK(read(kPrefix + "4294967295 4294967295.", &result) == CardIdField::None);
    CHECK((result.barcode == 4294967295u && result.cipherId == 4294967295u));
    CHECK(read(kPrefix + "99999999999" + "0000054321.", &result) == CardIdField::Barcode);
    CHECK(read(kPrefix + "4294967296 0000054321.", &result) == CardIdField::Barcode);
    CHECK(read(kPrefix + "0000000001 9999999999.", &result) == CardIdField::CipherId);
    // The window's own rules within a field: blanks first, digits up to a non-digit, none is 0.
    CHECK(read(kPrefix + "   42x     ABCDEFGHIJ.", &result) == CardIdField::None);
    CHECK((result.barcode == 42u && result.cipherId == 0u));
    // The window's reading of the same replies is unchanged.
    CHECK(Parse(kPrefix + "99999999999" + "0000054321.", &result) == CardIdComplete);
    CHECK(result.barcode == 4294967295u);
}

TEST_CASE("the four value fields") {
    CardIdFields fields;
    FormatCardIdFields({1234567u, 54321u}, &fields);
    CHECK(std::string(fields.barcodeDecimal) == "0001234567");
    CHECK(std::string(fields.barcodeHex) == "0012D687");
    CHECK(std::string(fields.cipherDecimal) == "0000054321");
    CHECK(std::string(fields.cipherDotted) == "0.0.212.49");

    FormatCardIdFields({4294967295u, 4294967295u}, &fields);
    CHECK(std::string(fields.barcodeDecimal) == "4294967295");
    CHECK(std::string(fields.barcodeHex) == "FFFFFFFF");
    CHECK(std::string(fields.cipherDotted) == "255.255.255.255");

    FormatCardIdFields({0xABu, 0x01020304u}, &fields);
    CHECK(std::string(fields.barcodeHex) == "000000AB");
    CHECK(std::string(fields.cipherDecimal) == "0016909060");
    CHECK(std::string(fields.cipherDotted) == "1.2.3.4");
}

TEST_CASE("the window title: model name by letter, version with two decimals") {
    char title[64];
    FormatCardIdTitle('U', 110, title, sizeof title);
    CHECK(std::string(title) == "Vireo-4KRU ver.1.10");
    FormatCardIdTitle('M', 101, title, sizeof title);
    CHECK(std::string(title) == "Vireo-4KRM ver.1.01");
    FormatCardIdTitle('B', 200, title, sizeof title);
    CHECK(std::string(title) == "Vireo-4-USB ver.2.00");
    FormatCardIdTitle('X', 0, title, sizeof title);
    CHECK(std::string(title) == "Vireo-4xxx ver.0.00");
    FormatCardIdTitle('u', 123, title, sizeof title);
    CHECK(std::string(title) == "Vireo-4xxx ver.1.23");
    // A title buffer too small is cut, never overrun.
    char small[8];
    FormatCardIdTitle('B', 2147483647, small, sizeof small);
    CHECK(std::string(small) == "Vireo-4");
}
