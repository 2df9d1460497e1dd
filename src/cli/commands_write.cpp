// SPDX-License-Identifier: Apache-2.0
// write and apply: commands that change readers, each verified by reading back.
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/settings_by_name.h"
#include "core/family.h"
#include "core/outcome_text.h"
#include "core/profile.h"
#include "core/setting_names.h"

namespace {

constexpr std::size_t kPortColumn = 14;
constexpr std::size_t kModelColumn = 8;
constexpr std::size_t kColumnGap = 2;
constexpr std::size_t kChangeIndent = 6;
constexpr std::size_t kNameColumn = 12;
constexpr const char kArrow[] = " \xE2\x86\x92 ";  // " → "

// What is to be written: a profile's choices, NAME=VALUE pairs or setting characters given whole.
struct Wanted {
    bool raw = false;
    std::string chars;
    std::vector<SettingChoice> choices;
    std::vector<std::pair<std::string, std::string>> assignments;
};

// The part of write and apply after the reader answered: the target, the firmware rules, the
// write, the read-back. The link is open and the reader known.
void ChangeReader(const Options& options, const Wanted& wanted, Link* link, PortOutcome* outcome) {
    const Reader& reader = outcome->before;
    Target target = wanted.raw                  ? TargetOfRaw(options.language, reader, wanted.chars)
                    : !wanted.assignments.empty() ? TargetOfAssignments(options.language, reader, wanted.assignments)
                                                  : TargetOfChoices(options.language, reader, wanted.choices);
    if (target.status != Status::Ok) {
        outcome->status = target.status;
        outcome->detail = target.detail;
        return;
    }
    outcome->changes = target.changes;
    outcome->status = Status::Ok;
    if (target.changes.empty()) return;
    if (options.dryRun) {
        outcome->wouldChange = true;
        return;
    }
    if (InterruptFlag().load()) {
        outcome->status = Status::Interrupted;
        return;
    }
    const EngineOutcome written =
        RunEngine(link, ReaderEngine::WriteAndVerify(reader.family, target.chars, link->timeoutMs));
    outcome->status = written.status;
    outcome->written = written.sent;
    outcome->changed = written.changed;
    outcome->after = ReaderOf(*link, written.readBack);
    outcome->detail = OutcomeDetail(options.language, written);
}

std::string ResultText(int language, const PortOutcome& outcome) {
    switch (outcome.status) {
        case Status::Ok: break;
        case Status::Unconfirmed: return ReasonOf(language, outcome);
        case Status::Skipped:
            return std::string(MessageText(language, Msg::Skipped)) + ": " + ReasonOf(language, outcome);
        default: return std::string(MessageText(language, Msg::Failed)) + ": " + ReasonOf(language, outcome);
    }
    if (outcome.changed) return MessageText(language, Msg::Changed);
    if (outcome.wouldChange) return MessageText(language, Msg::WouldChange);
    return MessageText(language, Msg::Unchanged);
}

std::string ModelOf(int language, const Reader& reader) { return reader.Known() ? ModelText(language, reader) : "-"; }

// One block per reader: port, model, firmware, result, then each change before -> after. A
// result too long for its row goes on lines of its own below it, so that it reads as one text.
std::string OutcomeBlock(int language, const PortOutcome& outcome, std::size_t portWidth, std::size_t modelWidth) {
    const Reader& reader = outcome.before;
    std::string firmware = reader.Known() ? reader.firmware : "-";
    const std::string lead = Pad(outcome.port, portWidth) + Pad(ModelOf(language, reader), modelWidth) +
                             Pad(firmware, kModelColumn);
    const std::string result = ResultText(language, outcome);
    std::string text;
    if (DisplayWidth(lead + result) > kTableWidth) {
        text = lead.substr(0, lead.find_last_not_of(' ') + 1) + "\n" +
               Wrap(std::string(kChangeIndent, ' '), result, kChangeIndent, kTableWidth);
    } else {
        text = lead + result + "\n";
    }
    for (const Change& change : outcome.changes) {
        const std::string changeLead = std::string(kChangeIndent, ' ') + Pad(change.name, kNameColumn);
        text += Wrap(changeLead, change.before + kArrow + change.after, DisplayWidth(changeLead), kTableWidth);
    }
    return text;
}

// Names match without regard to case, as in a profile.
std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// write NAME=VALUE: a name no family knows, a value its setting does not have, or a name given
// twice (which of the two was meant?) is a usage error before any port is opened.
bool CheckAssignments(const Options& options, std::vector<std::pair<std::string, std::string>>* pairs,
                      std::string* error) {
    for (const std::string& assignment : options.assignments) {
        std::size_t equals = assignment.find('=');
        std::string name = assignment.substr(0, equals);
        std::string value = assignment.substr(equals + 1);
        bool nameKnown = false;
        bool valueKnown = false;
        std::vector<std::string> allNames;
        for (int family : {kKruKrm, kUsb}) {
            SettingChoice choice{};
            ProfileProblem problem = LookUpSetting(family, name, value, &choice);
            if (problem != ProfileProblem::UnknownName) nameKnown = true;
            if (problem == ProfileProblem::None) valueKnown = true;
            std::size_t count = 0;
            const SettingFacts* names = SettingsOf(family, &count);
            for (std::size_t k = 0; k < count; ++k) allNames.push_back(names[k].name);
        }
        if (!nameKnown) {
            *error = Format(MessageText(options.language, Msg::UsageUnknownSetting), name);
            std::string nearest = NearestName(name, allNames);
            if (!nearest.empty()) *error += "; " + Format(MessageText(options.language, Msg::UsageDidYouMean), nearest);
            *error += "\n" + Format(MessageText(options.language, Msg::UsageAllowedNames),
                                    SettingNamesList(kKruKrm) + " (kru-krm); " + SettingNamesList(kUsb) + " (usb)");
            return false;
        }
        if (!valueKnown) {
            *error = Format(MessageText(options.language, Msg::UsageUnknownValue), value, name);
            std::string values = SettingValuesList(kKruKrm, name);
            if (values.empty()) values = SettingValuesList(kUsb, name);
            *error += "\n" + Format(MessageText(options.language, Msg::UsageAllowedValues), values);
            return false;
        }
        for (const auto& earlier : *pairs) {
            if (Lower(earlier.first) == Lower(name)) {
                *error = Format(MessageText(options.language, Msg::UsageSettingTwice), name);
                return false;
            }
        }
        pairs->emplace_back(name, value);
    }
    return true;
}

std::string ProfileErrorText(int language, const ProfileError& error) {
    switch (error.problem) {
        case ProfileProblem::BadLine: return MessageText(language, Msg::ProfileBadLine);
        case ProfileProblem::UnknownSection: return Format(MessageText(language, Msg::ProfileUnknownSection), error.word);
        case ProfileProblem::DuplicateSection: return Format(MessageText(language, Msg::ProfileDuplicateSection), error.word);
        case ProfileProblem::OutsideSection: return MessageText(language, Msg::ProfileOutsideSection);
        case ProfileProblem::DuplicateName: return Format(MessageText(language, Msg::ProfileDuplicateName), error.word);
        case ProfileProblem::TypeBesideTouchMemory: return MessageText(language, Msg::UsageTypeWithTouchMemory);
        case ProfileProblem::UnknownName:
            return Format(MessageText(language, Msg::UsageUnknownSetting), error.word) + " (" +
                   Format(MessageText(language, Msg::UsageAllowedNames), SettingNamesList(error.family)) + ")";
        case ProfileProblem::UnknownValue:
            return Format(MessageText(language, Msg::UsageUnknownValue), error.word, error.name) + " (" +
                   Format(MessageText(language, Msg::UsageAllowedValues), SettingValuesList(error.family, error.name)) +
                   ")";
        case ProfileProblem::None: break;
    }
    return std::string();
}

// A profile is a few hundred bytes; a file far larger is not one.
constexpr long kLargestProfile = 1 << 20;

// The whole profile, or false with *reason: only a regular file is read (a FIFO would wait for a
// writer, a device never end), and every failure says why.
bool ReadWholeFile(int language, const std::string& path, std::string* text, std::string* reason) {
    unsigned long code = 0;
    switch (KindOfFile(path, &code)) {
        case FileKind::Regular: break;
        case FileKind::Missing: *reason = SystemReason(language, code); return false;
        case FileKind::Directory:
        case FileKind::Other: *reason = MessageText(language, Msg::ProfileNotRegularFile); return false;
    }
    std::FILE* file = OpenFile(path, "rb");
    if (file == nullptr) {
        *reason = FileErrorReason(language);
        return false;
    }
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 && text->size() <= kLargestProfile) text->append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    if (failed) *reason = FileErrorReason(language);
    std::fclose(file);
    if (!failed && text->size() > kLargestProfile) *reason = MessageText(language, Msg::ProfileTooLarge);
    return reason->empty();
}

