// SPDX-License-Identifier: Apache-2.0
#include "cli/text_fallback.h"

namespace {

struct Fallback {
    char32_t code;
    const char* ascii;
};

constexpr Fallback kPunctuation[] = {
    {0x2192, "->"},  {0x2190, "<-"},  {0x2013, "-"},   {0x2014, "-"},  {0x2212, "-"},  {0x2026, "..."},
    {0x00AB, "\""},  {0x00BB, "\""},  {0x201C, "\""},  {0x201D, "\""}, {0x201E, "\""}, {0x2018, "'"},
    {0x2019, "'"},   {0x00A0, " "},   {0x2116, "No."}, {0x00D7, "x"},  {0xFFFD, "?"},
};

// Russian letters as they are commonly spelt in Latin ones, from U+0430 'а' on.
constexpr const char* kCyrillicLower[] = {
    "a", "b", "v", "g", "d", "e", "zh", "z", "i", "y", "k", "l", "m", "n", "o", "p",
    "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "\"", "y", "'", "e", "yu", "ya",
};
constexpr const char* kCyrillicUpper[] = {
    "A", "B", "V", "G", "D", "E", "Zh", "Z", "I", "Y", "K", "L", "M", "N", "O", "P",
    "R", "S", "T", "U", "F", "Kh", "Ts", "Ch", "Sh", "Shch", "\"", "Y", "'", "E", "Yu", "Ya",
};
constexpr char32_t kCapitalA = 0x0410;
constexpr char32_t kSmallA = 0x0430;
constexpr char32_t kLetterCount = 32;
constexpr char32_t kCapitalYo = 0x0401;
constexpr char32_t kSmallYo = 0x0451;

// Latin-1 letters without their accents, from U+00C0 'A' with grave on; '*' marks the few
// written with two letters, found in kLatinPairs.
constexpr char32_t kLatinFirst = 0x00C0;
constexpr char kLatinBase[] = "AAAAAA*CEEEEIIIIDNOOOOOxOUUUUY**aaaaaa*ceeeeiiiidnooooo/ouuuuy*y";
constexpr Fallback kLatinPairs[] = {{0x00C6, "AE"}, {0x00DE, "Th"}, {0x00DF, "ss"}, {0x00E6, "ae"}, {0x00FE, "th"}};
constexpr char32_t kLatinCount = sizeof kLatinBase - 1;
// One character of kLatinBase as a text.
constexpr const char* kLatinLetters[] = {
    "A", "C", "E", "I", "D", "N", "O", "x", "U", "Y", "a", "c", "e", "i", "d", "n", "o", "/", "u", "y",
};

}  // namespace

const char* AsciiFallback(char32_t code) {
    for (const Fallback& entry : kPunctuation)
        if (entry.code == code) return entry.ascii;
    if (code >= kCapitalA && code < kCapitalA + kLetterCount) return kCyrillicUpper[code - kCapitalA];
    if (code >= kSmallA && code < kSmallA + kLetterCount) return kCyrillicLower[code - kSmallA];
    if (code == kCapitalYo) return "Yo";
    if (code == kSmallYo) return "yo";
    if (code >= kLatinFirst && code < kLatinFirst + kLatinCount) {
        for (const Fallback& entry : kLatinPairs)
            if (entry.code == code) return entry.ascii;
        const char base = kLatinBase[code - kLatinFirst];
        for (const char* letter : kLatinLetters)
            if (letter[0] == base) return letter;
    }
    return nullptr;
}
