// SPDX-License-Identifier: Apache-2.0
#pragma once
// Portable part of opening the help file: what the shell's answer means and the text of
// the box for an unexpected failure.
#include <cstddef>
#include <cstdint>

#include "core/version.h"

constexpr const char* kHelpFilePath = "help\\" VIREO_MANUAL_NAME;

enum HelpOutcome : int {
    HelpOpened,      // the shell has opened the file
    HelpNotFound,    // the file or its folder is missing
    HelpNoViewer,    // no program is associated with PDF files
    HelpFailed,      // any other failure: reported with its number
};

// r is the shell's result taken as a signed pointer-sized integer.
HelpOutcome ClassifyHelpResult(std::intptr_t r);

// "<message>\n\r[<label>: <code>]" with the code as an unsigned 64-bit decimal number.
// Always NUL-terminates within size (size > 0); returns false when it had to cut.
bool FormatHelpFailure(char* out, std::size_t size, const char* message, const char* label, std::intptr_t r);
