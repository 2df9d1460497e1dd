#include "core/profile.h"

#include "core/family.h"
#include "core/setting_names.h"

namespace {

constexpr const char* kSectionNames[] = {"kru-krm", "usb"};
constexpr int kFamilyCount = 2;
// A UTF-8 byte order mark, which editors on Windows put at the start of a file.
constexpr const char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kByteOrderMarkLength = 3;

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

// Drops a type that stands beside Touch Memory output: the reader keeps no type then.
void DropTypeBesideTouchMemory(ProfileSection* section) {
    bool touchMemory = false;
    for (const SettingChoice& choice : section->choices) {
        if (choice.index == kFormatIndex && choice.value == static_cast<int>(OutputFormat::TouchMemory)) {
            touchMemory = true;
        }
    }
    if (!touchMemory) return;
    std::vector<SettingChoice> kept;
    for (const SettingChoice& choice : section->choices) {
        if (choice.index != kTypeIndex) kept.push_back(choice);
    }
    section->choices.swap(kept);
}

}  // namespace

const char* ProfileSectionName(int family) {
    return family >= 0 && family < kFamilyCount ? kSectionNames[family] : "";
}

ProfileProblem LookUpSetting(int family, const std::string& name, const std::string& value,
                             SettingChoice* choice) {
    std::size_t count = 0;
    const SettingName* names = SettingNamesOf(family, &count);
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
    std::string all(text, length);
    std::size_t position = 0;
    if (all.compare(0, kByteOrderMarkLength, kByteOrderMark) == 0) position = kByteOrderMarkLength;
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
    if (profile->sections[kUsb].present) DropTypeBesideTouchMemory(&profile->sections[kUsb]);
    return true;
}
