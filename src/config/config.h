#pragma once
// The two choices remembered between runs, and the file "appconfig.ini" that holds them.
// Everything here is portable (stdio only); SaveConfig's warning box lives in config_win.cpp.

enum UiLanguage : int { kRussian = 0, kEnglish = 1 };
enum ReaderFamily : int { kKruKrm = 0, kUsb = 1 };

extern int g_uiLanguage;    // UiLanguage
extern int g_readerFamily;  // ReaderFamily

constexpr const char* kConfigFileName = "appconfig.ini";

// Reads the file (or creates the default one) and sets both values; never fails.
void LoadConfig();

// Writes both lines to the file at path. Returns false, writing nothing, when the file
// cannot be opened for update.
bool WriteConfigFile(const char* path);

// Writes the file in the working directory; shows the warning box when it cannot be
// opened. Result unused by every caller.
bool SaveConfig();
