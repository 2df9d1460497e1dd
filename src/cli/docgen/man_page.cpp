// SPDX-License-Identifier: Apache-2.0
#include <string>

#include "cli/docgen/docgen.h"
#include "cli/help.h"
#include "cli/reference.h"
#include "core/family.h"
#include "core/status.h"

namespace {

// ".I PORT", ".RI [ PORT... ]": one argument of a synopsis.
std::string ArgumentLine(const std::string& argument) {
    if (argument.size() > 2 && argument.front() == '[' && argument.back() == ']')
        return ".RI [ " + Roff(argument.substr(1, argument.size() - 2)) + " ]\n";
    return ".I " + Roff(argument) + "\n";
}

// The tag of a command's paragraph in COMMANDS: "find [PORT...]", the arguments in italics.
std::string CommandTag(const CommandRef& command) {
    std::string tag = std::string(".TP\n\\fB") + command.name + "\\fP";
    const std::string arguments = command.arguments.english;
    for (std::size_t start = 0; start < arguments.size();) {
        std::size_t end = arguments.find(' ', start);
        if (end == std::string::npos) end = arguments.size();
        const std::string argument = arguments.substr(start, end - start);
        if (argument.size() > 2 && argument.front() == '[' && argument.back() == ']') {
            tag += " [\\fI" + Roff(argument.substr(1, argument.size() - 2)) + "\\fP]";
        } else {
            tag += " \\fI" + Roff(argument) + "\\fP";
        }
        start = end + 1;
    }
    return tag + "\n";
}

std::string Synopsis() {
    std::string text;
    std::size_t count = 0;
    const CommandRef* commands = CommandRefs(&count);
    for (std::size_t k = 0; k < count; ++k) {
        const CommandRef& command = commands[k];
        text += std::string(".B vireo4 ") + command.name + "\n";
        const std::string arguments = command.arguments.english;
        for (std::size_t start = 0; start < arguments.size();) {
            std::size_t end = arguments.find(' ', start);
            if (end == std::string::npos) end = arguments.size();
            text += ArgumentLine(arguments.substr(start, end - start));
            start = end + 1;
        }
        for (std::size_t o = 0; o < command.optionCount; ++o) {
            const OptionRef& option = command.options[o];
            if (option.TakesValue()) {
                text += ".RB [ " + Roff(option.name) + "\n.IR " + Roff(option.argument.english) + " ]\n";
            } else {
                text += ".RB [ " + Roff(option.name) + " ]\n";
            }
        }
        text += ".RI [ OPTIONS ]\n.br\n";
    }
    return text;
}

std::string SharedOptions() {
    std::string text;
    std::size_t count = 0;
    const OptionRef* options = SharedOptionRefs(&count);
    for (std::size_t k = 0; k < count; ++k) {
        const OptionRef& option = options[k];
        text += ".TP\n";
        if (option.TakesValue()) {
            text += ".BI \"" + Roff(option.name) + " \" " + Roff(option.argument.english) + "\n";
        } else if (option.alias != nullptr) {
            text += ".BR " + Roff(option.name) + " \", \" " + Roff(option.alias) + "\n";
        } else {
            text += ".B " + Roff(option.name) + "\n";
        }
        text += Roff(option.description.english) + "\n";
    }
    return text;
}

std::string Settings() {
    std::string text;
    for (const FamilyRows& family : SettingRows(kEnglish)) {
        text += ".PP\n" + Roff(family.heading) + "\n";
        for (const SettingRow& setting : family.settings) {
            text += ".TP\n.B " + Roff(setting.name) + "\n";
            std::string values;
            for (const ValueRow& value : setting.values) values += (values.empty() ? "" : " \" | \" ") + Roff(value.name);
            text += ".BR " + values + "\n";
            std::string about;
            for (const ValueRow& value : setting.values) {
                if (!value.gloss.empty()) about += (about.empty() ? "" : "; ") + Roff(value.name + ": " + value.gloss);
            }
            if (!setting.note.empty()) about += (about.empty() ? "" : "; ") + Roff(setting.note);
            std::string group = setting.group;
            if (!group.empty() && group.back() == ':') group.pop_back();
            text += (about.empty() ? "" : "(" + about + ") ") + "\\(em the window's group \"" + Roff(group) + "\".\n";
        }
    }
    return text + ".PP\n" + Roff(FirmwareRulesText(kEnglish)) + "\n";
}

// "Nothing came back: no reader (2)."; the first with "(exit status 0)".
std::string StatusWords() {
    std::string text;
    std::size_t count = 0;
    const StatusRef* statuses = StatusRefs(&count);
    for (std::size_t k = 0; k < count; ++k) {
        std::string description = statuses[k].description;
        if (!description.empty() && description.back() == '.') description.pop_back();
        const std::string code = (k == 0 ? "exit status " : "") + std::to_string(ExitCodeOf(statuses[k].status));
        text += ".TP\n.B " + Roff(StatusWord(statuses[k].status)) + "\n" + Roff(description + " (" + code + ").") + "\n";
    }
    return text;
}

std::string ExitStatus() {
    std::string text;
    std::size_t count = 0;
    const ExitCodeRef* codes = ExitCodeRefs(&count);
    for (std::size_t k = 0; k < count; ++k) {
        text += ".TP\n.B " + std::to_string(codes[k].code) + "\n" + Roff(codes[k].description.english) + "\n";
    }
    return text;
}

}  // namespace

Blocks ManPageBlocks() {
    Blocks blocks = {{"SYNOPSIS", Synopsis()}, {"OPTIONS", SharedOptions()}, {"SETTINGS", Settings()},
                     {"STATUS", StatusWords()}, {"EXIT_STATUS", ExitStatus()}};
    std::size_t count = 0;
    const CommandRef* commands = CommandRefs(&count);
    for (std::size_t k = 0; k < count; ++k) blocks[std::string("COMMAND:") + commands[k].name] = CommandTag(commands[k]);
    return blocks;
}
