#pragma once
// The two choices remembered between runs, and the file "appconfig.ini" that holds them.
// Everything here is portable (stdio only); SaveConfig's warning box lives in config_win.cpp.

enum UiLanguage : int { kRussian = 0, kEnglish = 1 };
enum ReaderFamily : int { kKruKrm = 0, kUsb = 1 };

extern int g_uiLanguage;    // UiLanguage
extern int g_readerFamily;  // ReaderFamily

constexpr const char* kConfigFileName = "appconfig.ini";

// Reads the file in the working directory (or creates the default one) and sets both
// values; never fails.
void LoadConfig();

// LoadConfig on the file at path: both values fall back to 0 for any line not recognised;
// when the file cannot be opened for reading it is created (emptied) with the default
// content, or, when that fails too, left alone.
void LoadConfigFile(const char* path);

// Writes both lines to the start of the file at path, keeping every byte that followed
// its second line. Returns false when any step fails; nothing is written when the file
// cannot be opened for update, cannot be read or cannot grow to its new size, and the two
// lines are written only after the bytes that follow them have been moved into place.
bool WriteConfigFile(const char* path);

// Writes the file in the working directory; shows the warning box when it cannot be
// opened. Result unused by every caller.
bool SaveConfig();
