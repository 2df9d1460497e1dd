// SPDX-License-Identifier: Apache-2.0
#pragma once
// The page's texts in both languages, as UTF-8: the window's own texts from the core's table
// (converted from code page 1251, so Russian reads right on every system), and the others from
// the core's catalogue of messages, which vireo4 words its outcomes from too.
#include <string>

#include "core/messages.h"
#include "core/ui_text.h"

enum class PageText : int {
    Title,
    Intro,
    ConnectUsb,
    ConnectAny,
    Readers,
    NoReaders,
    PortName,          // %1 number
    UsbPortName,       // %1 number, %2 USB vendor:product
    Gone,
    Disconnected,
    Working,
    Unchanged,
    Verified,
    Unconfirmed,
    Mismatch,          // %1 written, %2 read back
    Busy,
    Denied,
    OpenFailed,
    IoError,
    Wiegand58NotAllowed,
    Bytes7NotAllowed,
    Bytes7TouchMemory,
    SettingNotRecognized,  // %1 name
    TypeBesideTouchMemory,
    TypeNeeded,
    NotThisReaders,        // %1 name
    CardSection,
    WatchCards,
    StopWatching,
    CopyTable,
    SaveCsv,
    Copied,
    CardTime,
    CardReader,
    ProfileSection,
    SaveProfile,
    OpenProfile,
    DropProfile,
    WouldChange,       // %1 file name
    NothingToChange,
    ApplyThis,
    ApplyAll,
    Applied,           // %1 count
    ProfileLine,       // %1 line, %2 problem
    ProfileTooLarge,
    ProfileBadLine,
    ProfileUnknownSection,    // %1 section
    ProfileDuplicateSection,  // %1 section
    ProfileOutsideSection,
    ProfileUnknownName,       // %1 name, %2 allowed
    ProfileUnknownValue,      // %1 value, %2 name, then allowed
    ProfileDuplicateName,     // %1 name
    ProfileNoSection,         // %1 section
    Messages,
    UnsupportedBrowser,
    UnsupportedAdvice,
    NotWritten,        // %1 the changes
    NotWrittenMark,
    WriteCount,        // %1 the button's text, %2 count
    SaveReadProfile,
    SaveProfileHint,
    OpenBusy,
    OpenDenied,
    BusyOrDenied,
    PortGone,
    CannotOpen,        // %1 the cause
    NoneChosen,
    Forget,
    Forgotten,
    LampLegend,
    ShowBytes,
    BytesSent,
    BytesReceived,
    CopyLog,
    SaveLog,
    LogKept,           // %1 count
    ApplyAllAsk,       // %1 count
    Insecure,          // %1 host
    Framed,
    StartFailed,       // %1 the browser's words
    Count
};

// A text of the page in a language (kRussian or kEnglish), UTF-8.
const char* PageTextIn(int language, PageText id);

// Replaces %1 and %2, as every text of the catalogue is filled in.
inline std::string FillIn(const std::string& text, const std::string& first, const std::string& second = std::string()) {
    return Format(text, first, second);
}

// The name a window text has among the page's texts ("TextFoundKru"), for a result the page words
// in whatever language it shows later; empty for a text the page does not carry.
const char* WindowTextName(UiTextId id);

// Every text the page shows, the window's and its own, as one JSON object by name.
std::string TextsJson(int language);
