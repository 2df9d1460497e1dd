// SPDX-License-Identifier: Apache-2.0
#pragma once
// The two choices remembered between runs, and the file "appconfig.ini" that holds them
// (stdio only). The window keeps the values it runs with; SaveConfig and its warning box live
// on the window's side.
#include "core/family.h"

constexpr const char* kConfigFileName = "appconfig.ini";

struct AppConfig {
    int language;  // UiLanguage
    int family;    // ReaderFamily
};

// Reads the file at path: both values fall back to 0 for any line not recognised; when the
// file cannot be opened for reading it is created (emptied) with the default content, or,
// when that fails too, left alone. Never fails.
AppConfig LoadConfigFile(const char* path);

// Writes both lines to the start of the file at path, keeping every byte that followed
// its second line. Returns false when any step fails; nothing is written when the file
// cannot be opened for update, cannot be read or cannot grow to its new size, and the two
// lines are written only after the bytes that follow them have been moved into place.
bool WriteConfigFile(const char* path, const AppConfig& config);
