#pragma once
// --help texts: the overview and one per command, in English and Russian (UTF-8).
#include <cstddef>
#include <string>

#include "cli/args.h"
#include "version.h"

std::string HelpText(int language, Command command);

// Each line of text fitted into width display columns: a longer line wraps between words, its
// continuation indented under its description (a word longer than width stands alone).
std::string FitLines(const std::string& text, std::size_t width);
constexpr const char kVersionText[] = "vireo4 " VIREO_VERSION " (VireoTool-4 ver." VIREO_VERSION_LABEL ")\n";
