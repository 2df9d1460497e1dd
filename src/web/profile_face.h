// SPDX-License-Identifier: Apache-2.0
#pragma once
// Profiles on the page: saved in the format vireo4 reads and writes, parsed by the core's parser,
// problems named on their line in the page's language.
#include <string>

#include "web/settings_face.h"

// {"text", "fileName"}: "# <label>: <model>, <firmware>", the family's section and one
// "name = value" per setting the reader holds, as `vireo4 read --profile` writes it.
std::string ProfileTextJson(const PageReader& reader, const std::string& label);

// {"ok", "error", "sections": {"kru-krm": bool, "usb": bool}}; error is "line N: problem". The
// bytes are the file's: the core's parser reads UTF-8 (with or without a byte order mark) and
// UTF-16, as Notepad saves "Unicode".
std::string ProfileCheckJson(const std::string& text, int language);

// The profile as the core's parser reads it; false for one ProfileCheckJson calls bad.
bool ParsePageProfile(const std::string& text, Profile* profile);
