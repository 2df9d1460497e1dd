// SPDX-License-Identifier: Apache-2.0
#pragma once
// Control lines: how a test (or a user) changes the simulated reader while it runs.
// The same words work as command-line options: "--cut 20" is the line "cut 20".
#include <string>
#include <vector>

#include "reader.h"

enum ControlAction {
    ControlDone,      // the reader state was changed
    ControlVanish,    // the line side must close its pty
    ControlReturn,    // the line side must create a new pty
    ControlError,     // the line was not understood; nothing changed
};

// Applies one control line ("silent on", "card 12345 678"). On ControlError, *error says why.
ControlAction ApplyControlLine(ReaderState* reader, const std::string& line, std::string* error);

// How many arguments the word takes when given as an option (--word ...), or -1 when it is
// not a control word. Switches ("silent") take none as options and mean "on".
int OptionArgumentCount(const std::string& word);

// Splits a line at runs of spaces and tabs.
std::vector<std::string> SplitWords(const std::string& line);
