// SPDX-License-Identifier: Apache-2.0
// Port names from the registry and the combobox: the number read from an entry is atoi's
// (saturated), the sort keeps the first 50 entries' numbers in ascending order, a formatted
// name reads back as its number and never overruns its buffer, and narrowing UTF-16 names
// by their low bytes stays within the buffer and agrees with the narrowed comparison.
#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "core/port_names.h"

namespace {

// atoi's rule with the result clamped to int, written with the C library.
int ReferenceNumber(const std::string& text) {
    if (std::strlen(text.c_str()) <= 3) return 0;
    long long value = std::strtoll(text.c_str() + 3, nullptr, 10);
    return static_cast<int>(std::min<long long>(std::max<long long>(value, INT_MIN), INT_MAX));
}

void CheckNumbersAndSort(const std::string& text) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        entries.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::vector<const char*> pointers;
    std::vector<int> expected;
    for (const std::string& entry : entries) {
        pointers.push_back(entry.c_str());
        int number = PortNumberFromText(entry.c_str());
        FUZZ_CHECK(number == ReferenceNumber(entry));
        if (static_cast<int>(expected.size()) < kMaxListedPorts) expected.push_back(number);
    }
    std::sort(expected.begin(), expected.end());
    std::unique_ptr<int[]> numbers(new int[kMaxListedPorts]);
    int n = SortedPortNumbers(pointers.data(), static_cast<int>(pointers.size()), numbers.get());
    FUZZ_CHECK(n == static_cast<int>(expected.size()));
    FUZZ_CHECK(std::equal(expected.begin(), expected.end(), numbers.get()));
}

void CheckFormat(int number, std::size_t size) {
    // Exactly size bytes, so a write past them is caught.
    std::unique_ptr<char[]> out(new char[size == 0 ? 1 : size]);
    FormatPortName(number, out.get(), size);
    if (size == 0) return;
    FUZZ_CHECK(std::memchr(out.get(), 0, size) != nullptr);
    const std::string full = "COM" + std::to_string(number);
    FUZZ_CHECK(std::string(out.get()) == full.substr(0, size - 1));
    if (full.size() < size) FUZZ_CHECK(PortNumberFromText(out.get()) == number);
}

void CheckNarrowing(const std::vector<std::uint16_t>& wide, std::size_t size, const std::string& other) {
    std::size_t length = 0;
    while (wide[length] != 0) ++length;
    std::unique_ptr<char[]> out(new char[size == 0 ? 1 : size]);
    bool fits = NarrowLowBytes(wide.data(), out.get(), size);
    FUZZ_CHECK(fits == (size > 0 && length + 1 <= size));
    if (size > 0 && !fits) FUZZ_CHECK(out[0] == '\0');
    if (fits) {
        for (std::size_t i = 0; i < length; ++i) FUZZ_CHECK(out[i] == static_cast<char>(wide[i] & 0xFF));
        FUZZ_CHECK(out[length] == '\0');
    }
    // The 8-bit text as a C string: it ends at the first character whose low byte is zero.
    std::string narrowed;
    for (std::size_t i = 0; i < length && (wide[i] & 0xFF) != 0; ++i) narrowed += static_cast<char>(wide[i] & 0xFF);
    FUZZ_CHECK(NarrowedEquals(wide.data(), narrowed.c_str()) == !narrowed.empty());
    FUZZ_CHECK(NarrowedEquals(wide.data(), other.c_str()) == (!narrowed.empty() && narrowed == other.c_str()));

    // Where every character is ASCII the wide reading of a number is the 8-bit one.
    std::string ascii;
    for (std::size_t i = 0; i < length && wide[i] < 0x80; ++i) ascii += static_cast<char>(wide[i]);
    if (ascii.size() == length) FUZZ_CHECK(ParseLeadingInt(wide.data()) == ParseLeadingInt(ascii.c_str()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input{data, size, 0};
    const int number = input.Int32();
    const std::size_t formatSize = input.Byte() % 24;
    const std::size_t narrowSize = input.Byte() % 40;
    const std::size_t otherLength = input.Byte() % 24;
    std::string other;
    for (std::size_t i = 0; i < otherLength; ++i) other += static_cast<char>(input.Byte());
    const std::string rest = input.Rest();

    CheckFormat(number, formatSize);
    CheckNumbersAndSort(rest);

    std::vector<std::uint16_t> wide;
    for (std::size_t i = 0; i + 1 < rest.size(); i += 2)
        wide.push_back(static_cast<std::uint16_t>(static_cast<std::uint8_t>(rest[i]) |
                                                  static_cast<std::uint8_t>(rest[i + 1]) << 8));
    wide.push_back(0);
    CheckNarrowing(wide, narrowSize, other);
    return 0;
}
