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

// Which failures of find deserve a line: those of ports the user named, and ports that could
// not even be opened (busy: perhaps the window holds the reader).
bool WorthReporting(const PortOutcome& outcome) {
    if (IsReader(outcome)) return false;
    if (outcome.explicitlyNamed) return true;
    return outcome.status == Status::PortBusy || outcome.status == Status::PortDenied ||
           outcome.status == Status::PortError;
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
    if (outcome.status != Status::Ok) return outcome;
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
            list.push_back({{"name", port.name}, {"path", port.path}, {"usb", usb}, {"usb_reader", port.isUsbReader}});
        }
        WriteOut(JsonLine({{"ports", list}}));
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
    std::vector<PortOutcome> counted;  // what decides the exit code
    for (const PortOutcome& outcome : outcomes) {
        if (IsReader(outcome)) readers.push_back(outcome);
        if (WorthReporting(outcome)) failures.push_back(outcome);
        // A reader found by a walk or glob whose firmware the tool refuses is still a finding;
        // on a port the user named it counts as a refusal.
        bool found = outcome.status == Status::Ok;
        if (found || outcome.explicitlyNamed || outcome.status == Status::Interrupted) counted.push_back(outcome);
    }

    if (options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const PortOutcome& reader : readers) list.push_back(ReaderJson(options.language, reader, false));
        nlohmann::json errors = nlohmann::json::array();
        for (const PortOutcome& failure : failures) errors.push_back(ReaderJson(options.language, failure, false));
        WriteOut(JsonLine({{"readers", list}, {"failures", errors}, {"ports_probed", targets.size()}}));
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
        if (readers.empty()) errors += std::string("vireo4: ") + MessageText(options.language, Msg::NoReaderFound) + "\n";
        WriteErr(errors);
    }
    if (InterruptFlag().load()) return kExitInterrupted;
    int code = WorstExitCode(counted);
    if (readers.empty() && code == kExitOk) code = kExitNoReader;
    return code;
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
        for (const auto& named : NamedSettings(reader)) text += named.first + " = " + named.second + "\n";
        WriteOut(text);
    } else {
        std::string text = outcome.port + ": " + ModelText(options.language, reader) + " " + reader.firmware + "\n";
        for (const auto& named : NamedSettings(reader)) text += "  " + Pad(named.first, kSettingColumn) + named.second + "\n";
        WriteOut(text);
    }
    return ExitCodeOf(outcome.status);
}
