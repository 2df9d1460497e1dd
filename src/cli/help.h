// SPDX-License-Identifier: Apache-2.0
#pragma once
// --help texts: the overview and one per command, in English and Russian (UTF-8).
#include <cstddef>
#include <string>

#include "cli/args.h"
#include "cli/reference.h"
#include "core/version.h"

std::string HelpText(int language, Command command);

// "Settings of the USB reader ([usb]):", and the note a setting's values carry ("none with
// format=touch-memory"), "" for most.
std::string SettingsHeading(int language, int family);
std::string SettingNote(int language, int family, std::size_t index);

// "Firmware rules: interface=wiegand-58 needs a KRM reader ...": every rule of the core, one
// sentence, no line end.
std::string FirmwareRulesText(int language);

// The exit codes in one sentence, as the overview ends.
std::string ExitCodesSentence(int language);

// "find [PORT...]", "--timeout MS", "--help, /?": a command or option as the help shows it.
std::string CommandUsage(int language, const CommandRef& command);
std::string OptionUsage(int language, const OptionRef& option);

// Each line of text fitted into width display columns: a longer line wraps between words, its
// continuation indented under its description (a word longer than width stands alone).
std::string FitLines(const std::string& text, std::size_t width);
constexpr const char kVersionText[] = "vireo4 " VIREO_VERSION " (VireoTool-4 ver." VIREO_VERSION_LABEL ")\n"
                                       "License: Apache-2.0 <https://www.apache.org/licenses/LICENSE-2.0>\n";
