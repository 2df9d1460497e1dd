// SPDX-License-Identifier: Apache-2.0
#pragma once
// Profile files: the settings to give every reader of a family, by the names `read --profile`
// prints, one INI section per family:
//
//   # comment (also "; comment", and after a setting on its line)
//   [kru-krm]
//   interface = wiegand-26
//   [usb]
//   format = touch-memory
//
// Names, values and section names are ASCII and matched without regard to case. The USB
// type may be "none", which means no type; any other type beside "format = touch-memory" in
// the same section is an error, since the reader has no output type then (as on the command
// line). The parser checks every name and value, so a profile that parses can be applied
// without a usage error.
#include <cstddef>
#include <string>
#include <vector>

enum class ProfileProblem : int {
    None,
    BadLine,           // neither a section header, "name = value", a comment nor blank
    UnknownSection,    // word: the section name
    DuplicateSection,  // word: the section name
    OutsideSection,    // a setting before the first section header
    UnknownName,       // word: the name; family: the section's
    UnknownValue,      // word: the value; name: the setting
    DuplicateName,     // word: the name
    TypeBesideTouchMemory,  // a USB type other than "none" and "format = touch-memory" together;
                            // line: the type's
};

// One setting: its index in SettingsOf(family) and the value (0 for type "none").
struct SettingChoice {
    std::size_t index;
    int value;
    int line;  // 1-based line in the profile; 0 when it came from elsewhere
};

struct ProfileSection {
    bool present;
    std::vector<SettingChoice> choices;
};

struct Profile {
    ProfileSection sections[2];  // by ReaderFamily
};

struct ProfileError {
    ProfileProblem problem;
    int line;
    int family;        // the section's family, -1 outside any section
    std::string word;  // the offending section name, setting name or value
    std::string name;  // the setting, for UnknownValue
};

// The section name of a family: "kru-krm" or "usb".
const char* ProfileSectionName(int family);

// The profile's bytes as UTF-8 text: UTF-16 as Notepad saves "Unicode" (little or big endian,
// known by its byte order mark or, without one, by the zero byte of its first character) is
// converted, a UTF-8 byte order mark dropped, anything else kept as it is. Invalid UTF-16
// becomes U+FFFD.
std::string ProfileTextFromBytes(const char* bytes, std::size_t length);

// Parses a whole profile from its bytes (ProfileTextFromBytes first). False with error filled
// at the first problem.
bool ParseProfile(const char* text, std::size_t length, Profile* profile, ProfileError* error);

// One "name = value" for a family, as a profile line or a command line gives it. Returns
// None and fills choice, or UnknownName / UnknownValue.
ProfileProblem LookUpSetting(int family, const std::string& name, const std::string& value,
                             SettingChoice* choice);
