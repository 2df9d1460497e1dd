// SPDX-License-Identifier: Apache-2.0
#include "core/port_names.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kPortPrefixLength = 3;  // "COM", ignored whatever the characters are

bool IsSpace(unsigned c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(unsigned c) { return c >= '0' && c <= '9'; }

// atoi without its undefined overflow: skip white space, take an optional sign, then digits.
template <typename Char>
int LeadingInt(const Char* text) {
    std::size_t i = 0;
    while (IsSpace(static_cast<unsigned>(text[i]))) ++i;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    long long value = 0;
    for (; IsDigit(static_cast<unsigned>(text[i])); ++i) {
        value = value * 10 + (static_cast<unsigned>(text[i]) - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace

int ParseLeadingInt(const char* text) { return LeadingInt(text); }
int ParseLeadingInt(const std::uint16_t* text) { return LeadingInt(text); }

int PortNumberFromText(const char* text) {
    if (std::strlen(text) <= static_cast<std::size_t>(kPortPrefixLength)) return 0;
    return LeadingInt(text + kPortPrefixLength);
}

int SortedPortNumbers(const char* const* entries, int count, int* numbers) {
    int n = 0;
    for (int i = 0; i < count && i < kMaxListedPorts; ++i) numbers[n++] = PortNumberFromText(entries[i]);
    // A plain comparison: subtracting the two numbers could overflow for extreme values.
    std::sort(numbers, numbers + n);
    return n;
}

void FormatPortName(int number, char* out, std::size_t size) {
    if (size == 0) return;
    std::snprintf(out, size, "COM%d", number);
}

bool NarrowLowBytes(const std::uint16_t* wide, char* out, std::size_t size) {
    if (size == 0) return false;
    std::size_t i = 0;
    for (; wide[i] != 0; ++i) {
        if (i + 1 >= size) {
            out[0] = '\0';
            return false;
        }
        out[i] = static_cast<char>(wide[i] & 0xFF);
    }
    out[i] = '\0';
    return true;
}

bool NarrowedEquals(const std::uint16_t* wide, const char* name) {
    // Narrowing ends the text at the first character whose low byte is zero, as the
    // 8-bit comparison would see it.
    std::size_t i = 0;
    for (; (wide[i] & 0xFF) != 0; ++i) {
        if (name[i] == '\0' || static_cast<char>(wide[i] & 0xFF) != name[i]) return false;
    }
    return i > 0 && name[i] == '\0';
}
