// SPDX-License-Identifier: Apache-2.0
#pragma once
// Every message vireo4 and the browser page show, in English and Russian (UTF-8), in one table:
// an outcome reads the same in both. The window's own texts stay in ui_text.h.
#include <string>

enum class Msg : int {
    UsageUnknownCommand,      // %1 command
    UsageUnknownOption,       // %1 option
    UsageDidYouMean,          // %1 suggestion
    UsageMissingValue,        // %1 option
    UsageBadNumber,           // %1 option, %2 value
    UsageBadLanguage,         // %1 value
    UsageMissingPort,
    UsageMissingProfile,
    UsageMissingSettings,
    UsageExtraArgument,       // %1 argument
    UsageSeeHelp,             // %1 command
    UsageBadAssignment,       // %1 argument
    UsageUnknownSetting,      // %1 name
    UsageAllowedNames,        // %1 list
    UsageUnknownValue,        // %1 value, %2 name
    UsageAllowedValues,       // %1 list
    UsageRawLength,           // %1 chars, %2 6 or 7
    UsageRawAndNames,
    UsageWrongFamilyName,     // %1 name, %2 family section
    UsageTypeWithTouchMemory,
    UsageTypeNeeded,
    UsageSeveralPorts,        // %1 pattern, %2 the ports
    ProfileCannotRead,        // %1 file
    ProfileBadLine,
    ProfileUnknownSection,    // %1 section
    ProfileDuplicateSection,  // %1 section
    ProfileOutsideSection,
    ProfileDuplicateName,     // %1 name
    NoPortMatches,            // %1 pattern
    NoPorts,
    NoReaderFound,
    PortNotFound,
    NotSerialPort,
    PortBusy,
    PortDenied,
    PortOpenFailed,
    PortConfigureFailed,
    PortReadFailed,
    PortWriteFailed,
    ReaderRefused,
    NoAnswer,
    Mismatch,                 // %1 expected, %2 read back
    Unconfirmed,
    SettingNotRecognized,     // %1 name
    Wiegand58NotAllowed,
    Bytes7NotAllowed,
    Bytes7TouchMemory,
    Interrupted,
    NoSectionForFamily,       // %1 section
    Unchanged,
    Changed,
    WouldChange,
    NotWritten,
    Failed,
    Skipped,
    ProfileSettingLeftOut,    // %1 name
    CardNumberTooLarge,       // %1 the field's label
    CsvCannotOpen,            // %1 file, %2 the system's reason
    CsvCannotWrite,           // %1 file, %2 the system's reason
    OutputFailed,             // %1 the system's reason
    ThreadFailed,             // %1 the system's reason
    WatchHint,
    NoCard,
    HeaderPort,
    HeaderModel,
    HeaderFirmware,
    HeaderSettings,
    HeaderPath,
    HeaderUsb,
    HeaderResult,
    UsbReaderMark,
    SerialLineReader,
    HelpKruKrmSettings,       // %1 section
    HelpUsbSettings,          // %1 section
    HelpNoType,               // %1 "none", %2 the format it goes with
    HelpRules,
    HelpRuleNeeds,            // %1 name=value, %2 model, %3 firmware
    HelpRuleCondition,        // %1 name=value, %2 firmware
    ProfileNoSettings,
    ProfileNulByte,
    ProfileNotRegularFile,
    ProfileTooLarge,
    UsageSettingTwice,        // %1 name
    HoldersUnseen,            // %1 port, %2 count
    ConsoleMark,
    UsageNoCommand,
    // The browser page's own texts.
    PageTitle,
    PageIntro,
    PageConnectUsb,
    PageConnectAny,
    PageReaders,
    PageNoReaders,
    PagePortName,
    PageUsbPortName,
    PageGone,
    PageDisconnected,
    PageWorking,
    PageSettingNotRecognized,
    PageNotThisReaders,
    PageCardSection,
    PageWatchCards,
    PageStopWatching,
    PageCopyTable,
    PageSaveCsv,
    PageCopied,
    PageCardTime,
    PageCardReader,
    PageProfileSection,
    PageSaveProfile,
    PageOpenProfile,
    PageDropProfile,
    PageWouldChange,
    PageNothingToChange,
    PageApplyThis,
    PageApplyAll,
    PageApplied,
    PageProfileLine,
    PageProfileTooLarge,
    PageProfileUnknownName,
    PageMessages,
    PageUnsupportedBrowser,
    PageUnsupportedAdvice,
    PageNotWritten,            // %1 the changes
    PageNotWrittenMark,
    PageWriteCount,            // %1 the button's text, %2 count
    PageSaveReadProfile,
    PageSaveProfileHint,
    PageOpenBusy,
    PageOpenDenied,
    PageBusyOrDenied,
    PagePortGone,
    PageCannotOpen,            // %1 the cause
    PageNoneChosen,
    PageForget,
    PageForgotten,
    PageLampLegend,
    PageShowBytes,
    PageBytesSent,
    PageBytesReceived,
    PageCopyLog,
    PageSaveLog,
    PageLogKept,               // %1 count
    PageApplyAllAsk,           // %1 count
    PageInsecure,              // %1 host
    PageFramed,
    PageStartFailed,           // %1 the browser's words
    Count
};

// A message in a language (kRussian or kEnglish); an id out of range gives "".
const char* MessageText(int language, Msg id);

// Every message in the table's order, for a front end that lists them.
struct MessageRow {
    Msg id;
    const char* english;
    const char* russian;
};
const MessageRow* MessageRows(int* count);

// Replaces %1, %2 and %3 in a text; any other '%' stays as it is.
std::string Format(const std::string& text, const std::string& first, const std::string& second = std::string(),
                   const std::string& third = std::string());
