// SPDX-License-Identifier: Apache-2.0
// The card ID reply: judged from a buffer of exactly the size given (64 as the program reads
// it), never read past it; the verdict and both numbers are those of the reply's layout (the
// fixed prefix, the barcode number at 18, the cipher ID at 29, '.' at 39; numbers read like
// strtoul and saturated at 4294967295); the window's four fields and its title always fit and
// read back as the numbers.
#include <cinttypes>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "core/card_id.h"

namespace {

constexpr std::size_t kProgramBufferSize = 64;  // the reply buffer the program reads into


std::uint32_t ReferenceNumber(const unsigned char* buffer, std::size_t size, std::size_t at) {
    while (at < size && std::strchr(" \t\n\v\f\r", buffer[at]) && buffer[at] != 0) ++at;
    unsigned long long value = 0;
    for (; at < size && buffer[at] >= '0' && buffer[at] <= '9'; ++at) {
        value = value * 10 + (buffer[at] - '0');
        if (value > 0xFFFFFFFFull) value = 0x100000000ull;  // stays above the ceiling
    }
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

void CheckFields(const CardIdResult& result) {
    CardIdFields fields;
    std::memset(&fields, 'z', sizeof fields);
    FormatCardIdFields(result, &fields);
    const char* texts[] = {fields.barcodeDecimal, fields.barcodeHex, fields.cipherDecimal, fields.cipherDotted};
    for (const char* text : texts) FUZZ_CHECK(std::memchr(text, 0, kCardFieldSize) != nullptr);
    FUZZ_CHECK(std::strlen(fields.barcodeDecimal) == 10 && std::strlen(fields.cipherDecimal) == 10);
    FUZZ_CHECK(std::strlen(fields.barcodeHex) == 8);
    FUZZ_CHECK(std::strtoul(fields.barcodeDecimal, nullptr, 10) == result.barcode);
    FUZZ_CHECK(std::strtoul(fields.barcodeHex, nullptr, 16) == result.barcode);
    FUZZ_CHECK(std::strtoul(fields.cipherDecimal, nullptr, 10) == result.cipherId);
    unsigned a, b, c, d;
    FUZZ_CHECK(std::sscanf(fields.cipherDotted, "%u.%u.%u.%u", &a, &b, &c, &d) == 4);
    FUZZ_CHECK(a < 256 && b < 256 && c < 256 && d < 256);
    FUZZ_CHECK(((a << 24) | (b << 16) | (c << 8) | d) == result.cipherId);
}

void CheckTitle(char modelLetter, int firmwareVersion, std::size_t size) {
    std::unique_ptr<char[]> title(new char[size == 0 ? 1 : size]);
    FormatCardIdTitle(modelLetter, firmwareVersion, title.get(), size);
    if (size == 0) return;
    FUZZ_CHECK(std::memchr(title.get(), 0, size) != nullptr);
    const char* name = modelLetter == 'M'   ? "Vireo-4KRM"
                       : modelLetter == 'U' ? "Vireo-4KRU"
                       : modelLetter == 'B' ? "Vireo-4-USB"
                                            : "Vireo-4xxx";
    char full[96];
    std::snprintf(full, sizeof full, "%s ver.%.2f", name,
                  static_cast<double>(static_cast<float>(firmwareVersion) / 100));
    FUZZ_CHECK(std::string(title.get()) == std::string(full).substr(0, size - 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input{data, size, 0};
    const std::uint8_t sizeChoice = input.Byte();
    // Mostly the program's 64 bytes; sometimes any size, to hold the parser to the one given.
    const std::size_t bufferSize = sizeChoice < 192 ? kProgramBufferSize : sizeChoice % 80;
    const char modelLetter = static_cast<char>(input.Byte());
    const int firmwareVersion = input.Int32();
    const std::size_t titleSize = input.Byte() % 40;
    const std::string reply = input.Rest();

    // Zero-filled past the received bytes, exactly as large as said.
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[bufferSize == 0 ? 1 : bufferSize]);
    std::memset(buffer.get(), 0, bufferSize);
    std::memcpy(buffer.get(), reply.data(), std::min(reply.size(), bufferSize));

    CardIdResult result = {7, 7};
    const CardIdVerdict verdict = ParseCardIdReply(buffer.get(), bufferSize, &result);
    const bool prefix = bufferSize >= static_cast<std::size_t>(kCardIdPrefixLength) &&
                        std::memcmp(buffer.get(), "\n\rAT+IDS - OK! >> ", kCardIdPrefixLength) == 0;
    if (bufferSize == kProgramBufferSize) {
        if (!prefix) {
            FUZZ_CHECK(verdict == CardIdInvalidCommand);
        } else {
            FUZZ_CHECK(verdict == (buffer[39] == '.' ? CardIdComplete : CardIdUnrecognized));
        }
    }
    if (verdict == CardIdInvalidCommand) {
        FUZZ_CHECK(result.barcode == 0 && result.cipherId == 0);
    } else {
        FUZZ_CHECK(prefix);
        FUZZ_CHECK(result.barcode == ReferenceNumber(buffer.get(), bufferSize, 18));
        FUZZ_CHECK(result.cipherId == ReferenceNumber(buffer.get(), bufferSize, 29));
    }
    if (verdict == CardIdComplete) FUZZ_CHECK(bufferSize > 39 && buffer[39] == '.');

    CheckFields(result);
    CheckFields(CardIdResult{static_cast<std::uint32_t>(firmwareVersion), ~static_cast<std::uint32_t>(firmwareVersion)});
    CheckTitle(modelLetter, firmwareVersion, titleSize);
    return 0;
}
