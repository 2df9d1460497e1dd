// SPDX-License-Identifier: Apache-2.0
// ports, find, read: commands that only ask.
#include <map>

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/settings_by_name.h"
#include "core/profile.h"
#include "port/port_list.h"

namespace {

constexpr std::size_t kPortColumn = 14;
constexpr std::size_t kColumnGap = 2;
constexpr std::size_t kSettingColumn = 11;

bool IsReader(const PortOutcome& outcome) {
    return outcome.status == Status::Ok || outcome.status == Status::FirmwareUnsupported;
}

// A port without a reader: it stayed silent, refused both queries or answered noise. That is no
// failure of find, however the port was named.
bool HoldsNoReader(Status status) {
    return status == Status::NoAnswer || status == Status::Refused || status == Status::Garbage;
}

// What find reports and counts: a port it could not probe (not there, busy, no permission, open
// or read failed) and an interruption. The same for a list of names as for a glob or the walk
// of every port, so each gives the same output and exit code. What a glob matched that is no
// serial port (a file beside the ports) is skipped: no failure, named in --verbose and JSON.
bool IsSkipped(const PortOutcome& outcome) { return outcome.status == Status::NotSerial && !outcome.explicitlyNamed; }

bool IsFailure(const PortOutcome& outcome) {
    return !IsReader(outcome) && !HoldsNoReader(outcome.status) && !IsSkipped(outcome);
}

std::string UsbIdentity(const PortInfo& port) {
    if (port.usbVendor.empty()) return std::string();
    std::string text = port.usbVendor + ":" + port.usbProduct;
    if (!port.usbSerial.empty()) text += " " + port.usbSerial;
    return text;
}

}  // namespace

bool SinglePort(const Options& options, PortTarget* target, std::string* error) {
    std::vector<PortOutcome> unmatched;
    std::vector<PortTarget> targets = ResolvePorts(options.language, options.ports, &unmatched);
    if (targets.size() > 1) {
        std::string names;
        for (const PortTarget& each : targets) names += (names.empty() ? "" : ", ") + each.path;
        *error = Format(MessageText(options.language, Msg::UsageSeveralPorts), options.ports[0], names);
        return false;
    }
    if (!targets.empty()) {
        *target = targets[0];
    } else {
        // A pattern that matched nothing: opening it reports the port as not found.
        target->path = options.ports.empty() ? std::string() : options.ports[0];
    }
    target->named = true;
    return true;
}

PortOutcome OpenAndIdentify(const PortTarget& target, const Options& options, Link* link) {
    PortOutcome outcome;
    outcome.port = target.path;
    outcome.explicitlyNamed = target.named;
    outcome.status = OpenLink(link, target.path, options.timeoutMs, &InterruptFlag());
    const PortError& opened = link->openError;
    if (options.verbose && opened.unseenProcesses > 0) {
        WriteErr("vireo4: " + Format(MessageText(options.language, Msg::HoldersUnseen), target.path,
                                     std::to_string(opened.unseenProcesses)) + "\n");
    }
    if (outcome.status != Status::Ok) {
        // The system's reason where the tool's own words do not say it already.
        const bool saysWhy = opened.what == PortFailure::Open || opened.what == PortFailure::Configure;
        if (saysWhy && opened.code != 0) {
            const Msg what = opened.what == PortFailure::Open ? Msg::PortOpenFailed : Msg::PortConfigureFailed;
            outcome.detail = std::string(MessageText(options.language, what)) + ": " +
                             SystemReason(options.language, opened.code);
        }
        return outcome;
    }
    outcome.status = IdentifyReader(link, target.usbReader, &outcome.before);
    outcome.before.port = target.path;
    if (outcome.status != Status::Ok) CloseLink(link);
    return outcome;
}

