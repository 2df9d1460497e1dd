// SPDX-License-Identifier: Apache-2.0
#include <string>

#include "cli/docgen/docgen.h"
#include "cli/help.h"
#include "cli/reference.h"
#include "core/family.h"
#include "core/status.h"

namespace {

constexpr const char kAsciiEllipsis[] = "...";
constexpr const char kEllipsis[] = "\xE2\x80\xA6";  // U+2026, as the manual's text writes it

std::string Code(const std::string& text) { return Markdown("`" + text + "`"); }

std::string WithEllipsis(std::string text) {
    for (std::size_t at = text.find(kAsciiEllipsis); at != std::string::npos; at = text.find(kAsciiEllipsis, at))
        text.replace(at, sizeof kAsciiEllipsis - 1, kEllipsis);
    return text;
}

std::string Commands(int language) {
    std::string rows;
    std::size_t count = 0;
    const CommandRef* commands = CommandRefs(&count);
    for (std::size_t k = 0; k < count; ++k) {
        rows += "| " + Code(WithEllipsis("vireo4 " + CommandUsage(language, commands[k]))) + " | " +
                Markdown(commands[k].description.In(language)) + " |\n";
    }
    return rows;
}

std::string SharedOptions(int language) {
    std::string rows;
    std::size_t count = 0;
    const OptionRef* options = SharedOptionRefs(&count);
    for (std::size_t k = 0; k < count; ++k) {
        const OptionRef& option = options[k];
        std::string usage = Code(option.TakesValue() ? std::string(option.name) + " " + option.argument.In(language)
                                                     : std::string(option.name));
        if (option.alias != nullptr) usage += ", " + Code(option.alias);
        rows += "| " + usage + " | " + Markdown(option.description.In(language)) + " |\n";
    }
    return rows;
}

std::string Settings(int language) {
    std::string rows;
    for (const FamilyRows& family : SettingRows(language)) {
        rows += "| **" + Markdown(family.heading) + "** | | |\n";
        for (const SettingRow& setting : family.settings) {
            std::string values;
            for (const ValueRow& value : setting.values) {
                values += (values.empty() ? "" : ", ") + Code(value.name) +
                          (value.gloss.empty() ? "" : " (" + Markdown(value.gloss) + ")");
            }
            if (!setting.note.empty()) values += " (" + Markdown(setting.note) + ")";
            rows += "| " + Code(setting.name) + " | " + values + " | " + Markdown(setting.group) + " |\n";
        }
    }
    return rows;
}

std::string ExitCodes(int language) {
    std::string rows;
    std::size_t count = 0;
    const ExitCodeRef* codes = ExitCodeRefs(&count);
    for (std::size_t k = 0; k < count; ++k) {
        rows += "| " + std::to_string(codes[k].code) + " | " + Markdown(codes[k].description.In(language)) + " |\n";
    }
    return rows;
}

std::string StatusWords() {
    std::string words;
    std::size_t count = 0;
    const StatusRef* statuses = StatusRefs(&count);
    for (std::size_t k = 0; k < count; ++k) words += (k ? ", " : "") + Code(StatusWord(statuses[k].status));
    return words + "\n";
}

}  // namespace

Blocks ManualBlocks() {
    Blocks blocks;
    const struct {
        int language;
        const char* suffix;
    } languages[] = {{kRussian, ":ru"}, {kEnglish, ":en"}};
    for (const auto& each : languages) {
        blocks[std::string("commands") + each.suffix] = Commands(each.language);
        blocks[std::string("options") + each.suffix] = SharedOptions(each.language);
        blocks[std::string("settings") + each.suffix] = Settings(each.language);
        blocks[std::string("rules") + each.suffix] = FirmwareRulesText(each.language) + "\n";
        blocks[std::string("exit-codes") + each.suffix] = ExitCodes(each.language);
    }
    blocks["status-words"] = StatusWords();
    return blocks;
}
