// SPDX-License-Identifier: Apache-2.0
#include "web/page_texts.h"

#include "core/family.h"
#include "core/messages.h"
#include "core/text_cp1251.h"
#include "web/json.h"

namespace {

struct TextRow {
    const char* name;  // as the page asks for it
    Msg message;       // its words in the core's catalogue, shared with vireo4
};

// One row per PageText, in its order.
constexpr TextRow kTexts[] = {
    {"Title", Msg::PageTitle},
    {"Intro", Msg::PageIntro},
    {"ConnectUsb", Msg::PageConnectUsb},
    {"ConnectAny", Msg::PageConnectAny},
    {"Readers", Msg::PageReaders},
    {"NoReaders", Msg::PageNoReaders},
    {"PortName", Msg::PagePortName},
    {"UsbPortName", Msg::PageUsbPortName},
    {"Gone", Msg::PageGone},
    {"Disconnected", Msg::PageDisconnected},
    {"Working", Msg::PageWorking},
    {"Unchanged", Msg::Unchanged},
    {"Verified", Msg::Changed},
    {"Unconfirmed", Msg::Unconfirmed},
    {"Mismatch", Msg::Mismatch},
    {"Busy", Msg::PortBusy},
    {"Denied", Msg::PortDenied},
    {"OpenFailed", Msg::PortOpenFailed},
    {"IoError", Msg::PortReadFailed},
    {"Wiegand58NotAllowed", Msg::Wiegand58NotAllowed},
    {"Bytes7NotAllowed", Msg::Bytes7NotAllowed},
    {"Bytes7TouchMemory", Msg::Bytes7TouchMemory},
    {"SettingNotRecognized", Msg::PageSettingNotRecognized},
    {"TypeBesideTouchMemory", Msg::UsageTypeWithTouchMemory},
    {"TypeNeeded", Msg::UsageTypeNeeded},
    {"NotThisReaders", Msg::PageNotThisReaders},
    {"CardSection", Msg::PageCardSection},
    {"WatchCards", Msg::PageWatchCards},
    {"StopWatching", Msg::PageStopWatching},
    {"CopyTable", Msg::PageCopyTable},
    {"SaveCsv", Msg::PageSaveCsv},
    {"Copied", Msg::PageCopied},
    {"CardTime", Msg::PageCardTime},
    {"CardReader", Msg::PageCardReader},
    {"ProfileSection", Msg::PageProfileSection},
    {"SaveProfile", Msg::PageSaveProfile},
    {"OpenProfile", Msg::PageOpenProfile},
    {"DropProfile", Msg::PageDropProfile},
    {"WouldChange", Msg::PageWouldChange},
    {"NothingToChange", Msg::PageNothingToChange},
    {"ApplyThis", Msg::PageApplyThis},
    {"ApplyAll", Msg::PageApplyAll},
    {"Applied", Msg::PageApplied},
    {"ProfileLine", Msg::PageProfileLine},
    {"ProfileTooLarge", Msg::PageProfileTooLarge},
    {"ProfileBadLine", Msg::ProfileBadLine},
    {"ProfileUnknownSection", Msg::ProfileUnknownSection},
    {"ProfileDuplicateSection", Msg::ProfileDuplicateSection},
    {"ProfileOutsideSection", Msg::ProfileOutsideSection},
    {"ProfileUnknownName", Msg::PageProfileUnknownName},
    {"ProfileUnknownValue", Msg::UsageUnknownValue},
    {"ProfileDuplicateName", Msg::ProfileDuplicateName},
    {"ProfileNoSection", Msg::NoSectionForFamily},
    {"Messages", Msg::PageMessages},
    {"UnsupportedBrowser", Msg::PageUnsupportedBrowser},
    {"UnsupportedAdvice", Msg::PageUnsupportedAdvice},
    {"NotWritten", Msg::PageNotWritten},
    {"NotWrittenMark", Msg::PageNotWrittenMark},
    {"WriteCount", Msg::PageWriteCount},
    {"SaveReadProfile", Msg::PageSaveReadProfile},
    {"SaveProfileHint", Msg::PageSaveProfileHint},
    {"OpenBusy", Msg::PageOpenBusy},
    {"OpenDenied", Msg::PageOpenDenied},
    {"BusyOrDenied", Msg::PageBusyOrDenied},
    {"PortGone", Msg::PagePortGone},
    {"CannotOpen", Msg::PageCannotOpen},
    {"NoneChosen", Msg::PageNoneChosen},
    {"Forget", Msg::PageForget},
    {"Forgotten", Msg::PageForgotten},
    {"LampLegend", Msg::PageLampLegend},
    {"ShowBytes", Msg::PageShowBytes},
    {"BytesSent", Msg::PageBytesSent},
    {"BytesReceived", Msg::PageBytesReceived},
    {"CopyLog", Msg::PageCopyLog},
    {"SaveLog", Msg::PageSaveLog},
    {"LogKept", Msg::PageLogKept},
    {"ApplyAllAsk", Msg::PageApplyAllAsk},
    {"Insecure", Msg::PageInsecure},
    {"Framed", Msg::PageFramed},
    {"StartFailed", Msg::PageStartFailed},
};
static_assert(sizeof kTexts / sizeof kTexts[0] == static_cast<int>(PageText::Count), "one row per text");

// The window's texts the page shows, by the names of their entries.
struct WindowEntry {
    UiTextId id;
    const char* name;
};
constexpr WindowEntry kWindowEntries[] = {
    {TextVersion, "TextVersion"},
    {TextRead, "TextRead"},
    {TextWrite, "TextWrite"},
    {TextIndic, "TextIndic"},
    {TextMenuLanguage, "TextMenuLanguage"},
    {TextItemReadId, "TextItemReadId"},
    {TextFoundKruKrm, "TextFoundKruKrm"},
    {TextFoundKru, "TextFoundKru"},
    {TextFoundKrm, "TextFoundKrm"},
    {TextFoundUsb, "TextFoundUsb"},
    {TextBadReply, "TextBadReply"},
    {TextNoResponse, "TextNoResponse"},
    {TextInvalidCommand, "TextInvalidCommand"},
    {TextSettingsWritten, "TextSettingsWritten"},
    {TextSettingsRead, "TextSettingsRead"},
    {TextFirmwareUnsupported, "TextFirmwareUnsupported"},
    {TextErrorOpening, "TextErrorOpening"},
    {TextConnectionBroken, "TextConnectionBroken"},
    {TextDisabled, "TextDisabled"},
    {TextUsbDisconnected, "TextUsbDisconnected"},
    {TextReadIdUnsupported, "TextReadIdUnsupported"},
    {TextBarcode, "TextBarcode"},
    {TextBarcodeInHex, "TextBarcodeInHex"},
    {TextCipherId, "TextCipherId"},
    {TextCipherIdDotted, "TextCipherIdDotted"},
};

}  // namespace

const char* PageTextIn(int language, PageText id) {
    const int index = static_cast<int>(id);
    if (index < 0 || index >= static_cast<int>(PageText::Count)) return "";
    return MessageText(language, kTexts[index].message);
}

const char* WindowTextName(UiTextId id) {
    for (const WindowEntry& entry : kWindowEntries)
        if (entry.id == id) return entry.name;
    return "";
}

std::string TextsJson(int language) {
    Json json;
    json.BeginObject();
    for (const WindowEntry& entry : kWindowEntries) json.Field(entry.name, Cp1251ToUtf8(UiTextIn(language, entry.id)));
    for (int i = 0; i < static_cast<int>(PageText::Count); ++i)
        json.Field(kTexts[i].name, PageTextIn(language, static_cast<PageText>(i)));
    json.EndObject();
    return json.str();
}
