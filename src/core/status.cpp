// SPDX-License-Identifier: Apache-2.0
#include "core/status.h"

#include "core/messages.h"
#include "core/text_cp1251.h"
#include "core/ui_text.h"

namespace {

// Where a status's message comes from: the window's text where the window says the same (its
// first line only: the second is advice for the window's own controls), else the catalogue.
struct StatusRow {
    Status status;
    const char* word;
    int exitCode;
    bool windowText;
    int text;  // a UiTextId or a Msg
};

constexpr int M(Msg id) { return static_cast<int>(id); }

constexpr StatusRow kRows[] = {
    {Status::Ok, "ok", kExitOk, false, -1},
    {Status::Skipped, "skipped", kExitOk, false, M(Msg::NotWritten)},
    {Status::NoAnswer, "no-answer", kExitNoReader, true, TextNoResponse},
    {Status::PortNotFound, "not-found", kExitNoReader, false, M(Msg::PortNotFound)},
    {Status::NotSerial, "not-serial", kExitNoReader, false, M(Msg::NotSerialPort)},
    {Status::Refused, "refused", kExitRefused, true, TextInvalidCommand},
    {Status::FirmwareUnsupported, "firmware-unsupported", kExitRefused, true, TextFirmwareUnsupported},
    {Status::RuleViolation, "not-allowed", kExitRefused, false, M(Msg::Failed)},
    {Status::NotRecognized, "not-recognized", kExitRefused, false, M(Msg::Failed)},
    {Status::Mismatch, "mismatch", kExitRefused, false, M(Msg::Failed)},
    {Status::Unconfirmed, "unconfirmed", kExitRefused, false, M(Msg::Unconfirmed)},
    {Status::Unsupported, "unsupported", kExitRefused, true, TextReadIdUnsupported},
    {Status::Usage, "usage", kExitUsage, false, M(Msg::Failed)},
    {Status::PortBusy, "busy", kExitPortError, false, M(Msg::PortBusy)},
    {Status::PortDenied, "denied", kExitPortError, false, M(Msg::PortDenied)},
    {Status::PortError, "port-error", kExitPortError, false, M(Msg::PortOpenFailed)},
    {Status::IoError, "io-error", kExitPortError, false, M(Msg::PortReadFailed)},
    {Status::Garbage, "garbage", kExitPortError, true, TextBadReply},
    {Status::Interrupted, "interrupted", kExitInterrupted, false, M(Msg::Interrupted)},
};
constexpr int kRowCount = static_cast<int>(sizeof kRows / sizeof kRows[0]);
static_assert(kRowCount == static_cast<int>(Status::Count), "one row per status");

constexpr bool RowsInOrder() {
    for (int i = 0; i < kRowCount; ++i)
        if (static_cast<int>(kRows[i].status) != i) return false;
    return true;
}
static_assert(RowsInOrder(), "the rows in the order of Status");

const StatusRow* RowOf(Status status) {
    const int index = static_cast<int>(status);
    return index >= 0 && index < kRowCount ? &kRows[index] : nullptr;
}

}  // namespace

const char* StatusWord(Status status) {
    const StatusRow* row = RowOf(status);
    return row != nullptr ? row->word : "";
}

bool StatusOfWord(const std::string& word, Status* status) {
    for (const StatusRow& row : kRows) {
        if (word == row.word) {
            *status = row.status;
            return true;
        }
    }
    return false;
}

int ExitCodeOf(Status status) {
    const StatusRow* row = RowOf(status);
    return row != nullptr ? row->exitCode : kExitPortError;
}

std::string StatusText(int language, Status status) {
    const StatusRow* row = RowOf(status);
    if (row == nullptr) return std::string();
    if (row->text < 0) return row->word;
    if (!row->windowText) return MessageText(language, static_cast<Msg>(row->text));
    const std::string text = Cp1251ToUtf8(UiTextIn(language, static_cast<UiTextId>(row->text)));
    return text.substr(0, text.find('\n'));
}