// The line of the profile's text at an offset, from 1.
int LineAt(const std::string& text, std::size_t offset) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

// The blocks of write and apply in one set of columns: results (done, unchanged, skipped) on
// stdout, failures on stderr, as every command keeps them.
void PrintReport(const Options& options, const std::vector<PortOutcome>& outcomes) {
    std::size_t portWidth = kPortColumn;
    std::size_t modelWidth = kModelColumn;
    for (const PortOutcome& outcome : outcomes) {
        portWidth = std::max(portWidth, DisplayWidth(outcome.port) + kColumnGap);
        modelWidth = std::max(modelWidth, DisplayWidth(ModelOf(options.language, outcome.before)) + kColumnGap);
    }
    std::string results;
    std::string failures;
    for (const PortOutcome& outcome : outcomes) {
        (ExitCodeOf(outcome.status) == kExitOk ? results : failures) +=
            OutcomeBlock(options.language, outcome, portWidth, modelWidth);
    }
    WriteOut(results);
    WriteErr(failures);
}

}  // namespace

int RunWrite(const Options& options) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::string error;
    if (!CheckAssignments(options, &pairs, &error)) return UsageFailure(options, error);

    PortTarget target;
    if (!SinglePort(options, &target, &error)) return UsageFailure(options, error);
    Link link;
    PortOutcome outcome = OpenAndIdentify(target, options, &link);
    if (outcome.status == Status::Ok) {
        Wanted wanted;
        wanted.raw = options.raw;
        wanted.chars = options.rawChars;
        wanted.assignments = pairs;
        ChangeReader(options, wanted, &link, &outcome);
        CloseLink(&link);
    }
    if (options.json) {
        WriteOut(JsonLine(ReaderJson(options.language, outcome, true)));
    } else {
        PrintReport(options, {outcome});
    }
    // Ctrl-C during the read-back leaves the reader unconfirmed, and the run interrupted.
    if (InterruptFlag().load()) return kExitInterrupted;
    return ExitCodeOf(outcome.status);
}