int RunPorts(const Options& options) {
    std::vector<PortInfo> ports = ListSerialPorts();
    if (options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const PortInfo& port : ports) {
            nlohmann::json usb = nullptr;
            if (!port.usbVendor.empty()) {
                usb = {{"vendor", port.usbVendor}, {"product", port.usbProduct},
                       {"serial", port.usbSerial.empty() ? nlohmann::json(nullptr) : nlohmann::json(port.usbSerial)}};
            }
            list.push_back({{"name", port.name}, {"path", port.path}, {"usb", usb}, {"usb_reader", port.isUsbReader},
                            {"console", port.isConsole}});
        }
        const Status status = ports.empty() ? Status::PortNotFound : Status::Ok;
        WriteOut(JsonLine({{"ports", list}, {"ok", status == Status::Ok}, {"status", StatusWord(status)}}));
    } else if (!ports.empty()) {
        std::size_t nameWidth = DisplayWidth(MessageText(options.language, Msg::HeaderPort)) + 2;
        std::size_t pathWidth = 6;
        for (const PortInfo& port : ports) {
            nameWidth = std::max(nameWidth, port.name.size() + 2);
            pathWidth = std::max(pathWidth, port.path.size() + 2);
        }
        std::string text = Pad(MessageText(options.language, Msg::HeaderPort), nameWidth) + Pad(MessageText(options.language, Msg::HeaderPath), pathWidth) +
                           MessageText(options.language, Msg::HeaderUsb) + "\n";
        for (const PortInfo& port : ports) {
            std::string line = Pad(port.name, nameWidth) + Pad(port.path, pathWidth) + UsbIdentity(port);
            if (port.isUsbReader) line += std::string("  <- ") + MessageText(options.language, Msg::UsbReaderMark);
            if (port.isConsole) line += std::string("  <- ") + MessageText(options.language, Msg::ConsoleMark);
            text += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
        }
        WriteOut(text);
    }
    if (ports.empty()) {
        if (!options.json) WriteErr(std::string("vireo4: ") + MessageText(options.language, Msg::NoPorts) + "\n");
        return kExitNoReader;
    }
    return kExitOk;
}

