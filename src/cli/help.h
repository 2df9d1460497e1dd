#pragma once
// --help texts: the overview and one per command, in English and Russian (UTF-8).
#include <cstddef>
#include <string>

#include "cli/args.h"

std::string HelpText(int language, Command command);

// Words of text joined into lines of at most width display columns (a longer word stands alone).
std::string WrapText(const std::string& text, std::size_t width);
constexpr const char kVersionText[] = "vireo4 2.0.0 (VireoTool-4 ver.2.00)\n";
