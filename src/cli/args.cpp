// SPDX-License-Identifier: Apache-2.0
#include "cli/args.h"

#include <algorithm>
#include <cstdlib>

#include "cli/messages.h"
#include "cli/reference.h"
#include "core/family.h"

namespace {

// The options a command takes, as the reference lists them: those of every command, its own,
// and --version. Null for an option it does not take.
const OptionRef* FindOption(const CommandRef* command, const std::string& name) {
    std::size_t count = 0;
    const OptionRef* shared = SharedOptionRefs(&count);
    for (std::size_t k = 0; k < count; ++k) {
        if (name == shared[k].name) return &shared[k];
    }
    for (std::size_t k = 0; command != nullptr && k < command->optionCount; ++k) {
        if (name == command->options[k].name) return &command->options[k];
    }
    return nullptr;
}

// Their names, for the nearest one: --version after the command's own.
std::vector<std::string> OptionNames(const CommandRef* command) {
    std::vector<std::string> names;
    std::size_t count = 0;
    const OptionRef* shared = SharedOptionRefs(&count);
    for (std::size_t k = 0; k < count; ++k) {
        if (std::string(shared[k].name) != kVersionOption) names.push_back(shared[k].name);
    }
    for (std::size_t k = 0; command != nullptr && k < command->optionCount; ++k) names.push_back(command->options[k].name);
    names.push_back(kVersionOption);
    return names;
}

// The option another spelling stands for ("/?", as Windows console tools answer with their
// help), or null.
const OptionRef* AliasedOption(const std::string& arg) {
    std::size_t count = 0;
    const OptionRef* shared = SharedOptionRefs(&count);
    for (std::size_t k = 0; k < count; ++k) {
        if (shared[k].alias != nullptr && arg == shared[k].alias) return &shared[k];
    }
    return nullptr;
}

constexpr int kMaxTimeoutMs = 60000;
constexpr int kMinTimeoutMs = 1;

std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

struct Parser {
    int language;
    std::string* error;

    bool Fail(Msg id, const std::string& first = std::string(), const std::string& second = std::string()) {
        *error = Format(MessageText(language, id), first, second);
        return false;
    }
    bool FailSuggesting(Msg id, const std::string& word, const std::vector<std::string>& candidates) {
        Fail(id, word);
        std::string nearest = NearestName(word, candidates);
        if (!nearest.empty()) *error += "; " + Format(MessageText(language, Msg::UsageDidYouMean), nearest);
        return false;
    }
};

bool ParseTimeout(const std::string& text, int* value) {
    if (text.empty() || text.size() > 6) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    int number = std::atoi(text.c_str());
    if (number < kMinTimeoutMs || number > kMaxTimeoutMs) return false;
    *value = number;
    return true;
}

// --lang is read before anything else, so every message is in the language asked for.
int LanguageOf(int argc, char** argv, int fallback) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        if (arg == "--lang" && i + 1 < argc) value = argv[i + 1];
        if (arg.rfind("--lang=", 0) == 0) value = arg.substr(7);
        if (value == "ru") return kRussian;
        if (value == "en") return kEnglish;
    }
    return fallback;
}

}  // namespace

const char* CommandName(Command command) {
    const CommandRef* entry = FindCommandRef(command);
    return entry != nullptr ? entry->name : "";
}

