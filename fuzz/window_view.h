// SPDX-License-Identifier: Apache-2.0
#pragma once
// The configuration file as the window uses it: loading fills and saving writes the window's
// two values.
#include "gui/texts.h"

inline void LoadInto(const char* path) {
    const AppConfig config = LoadConfigFile(path);
    g_uiLanguage = config.language;
    g_readerFamily = config.family;
}

inline bool WriteWindowConfig(const char* path) {
    return WriteConfigFile(path, AppConfig{g_uiLanguage, g_readerFamily});
}
