// SPDX-License-Identifier: Apache-2.0
#include "core/profile.h"

#include "core/family.h"
#include "core/setting_names.h"

namespace {

constexpr const char* kSectionNames[] = {"kru-krm", "usb"};
constexpr int kFamilyCount = 2;
// Byte order marks, which editors on Windows put at the start of a file.
constexpr const char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kByteOrderMarkLength = 3;
constexpr unsigned char kUtf16First[2] = {0xFF, 0xFE};  // little endian: FF FE; big: FE FF
constexpr std::size_t kUtf16UnitSize = 2;
constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kHighSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateEnd = 0xE000;
constexpr char32_t kSupplementaryFirst = 0x10000;
constexpr int kSurrogateBits = 10;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

int FamilyOfSection(const std::string& name) {
    for (int family = 0; family < kFamilyCount; ++family) {
        if (name == kSectionNames[family]) return family;
    }
    return -1;
}

bool Fail(ProfileError* error, ProfileProblem problem, int line, int family, const std::string& word,
          const std::string& name = std::string()) {
    error->problem = problem;
    error->line = line;
    error->family = family;
    error->word = word;
    error->name = name;
    return false;
}

// A type other than "none" beside Touch Memory output: the reader keeps no type then, so the
// profile asks for something no reader can hold. Returns the type's line, or 0.
int TypeBesideTouchMemoryLine(const ProfileSection& section) {
    bool touchMemory = false;
    int typeLine = 0;
    for (const SettingChoice& choice : section.choices) {
        if (choice.index == kFormatIndex && choice.value == static_cast<int>(OutputFormat::TouchMemory)) touchMemory = true;
        if (choice.index == kTypeIndex && choice.value != 0) typeLine = choice.line;
    }
    return touchMemory ? typeLine : 0;
}

void AppendUtf8(char32_t code, std::string* out) {
    if (code < 0x80) {
        out->push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (code >> 6)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (code >> 12)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (code >> 18)));
        out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

std::string Utf16ToUtf8(const unsigned char* bytes, std::size_t length, bool bigEndian) {
    auto unitAt = [&](std::size_t at) -> char32_t {
        return bigEndian ? (bytes[at] << 8) | bytes[at + 1] : (bytes[at + 1] << 8) | bytes[at];
    };
    std::string out;
    std::size_t at = 0;
    for (; at + kUtf16UnitSize <= length; at += kUtf16UnitSize) {
        char32_t unit = unitAt(at);
        if (unit >= kHighSurrogateFirst && unit < kLowSurrogateFirst && at + 2 * kUtf16UnitSize <= length) {
            const char32_t low = unitAt(at + kUtf16UnitSize);
            if (low >= kLowSurrogateFirst && low < kSurrogateEnd) {
                AppendUtf8(kSupplementaryFirst + ((unit - kHighSurrogateFirst) << kSurrogateBits) +
                               (low - kLowSurrogateFirst),
                           &out);
                at += kUtf16UnitSize;
                continue;
            }
        }
        AppendUtf8(unit >= kHighSurrogateFirst && unit < kSurrogateEnd ? kReplacement : unit, &out);
    }
    if (at < length) AppendUtf8(kReplacement, &out);  // half a character at the end
    return out;
}

}  // namespace

std::string ProfileTextFromBytes(const char* text, std::size_t length) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    if (bytes == nullptr) return std::string();
    if (length >= kUtf16UnitSize) {
        if (bytes[0] == kUtf16First[0] && bytes[1] == kUtf16First[1])
            return Utf16ToUtf8(bytes + kUtf16UnitSize, length - kUtf16UnitSize, false);
        if (bytes[0] == kUtf16First[1] && bytes[1] == kUtf16First[0])
            return Utf16ToUtf8(bytes + kUtf16UnitSize, length - kUtf16UnitSize, true);
        // Without a mark: a profile begins with ASCII, whose UTF-16 form has a zero byte.
        if (bytes[0] != 0 && bytes[1] == 0) return Utf16ToUtf8(bytes, length, false);
        if (bytes[0] == 0 && bytes[1] != 0) return Utf16ToUtf8(bytes, length, true);
    }
    std::string all(text, length);
    if (all.compare(0, kByteOrderMarkLength, kByteOrderMark) == 0) all.erase(0, kByteOrderMarkLength);
    return all;
}