namespace {

// A profile that cannot be applied: file:line: message on stderr (and as JSON), nothing written
// anywhere, exit 1.
int ProfileFailure(const Options& options, int line, const std::string& problem) {
    std::string message = options.profile + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + problem;
    WriteErr(message + "\n");
    if (options.json) {
        WriteOut(JsonLine({{"ok", false}, {"status", StatusWord(Status::Usage)}, {"error", message},
                           {"exit_code", kExitUsage}}));
    }
    return kExitUsage;
}

}  // namespace

int RunApply(const Options& options) {
    std::string bytes;
    std::string reason;
    if (!ReadWholeFile(options.language, options.profile, &bytes, &reason)) {
        return UsageFailure(options,
                            Format(MessageText(options.language, Msg::ProfileCannotRead), options.profile) + ": " + reason);
    }
    // A NUL byte would end a value early; a text file has none (UTF-16 is converted first).
    const std::string text = ProfileTextFromBytes(bytes.data(), bytes.size());
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) {
        return ProfileFailure(options, LineAt(text, nul), MessageText(options.language, Msg::ProfileNulByte));
    }
    Profile profile;
    ProfileError parseError;
    if (!ParseProfile(text.data(), text.size(), &profile, &parseError)) {
        return ProfileFailure(options, parseError.line, ProfileErrorText(options.language, parseError));
    }
    // An empty file (the output of a read that failed) is no deployment.
    if (!profile.sections[kKruKrm].present && !profile.sections[kUsb].present) {
        return ProfileFailure(options, 0, MessageText(options.language, Msg::ProfileNoSettings));
    }

    std::vector<PortOutcome> unmatched;
    std::vector<PortTarget> targets = ResolvePorts(options.language, options.ports, &unmatched);
    std::vector<PortOutcome> outcomes = RunOnEach(options.language, targets, [&](const PortTarget& target) {
        Link link;
        PortOutcome outcome = OpenAndIdentify(target, options, &link);
        if (outcome.status != Status::Ok) return outcome;
        const ProfileSection& section = profile.sections[outcome.before.family];
        if (!section.present) {
            outcome.status = Status::Skipped;
            outcome.detail = Format(MessageText(options.language, Msg::NoSectionForFamily),
                                    ProfileSectionName(outcome.before.family));
        } else {
            Wanted wanted;
            wanted.choices = section.choices;
            ChangeReader(options, wanted, &link, &outcome);
        }
        CloseLink(&link);
        return outcome;
    });
    outcomes.insert(outcomes.end(), unmatched.begin(), unmatched.end());

    // The table holds the readers and the ports the user named; silent ports of a walk are no readers.
    std::vector<PortOutcome> rows;
    for (const PortOutcome& outcome : outcomes) {
        bool silent = outcome.status == Status::NoAnswer || outcome.status == Status::Refused ||
                      outcome.status == Status::Garbage || outcome.status == Status::PortNotFound ||
                      outcome.status == Status::NotSerial;
        if (outcome.before.Known() || outcome.explicitlyNamed || !silent) rows.push_back(outcome);
    }
    bool anyReader = false;
    for (const PortOutcome& row : rows) anyReader = anyReader || row.before.Known();

    Status verdict = WorstStatus(rows);
    if (verdict == Status::Ok && !anyReader) verdict = Status::NoAnswer;
    if (InterruptFlag().load()) verdict = Status::Interrupted;

    if (options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const PortOutcome& row : rows) list.push_back(ReaderJson(options.language, row, true));
        WriteOut(JsonLine({{"readers", list},
                           {"dry_run", options.dryRun},
                           {"ok", verdict == Status::Ok},
                           {"status", StatusWord(verdict)}}));
    } else {
        PrintReport(options, rows);
        if (!anyReader) WriteErr(std::string("vireo4: ") + MessageText(options.language, Msg::NoReaderFound) + "\n");
    }
    return ExitCodeOf(verdict);
}
