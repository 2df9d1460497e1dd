#pragma once
// --help texts: the overview and one per command, in English and Russian (UTF-8).
#include <string>

#include "cli/args.h"

std::string HelpText(int language, Command command);
constexpr const char kVersionText[] = "vireo4 2.0.0 (VireoTool-4 ver.2.00)\n";
