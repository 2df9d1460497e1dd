// SPDX-License-Identifier: Apache-2.0
// card: the barcode number and cipher ID of the card at the reader, once or as cards come.
#include <ctime>

#include "cli/append_file.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "core/card_id.h"
#include "core/outcome_text.h"

namespace {

constexpr std::size_t kLabelColumn = 22;
constexpr const char kCsvHeader[] = "time,port,barcode,barcode_hex,cipher,cipher_dotted\n";

std::string LocalTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// The window's four value fields of a card.
struct CardForms {
    std::string barcode;
    std::string barcodeHex;
    std::string cipher;
    std::string cipherDotted;
};

CardForms FormsOf(const CardIdResult& card) {
    CardIdFields fields{};
    FormatCardIdFields(card, &fields);
    return CardForms{fields.barcodeDecimal, fields.barcodeHex, fields.cipherDecimal, fields.cipherDotted};
}

nlohmann::json CardJson(const CardForms& forms) {
    return {{"barcode", forms.barcode}, {"barcode_hex", forms.barcodeHex}, {"cipher", forms.cipher},
            {"cipher_dotted", forms.cipherDotted}};
}

// A field as RFC 4180 has it: quoted when it holds a comma, a quote or a line break, its
// quotes doubled (a port's name may hold any of them).
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string CsvRow(const std::string& time, const std::string& port, const CardForms& forms) {
    return CsvField(time) + "," + CsvField(port) + "," + CsvField(forms.barcode) + "," + CsvField(forms.barcodeHex) +
           "," + CsvField(forms.cipher) + "," + CsvField(forms.cipherDotted) + "\n";
}

// The --csv file, open from before the first query to the end of the command.
struct CsvOutput {
    AppendFile file;
    ~CsvOutput() { CloseAppendFile(&file); }
};

std::string CardBlock(int language, const CardForms& forms) {
    return Pad(WindowText(language, TextBarcode), kLabelColumn) + forms.barcode + "\n" +
           Pad(WindowText(language, TextBarcodeInHex), kLabelColumn) + forms.barcodeHex + "\n" +
           Pad(WindowText(language, TextCipherId), kLabelColumn) + forms.cipher + "\n" +
           Pad(WindowText(language, TextCipherIdDotted), kLabelColumn) + forms.cipherDotted + "\n";
}

// A failure of the port: with --json a document (one JSON line in a watch, with its time),
// else a line on stderr.
void ReportFailure(const Options& options, const PortOutcome& outcome, bool watching) {
    std::string time = watching ? LocalTime() : std::string();
    if (options.json) {
        nlohmann::json json = ReaderJson(options.language, outcome, false);
        json["card"] = nullptr;
        if (watching) json["time"] = time;
        WriteOut(JsonLine(json));
    } else {
        WriteErr((watching ? time + "  " : std::string()) + outcome.port + ": " + ReasonOf(options.language, outcome) +
                 "\n");
    }
}

int Fail(const Options& options, const PortOutcome& outcome) {
    ReportFailure(options, outcome, false);
    return ExitCodeOf(outcome.status);
}

// The CSV file could not be opened or written: the system's reason on stderr, as a usage error
// is told, and as a JSON document too for a program that asked for one.
int CsvFailure(const Options& options, PortOutcome outcome, Msg what, const std::string& reason, bool watching) {
    outcome.status = Status::IoError;
    outcome.detail = Format(MessageText(options.language, what), options.csv, reason);
    WriteErr("vireo4: " + outcome.detail + "\n");
    if (options.json) ReportFailure(options, outcome, watching);
    return ExitCodeOf(outcome.status);
}

int Watch(const Options& options, Link* link, PortOutcome outcome, CsvOutput* csv) {
    if (!options.json) WriteErr(std::string(MessageText(options.language, Msg::WatchHint)) + "\n");
    CardWatch watch;
    while (!InterruptFlag().load() && !OutputGone() && OutputFaultOf() == OutputFault::None) {
        const EngineOutcome step =
            RunEngine(link, ReaderEngine::WatchStep(outcome.before.firmwareVersion, link->timeoutMs, watch));
        if (step.status == Status::Interrupted) break;
        watch = step.watch;
        if (step.newFailure) {
            outcome.status = step.status;
            outcome.detail = OutcomeDetail(options.language, step);
            ReportFailure(options, outcome, true);
        }
        if (step.endsWatch) return ExitCodeOf(step.status);
        if (step.newCard) {
            CardForms forms = FormsOf(step.card);
            std::string time = LocalTime();
            if (options.json) {
                WriteOut(JsonLine({{"time", time}, {"port", outcome.port}, {"card", CardJson(forms)}, {"ok", true},
                                   {"status", StatusWord(Status::Ok)}}));
            } else {
                WriteOut(time + "  " + forms.barcode + "  " + forms.barcodeHex + "  " + forms.cipher + "  " +
                         forms.cipherDotted + "\n");
            }
            std::string reason;
            if (!options.csv.empty() && !AppendToFile(&csv->file, CsvRow(time, outcome.port, forms), &reason)) {
                return CsvFailure(options, outcome, Msg::CsvCannotWrite, reason, true);
            }
        }
        SleepUnlessInterrupted(kWatchIntervalMs);
    }
    return kExitInterrupted;  // Ctrl-C (or a closed output, which Finish tells apart)
}

}  // namespace

int RunCard(const Options& options) {
    PortTarget target;
    std::string error;
    if (!SinglePort(options, &target, &error)) return UsageFailure(options, error);
    PortOutcome outcome;
    outcome.port = target.path;
    // The file is ready before the reader is asked, so a wrong path costs no card.
    CsvOutput csv;
    std::string reason;
    if (!options.csv.empty() && !OpenAppendFile(&csv.file, options.csv, kCsvHeader, &reason)) {
        return CsvFailure(options, outcome, Msg::CsvCannotOpen, reason, false);
    }
    Link link;
    outcome = OpenAndIdentify(target, options, &link);
    if (outcome.status != Status::Ok) return Fail(options, outcome);
    if (!CardQuerySupported(outcome.before.firmwareVersion)) {
        CloseLink(&link);
        outcome.status = Status::Unsupported;
        return Fail(options, outcome);
    }
    if (options.watch) {
        int code = Watch(options, &link, outcome, &csv);
        CloseLink(&link);
        return code;
    }
    const EngineOutcome read =
        RunEngine(&link, ReaderEngine::ReadCard(outcome.before.firmwareVersion, link.timeoutMs));
    CloseLink(&link);
    outcome.status = read.status;
    outcome.detail = OutcomeDetail(options.language, read);
    if (outcome.status != Status::Ok) return Fail(options, outcome);
    CardForms forms = FormsOf(read.card);
    if (!options.csv.empty() && !AppendToFile(&csv.file, CsvRow(LocalTime(), outcome.port, forms), &reason)) {
        return CsvFailure(options, outcome, Msg::CsvCannotWrite, reason, false);
    }
    if (options.json) {
        nlohmann::json json = ReaderJson(options.language, outcome, false);
        json["card"] = CardJson(forms);
        WriteOut(JsonLine(json));
    } else {
        WriteOut(outcome.port + ": " + ModelText(options.language, outcome.before) + " " + outcome.before.firmware + "\n" +
                 CardBlock(options.language, forms));
    }
    return kExitOk;
}