const char* ProfileSectionName(int family) {
    return family >= 0 && family < kFamilyCount ? kSectionNames[family] : "";
}

ProfileProblem LookUpSetting(int family, const std::string& name, const std::string& value,
                             SettingChoice* choice) {
    std::size_t count = 0;
    const SettingFacts* names = SettingsOf(family, &count);
    std::string key = Lower(name);
    for (std::size_t index = 0; index < count; ++index) {
        if (key != names[index].name) continue;
        std::string word = Lower(value);
        int found = FindSettingValue(names[index], word.c_str());
        if (found < 0 && family == kUsb && index == kTypeIndex && word == kNoTypeName) found = 0;
        if (found < 0) return ProfileProblem::UnknownValue;
        choice->index = index;
        choice->value = found;
        return ProfileProblem::None;
    }
    return ProfileProblem::UnknownName;
}

bool ParseProfile(const char* text, std::size_t length, Profile* profile, ProfileError* error) {
    *profile = Profile{};
    *error = ProfileError{ProfileProblem::None, 0, -1, std::string(), std::string()};
    const std::string all = ProfileTextFromBytes(text, length);
    std::size_t position = 0;
    int family = -1;
    for (int line = 1; position <= all.size(); ++line) {
        std::size_t end = all.find('\n', position);
        if (end == std::string::npos) end = all.size();
        std::string content = all.substr(position, end - position);
        position = end + 1;
        // A comment runs from '#' or ';' to the line end; no name or value contains either.
        content = Trim(content.substr(0, content.find_first_of("#;")));
        if (content.empty()) continue;

        if (content[0] == '[') {
            if (content.back() != ']') return Fail(error, ProfileProblem::BadLine, line, family, content);
            std::string name = Lower(Trim(content.substr(1, content.size() - 2)));
            family = FamilyOfSection(name);
            if (family < 0) return Fail(error, ProfileProblem::UnknownSection, line, -1, name);
            if (profile->sections[family].present) {
                return Fail(error, ProfileProblem::DuplicateSection, line, family, name);
            }
            profile->sections[family].present = true;
            continue;
        }

        std::size_t equals = content.find('=');
        if (equals == std::string::npos) return Fail(error, ProfileProblem::BadLine, line, family, content);
        std::string name = Lower(Trim(content.substr(0, equals)));
        std::string value = Trim(content.substr(equals + 1));
        if (name.empty() || value.empty()) return Fail(error, ProfileProblem::BadLine, line, family, content);
        if (family < 0) return Fail(error, ProfileProblem::OutsideSection, line, -1, name);

        SettingChoice choice{0, 0, line};
        ProfileProblem problem = LookUpSetting(family, name, value, &choice);
        if (problem == ProfileProblem::UnknownValue) return Fail(error, problem, line, family, value, name);
        if (problem != ProfileProblem::None) return Fail(error, problem, line, family, name);
        for (const SettingChoice& earlier : profile->sections[family].choices) {
            if (earlier.index == choice.index) return Fail(error, ProfileProblem::DuplicateName, line, family, name);
        }
        profile->sections[family].choices.push_back(choice);
    }
    const int typeLine = TypeBesideTouchMemoryLine(profile->sections[kUsb]);
    std::size_t count = 0;
    const char* typeName = SettingsOf(kUsb, &count)[kTypeIndex].name;
    if (typeLine > 0) return Fail(error, ProfileProblem::TypeBesideTouchMemory, typeLine, kUsb, typeName);
    return true;
}
