// card: the barcode number and cipher ID of the card at the reader, once or as cards come.
#include <cstdio>
#include <ctime>

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "core/card_id.h"

namespace {

// How often --watch asks the reader; a card held for less than this may be missed.
constexpr int kWatchIntervalMs = 250;
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

// Appends one row; the header goes first into an empty file.
bool AppendCsv(const std::string& path, const std::string& port, const CardForms& forms) {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) return false;
    std::fseek(file, 0, SEEK_END);
    if (std::ftell(file) == 0) std::fputs(kCsvHeader, file);
    std::string row = LocalTime() + "," + port + "," + forms.barcode + "," + forms.barcodeHex + "," + forms.cipher +
                      "," + forms.cipherDotted + "\n";
    std::fputs(row.c_str(), file);
    return std::fclose(file) == 0;
}

std::string CardBlock(int language, const CardForms& forms) {
    return Pad(WindowText(language, TextBarcode), kLabelColumn) + forms.barcode + "\n" +
           Pad(WindowText(language, TextBarcodeInHex), kLabelColumn) + forms.barcodeHex + "\n" +
           Pad(WindowText(language, TextCipherId), kLabelColumn) + forms.cipher + "\n" +
           Pad(WindowText(language, TextCipherIdDotted), kLabelColumn) + forms.cipherDotted + "\n";
}

bool SameCard(const CardIdResult& a, const CardIdResult& b) { return a.barcode == b.barcode && a.cipherId == b.cipherId; }

int Fail(const Options& options, const PortOutcome& outcome) {
    if (options.json) {
        nlohmann::json json = ReaderJson(options.language, outcome, false);
        json["card"] = nullptr;
        WriteOut(JsonLine(json));
    } else {
        WriteErr(outcome.port + ": " + ReasonOf(options.language, outcome) + "\n");
    }
    return ExitCodeOf(outcome.status);
}

int Watch(const Options& options, Link* link, PortOutcome outcome) {
    if (!options.json) WriteErr(std::string(MessageText(options.language, Msg::WatchHint)) + "\n");
    CardIdResult last{};
    bool holding = false;
    while (!InterruptFlag().load()) {
        CardIdResult card{};
        Status status = QueryCard(link, outcome.before.family, &card);
        if (status == Status::IoError) {
            outcome.status = status;
            return Fail(options, outcome);
        }
        bool present = status == Status::Ok && (card.barcode != 0 || card.cipherId != 0);
        if (present && !(holding && SameCard(card, last))) {
            CardForms forms = FormsOf(card);
            if (options.json) {
                nlohmann::json line = {{"time", LocalTime()}, {"port", outcome.port}, {"card", CardJson(forms)}};
                WriteOut(JsonLine(line));
            } else {
                WriteOut(LocalTime() + "  " + forms.barcode + "  " + forms.barcodeHex + "  " + forms.cipher + "  " +
                         forms.cipherDotted + "\n");
            }
            if (!options.csv.empty() && !AppendCsv(options.csv, outcome.port, forms)) {
                WriteErr(Format(MessageText(options.language, Msg::CsvCannotOpen), options.csv) + "\n");
                return kExitPortError;
            }
        }
        holding = present;
        last = card;
        SleepUnlessInterrupted(kWatchIntervalMs);
    }
    return kExitOk;  // Ctrl-C is how a watch ends
}

}  // namespace

int RunCard(const Options& options) {
    PortTarget target;
    std::string error;
    if (!SinglePort(options, &target, &error)) return UsageFailure(options, error);
    Link link;
    PortOutcome outcome = OpenAndIdentify(target, options, &link);
    if (outcome.status != Status::Ok) return Fail(options, outcome);
    if (!CardQuerySupported(outcome.before.firmwareVersion)) {
        CloseLink(&link);
        outcome.status = Status::Unsupported;
        return Fail(options, outcome);
    }
    if (options.watch) {
        int code = Watch(options, &link, outcome);
        CloseLink(&link);
        return code;
    }
    CardIdResult card{};
    outcome.status = QueryCard(&link, outcome.before.family, &card);
    CloseLink(&link);
    if (outcome.status != Status::Ok) return Fail(options, outcome);
    CardForms forms = FormsOf(card);
    if (!options.csv.empty() && !AppendCsv(options.csv, outcome.port, forms)) {
        WriteErr(Format(MessageText(options.language, Msg::CsvCannotOpen), options.csv) + "\n");
        return kExitPortError;
    }
    if (options.json) {
        nlohmann::json json = ReaderJson(options.language, outcome, false);
        json["card"] = CardJson(forms);
        WriteOut(JsonLine(json));
    } else {
        WriteOut(outcome.port + ": " + ModelName(outcome.before) + " " + outcome.before.firmware + "\n" +
                 CardBlock(options.language, forms));
    }
    return kExitOk;
}