std::string NearestName(const std::string& word, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t bestDistance = 0;
    for (const std::string& candidate : candidates) {
        std::size_t distance = EditDistance(word, candidate);
        if (best.empty() || distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    std::size_t allowed = std::max<std::size_t>(2, word.size() / 3);
    return bestDistance <= allowed ? best : std::string();
}

bool ParseArguments(int argc, char** argv, int defaultLanguage, Options* options, std::string* error) {
    *options = Options{};
    options->language = LanguageOf(argc, argv, defaultLanguage);
    for (int i = 1; i < argc; ++i) options->json = options->json || std::string(argv[i]) == "--json";
    Parser parser{options->language, error};
    const CommandRef* command = nullptr;
    std::size_t commandCount = 0;
    const CommandRef* commands = CommandRefs(&commandCount);
    std::vector<std::string> positional;
    bool optionsEnded = false;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        const OptionRef* aliased = optionsEnded ? nullptr : AliasedOption(arg);
        if (aliased != nullptr && std::string(aliased->name) == kHelpOption) {
            options->help = true;
            continue;
        }
        bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (command == nullptr) {
                for (std::size_t k = 0; k < commandCount; ++k) {
                    if (arg == commands[k].name) command = &commands[k];
                }
                if (command == nullptr) {
                    std::vector<std::string> names;
                    for (std::size_t k = 0; k < commandCount; ++k) names.push_back(commands[k].name);
                    return parser.FailSuggesting(Msg::UsageUnknownCommand, arg, names);
                }
                options->command = command->command;
                options->commandName = command->name;
            } else {
                positional.push_back(arg);
            }
            continue;
        }

        std::string name = arg;
        std::string value;
        bool hasValue = false;
        std::size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            hasValue = true;
        }
        if (name == "-h") name = kHelpOption;
        // As the help says, --version is an option of every command too.
        if (name == "-V") name = "--version";
        if (name == kVersionOption && !hasValue) {
            options->version = true;
            continue;
        }

        const OptionRef* option = FindOption(command, name);
        if (option == nullptr) return parser.FailSuggesting(Msg::UsageUnknownOption, name, OptionNames(command));
        const bool takesValue = option->TakesValue();
        if (takesValue && !hasValue) {
            if (i + 1 >= argc) return parser.Fail(Msg::UsageMissingValue, name);
            value = argv[++i];
        } else if (!takesValue && hasValue) {
            return parser.Fail(Msg::UsageExtraArgument, arg);
        }

        if (name == kHelpOption) {
            options->help = true;
        } else if (name == "--json") {
            options->json = true;
        } else if (name == "--verbose") {
            options->verbose = true;
        } else if (name == "--timeout") {
            if (!ParseTimeout(value, &options->timeoutMs)) return parser.Fail(Msg::UsageBadNumber, name, value);
        } else if (name == "--lang") {
            if (value != "ru" && value != "en") return parser.Fail(Msg::UsageBadLanguage, value);
        } else if (name == "--raw") {
            options->raw = true;
            options->rawChars = value;
        } else if (name == "--profile") {
            options->profileOut = true;
        } else if (name == "--dry-run") {
            options->dryRun = true;
        } else if (name == "--watch") {
            options->watch = true;
        } else if (name == "--csv") {
            options->csv = value;
        }
    }

    if (options->help || options->version || command == nullptr) return true;

    switch (options->command) {
        case Command::Ports:
            if (!positional.empty()) return parser.Fail(Msg::UsageExtraArgument, positional[0]);
            break;
        case Command::Find:
            options->ports = positional;
            break;
        case Command::Read:
        case Command::Card:
            if (positional.empty()) return parser.Fail(Msg::UsageMissingPort);
            if (positional.size() > 1) return parser.Fail(Msg::UsageExtraArgument, positional[1]);
            options->ports = positional;
            break;
        case Command::Write:
            if (positional.empty()) return parser.Fail(Msg::UsageMissingPort);
            options->ports.push_back(positional[0]);
            for (std::size_t k = 1; k < positional.size(); ++k) {
                if (positional[k].find('=') == std::string::npos) return parser.Fail(Msg::UsageBadAssignment, positional[k]);
                options->assignments.push_back(positional[k]);
            }
            if (options->raw && !options->assignments.empty()) return parser.Fail(Msg::UsageRawAndNames);
            if (!options->raw && options->assignments.empty()) return parser.Fail(Msg::UsageMissingSettings);
            break;
        case Command::Apply:
            if (positional.empty()) return parser.Fail(Msg::UsageMissingProfile);
            options->profile = positional[0];
            options->ports.assign(positional.begin() + 1, positional.end());
            break;
        case Command::None:
            break;
    }
    return true;
}
