#include "cli/args.h"

#include <algorithm>
#include <cstdlib>

#include "cli/messages.h"
#include "core/family.h"

namespace {

struct CommandEntry {
    Command command;
    const char* name;
    std::vector<std::string> options;  // besides the shared ones
};

const std::vector<std::string>& SharedOptions() {
    static const std::vector<std::string> shared = {"--json", "--timeout", "--lang", "--help", "--verbose"};
    return shared;
}

const std::vector<CommandEntry>& Commands() {
    static const std::vector<CommandEntry> commands = {
        {Command::Ports, "ports", {}},
        {Command::Find, "find", {}},
        {Command::Read, "read", {"--raw", "--profile"}},
        {Command::Write, "write", {"--raw", "--dry-run"}},
        {Command::Apply, "apply", {"--dry-run"}},
        {Command::Card, "card", {"--watch", "--csv"}},
    };
    return commands;
}

constexpr const char kWindowsHelpSwitch[] = "/?";
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
    for (const CommandEntry& entry : Commands()) {
        if (entry.command == command) return entry.name;
    }
    return "";
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
    const CommandEntry* command = nullptr;
    std::vector<std::string> positional;
    bool optionsEnded = false;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        // Windows console tools answer "/?" with their help.
        if (!optionsEnded && arg == kWindowsHelpSwitch) {
            options->help = true;
            continue;
        }
        bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (command == nullptr) {
                for (const CommandEntry& entry : Commands()) {
                    if (arg == entry.name) command = &entry;
                }
                if (command == nullptr) {
                    std::vector<std::string> names;
                    for (const CommandEntry& entry : Commands()) names.push_back(entry.name);
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
        if (name == "-h") name = "--help";
        // As the help says, --version is an option of every command too.
        if (name == "-V") name = "--version";
        if (name == "--version" && !hasValue) {
            options->version = true;
            continue;
        }

        std::vector<std::string> valid = SharedOptions();
        if (command != nullptr) valid.insert(valid.end(), command->options.begin(), command->options.end());
        valid.push_back("--version");
        if (std::find(valid.begin(), valid.end(), name) == valid.end()) {
            return parser.FailSuggesting(Msg::UsageUnknownOption, name, valid);
        }
        bool takesValue = name == "--timeout" || name == "--lang" || name == "--csv" ||
                          (name == "--raw" && options->command == Command::Write);
        if (takesValue && !hasValue) {
            if (i + 1 >= argc) return parser.Fail(Msg::UsageMissingValue, name);
            value = argv[++i];
        } else if (!takesValue && hasValue) {
            return parser.Fail(Msg::UsageExtraArgument, arg);
        }

        if (name == "--help") {
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
