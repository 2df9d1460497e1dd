// SPDX-License-Identifier: Apache-2.0
#include "cli/output.h"

#include <algorithm>

#include "cli/messages.h"
#include "cli/settings_by_name.h"
#include "core/commands.h"
#include "core/family.h"
#include "core/profile.h"
#include "core/reader_model.h"

namespace {

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

nlohmann::json SettingsJson(const Reader& reader) {
    if (!reader.Known() || reader.chars.empty()) return nullptr;
    nlohmann::json settings = nlohmann::json::object();
    for (const auto& named : NamedSettings(reader)) settings[named.first] = named.second;
    return settings;
}

}  // namespace

namespace {

// A reader that names no model is known by its family: null for the serial-line family.
const char* NamedModel(const Reader& reader) {
    const char* name = ModelShortName(ModelOfLetter(reader.model));
    if (name != nullptr) return name;
    if (reader.model != kModelNone && reader.family == kUsb) return ModelShortName(ReaderModel::Usb);
    return nullptr;
}

}  // namespace

std::string ModelName(const Reader& reader) {
    const char* name = NamedModel(reader);
    return name != nullptr ? name : MessageText(kEnglish, Msg::SerialLineReader);
}

std::string ModelText(int language, const Reader& reader) {
    const char* name = NamedModel(reader);
    return name != nullptr ? name : MessageText(language, Msg::SerialLineReader);
}

std::string ReasonOf(int language, const PortOutcome& outcome) {
    return outcome.detail.empty() ? StatusText(language, outcome.status) : outcome.detail;
}

std::string SettingsLine(const Reader& reader) {
    std::string line;
    for (const auto& named : NamedSettings(reader)) line += (line.empty() ? "" : " ") + named.second;
    return line;
}

nlohmann::json ReaderJson(int language, const PortOutcome& outcome, bool withWrite) {
    const Reader& reader = outcome.before;
    nlohmann::json json;
    json["port"] = outcome.port;
    json["model"] = reader.Known() ? nlohmann::json(ModelName(reader)) : nlohmann::json(nullptr);
    json["family"] = reader.Known() ? nlohmann::json(ProfileSectionName(reader.family)) : nlohmann::json(nullptr);
    json["firmware"] = reader.Known() ? nlohmann::json(reader.firmware) : nlohmann::json(nullptr);
    json["settings"] = SettingsJson(reader);
    json["raw"] = reader.Known() ? nlohmann::json(reader.chars) : nlohmann::json(nullptr);
    bool ok = outcome.status == Status::Ok || outcome.status == Status::Skipped;
    json["status"] = StatusWord(outcome.status);
    json["ok"] = ok;
    json["error"] = ok ? nlohmann::json(nullptr) : nlohmann::json(ReasonOf(language, outcome));
    if (withWrite) {
        // true: written and verified; false: nothing was sent; null: sent, and the reader's
        // settings are not known to be the ones wanted (the status says why).
        json["changed"] = outcome.changed ? nlohmann::json(true)
                                          : outcome.written ? nlohmann::json(nullptr) : nlohmann::json(false);
        json["would_change"] = outcome.wouldChange;
        nlohmann::json changes = nlohmann::json::array();
        for (const Change& change : outcome.changes) {
            changes.push_back({{"name", change.name}, {"before", change.before}, {"after", change.after}});
        }
        json["changes"] = changes;
        json["after"] = outcome.after.Known()
                            ? nlohmann::json{{"settings", SettingsJson(outcome.after)}, {"raw", outcome.after.chars}}
                            : nlohmann::json(nullptr);
    }
    return json;
}

Status WorstStatus(const std::vector<PortOutcome>& outcomes) {
    Status worst = Status::Ok;
    for (const PortOutcome& outcome : outcomes) {
        const int code = ExitCodeOf(outcome.status);
        const int worstCode = ExitCodeOf(worst);
        // An interruption outranks everything: the user stopped the run.
        if (worstCode == kExitInterrupted) break;
        if (code == kExitInterrupted || code > worstCode) worst = outcome.status;
    }
    return worst;
}

std::size_t DisplayWidth(const std::string& text) {
    std::size_t width = 0;
    for (unsigned char c : text) {
        if (!IsContinuationByte(c)) ++width;
    }
    return width;
}

std::string Wrap(const std::string& lead, const std::string& text, std::size_t indent, std::size_t width) {
    std::string out = lead;
    std::size_t column = DisplayWidth(lead);
    bool lineHasWord = false;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(' ', at);
        if (start == std::string::npos) break;
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        const std::size_t wordWidth = DisplayWidth(word);
        const std::size_t blank = lineHasWord ? 1 : 0;
        if (lineHasWord && column + blank + wordWidth > width) {
            out += "\n" + std::string(indent, ' ');
            column = indent;
        } else if (blank) {
            out += ' ';
            ++column;
        }
        out += word;
        column += wordWidth;
        lineHasWord = true;
        at = end;
    }
    return out + "\n";
}

std::string Pad(const std::string& text, std::size_t width) {
    std::size_t shown = DisplayWidth(text);
    return shown >= width ? text : text + std::string(width - shown, ' ');
}

std::string JsonLine(const nlohmann::json& document) {
    // Invalid bytes (a reader's noise in "raw") become U+FFFD rather than an exception.
    return document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}
