#pragma once
// --help texts: the overview and one per command, in English and Russian (UTF-8).
#include <cstddef>
#include <string>

#include "cli/args.h"

std::string HelpText(int language, Command command);

// Each line of text fitted into width display columns: a longer line wraps between words, its
// continuation indented under its description (a word longer than width stands alone).
std::string FitLines(const std::string& text, std::size_t width);
constexpr const char kVersionText[] = "vireo4 2.0.0 (VireoTool-4 ver.2.00)\n"
                                       "License: Apache-2.0 <https://www.apache.org/licenses/LICENSE-2.0>\n";
