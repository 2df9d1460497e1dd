// SPDX-License-Identifier: Apache-2.0
#pragma once
// The window's current language: the values read from appconfig.ini at start-up and the text
// of every entry in the language in use.
#include "core/config.h"
#include "core/ui_text.h"

extern int g_uiLanguage;    // UiLanguage
extern int g_readerFamily;  // ReaderFamily

// The current text of every entry; valid after FillUiText.
extern const char* UiText[TextCount];

// Points every entry at its text in the column of g_uiLanguage.
void FillUiText();

// Reads appconfig.ini in the working directory (or creates the default one) and sets both
// values; never fails.
void LoadConfig();
// Writes the file in the working directory; shows the warning box when it cannot be
// opened. Result unused by every caller.
bool SaveConfig();
