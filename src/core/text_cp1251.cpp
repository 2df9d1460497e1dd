// SPDX-License-Identifier: Apache-2.0
#include "core/text_cp1251.h"

#include <cstdint>

namespace {

constexpr unsigned char kFirstCyrillicLetter = 0xC0;  // 'А' (U+0410) .. 'я' (U+044F) follow
constexpr char32_t kCyrillicCapitalA = 0x0410;
constexpr unsigned char kUpperHalf = 0x80;

// Code points of 0x80..0xBF; 0x98 is not assigned and becomes U+FFFD.
constexpr char32_t kUpperHalfTable[0x40] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

void AppendUtf8(char32_t code, std::string* out) {
    if (code < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    } else {
        out->push_back(static_cast<char>(0xE0 | (code >> 12)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    }
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
}

}  // namespace

std::string Cp1251ToUtf8(const char* text) {
    std::string out;
    if (text == nullptr) return out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        if (*p < kUpperHalf) {
            out.push_back(static_cast<char>(*p));
        } else if (*p >= kFirstCyrillicLetter) {
            AppendUtf8(kCyrillicCapitalA + (*p - kFirstCyrillicLetter), &out);
        } else {
            AppendUtf8(kUpperHalfTable[*p - kUpperHalf], &out);
        }
    }
    return out;
}