int RunFind(const Options& options) {
    std::vector<PortOutcome> unmatched;
    std::vector<PortTarget> targets = ResolvePorts(options.language, options.ports, &unmatched);
    std::vector<PortOutcome> outcomes = RunOnEach(options.language, targets, [&](const PortTarget& target) {
        Link link;
        PortOutcome outcome = OpenAndIdentify(target, options, &link);
        CloseLink(&link);
        return outcome;
    });
    outcomes.insert(outcomes.end(), unmatched.begin(), unmatched.end());

    std::vector<PortOutcome> readers;
    std::vector<PortOutcome> failures;
    std::vector<PortOutcome> skipped;
    for (const PortOutcome& outcome : outcomes) {
        if (IsReader(outcome)) readers.push_back(outcome);
        if (IsFailure(outcome)) failures.push_back(outcome);
        if (IsSkipped(outcome)) skipped.push_back(outcome);
    }
    // A reader whose firmware the tool refuses is still a finding; the failures decide, and with
    // none, whether any reader answered.
    Status verdict = WorstStatus(failures);
    if (verdict == Status::Ok && readers.empty()) verdict = Status::NoAnswer;
    if (InterruptFlag().load()) verdict = Status::Interrupted;

    if (options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const PortOutcome& reader : readers) list.push_back(ReaderJson(options.language, reader, false));
        nlohmann::json errors = nlohmann::json::array();
        for (const PortOutcome& failure : failures) errors.push_back(ReaderJson(options.language, failure, false));
        nlohmann::json passed = nlohmann::json::array();
        for (const PortOutcome& each : skipped) {
            passed.push_back({{"port", each.port}, {"status", StatusWord(each.status)},
                              {"error", ReasonOf(options.language, each)}});
        }
        WriteOut(JsonLine({{"readers", list},
                           {"failures", errors},
                           {"skipped", passed},
                           {"ports_probed", targets.size()},
                           {"ok", verdict == Status::Ok},
                           {"status", StatusWord(verdict)}}));
    } else {
        std::string text;
        if (!readers.empty()) {
            // Columns as wide as their texts in the user's language; one line per reader.
            const std::string firmwareHeader = MessageText(options.language, Msg::HeaderFirmware);
            std::size_t portWidth = kPortColumn;
            std::size_t modelWidth = DisplayWidth(MessageText(options.language, Msg::HeaderModel)) + kColumnGap;
            for (const PortOutcome& reader : readers) {
                portWidth = std::max(portWidth, DisplayWidth(reader.port) + kColumnGap);
                modelWidth = std::max(modelWidth, DisplayWidth(ModelText(options.language, reader.before)) + kColumnGap);
            }
            const std::size_t firmwareWidth = DisplayWidth(firmwareHeader) + kColumnGap;
            text += Pad(MessageText(options.language, Msg::HeaderPort), portWidth) +
                    Pad(MessageText(options.language, Msg::HeaderModel), modelWidth) + Pad(firmwareHeader, firmwareWidth) +
                    MessageText(options.language, Msg::HeaderSettings) + "\n";
            for (const PortOutcome& reader : readers) {
                std::string settings = reader.status == Status::Ok ? SettingsLine(reader.before)
                                                                   : "(" + ReasonOf(options.language, reader) + ")";
                text += Pad(reader.port, portWidth) + Pad(ModelText(options.language, reader.before), modelWidth) +
                        Pad(reader.before.firmware, firmwareWidth) + settings + "\n";
            }
        }
        WriteOut(text);
        std::string errors;
        for (const PortOutcome& failure : failures) errors += failure.port + ": " + ReasonOf(options.language, failure) + "\n";
        for (const PortOutcome& each : skipped) {
            if (options.verbose) {
                errors += each.port + ": " + MessageText(options.language, Msg::Skipped) + ": " +
                          ReasonOf(options.language, each) + "\n";
            }
        }
        if (readers.empty()) errors += std::string("vireo4: ") + MessageText(options.language, Msg::NoReaderFound) + "\n";
        WriteErr(errors);
    }
    return ExitCodeOf(verdict);
}

int RunRead(const Options& options) {
    PortTarget target;
    std::string error;
    if (!SinglePort(options, &target, &error)) return UsageFailure(options, error);
    Link link;
    PortOutcome outcome = OpenAndIdentify(target, options, &link);
    CloseLink(&link);
    const Reader& reader = outcome.before;
    if (options.json) {
        WriteOut(JsonLine(ReaderJson(options.language, outcome, false)));
    } else if (outcome.status != Status::Ok) {
        WriteErr(outcome.port + ": " + ReasonOf(options.language, outcome) + "\n");
    } else if (options.raw) {
        WriteOut(reader.chars + "\n");
    } else if (options.profileOut) {
        std::string text = "# " + outcome.port + ": " + ModelText(options.language, reader) + ", " + reader.firmware + "\n";
        text += std::string("[") + ProfileSectionName(reader.family) + "]\n";
        std::string warnings;
        for (const auto& named : NamedSettings(reader)) {
            // Only what apply takes back goes into the profile: an unrecognised setting stays out.
            SettingChoice choice{};
            if (LookUpSetting(reader.family, named.first, named.second, &choice) != ProfileProblem::None) {
                warnings += std::string("vireo4: ") + Format(MessageText(options.language, Msg::ProfileSettingLeftOut), named.first) + "\n";
                continue;
            }
            text += named.first + " = " + named.second + "\n";
        }
        WriteOut(text);
        WriteErr(warnings);
    } else {
        std::string text = outcome.port + ": " + ModelText(options.language, reader) + " " + reader.firmware + "\n";
        for (const auto& named : NamedSettings(reader)) text += "  " + Pad(named.first, kSettingColumn) + named.second + "\n";
        WriteOut(text);
    }
    return ExitCodeOf(outcome.status);
}
