// SPDX-License-Identifier: Apache-2.0
// The serial channel and the reply reader on handles Wine gives without a reader: a file
// plays the port (its end reads as the 60 ms silence), NUL refuses the port settings, a
// closed handle makes the system fail reads and writes.
#include <doctest/doctest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gui/app.h"
#include "gui/message.h"
#include "core/config.h"
#include "gui/texts.h"
#include "core/commands.h"
#include "gui/reply.h"
#include "gui/channel.h"
#include "gui/session.h"
#include "gui/controls.h"
#include "win/message_watch.h"
#include "win/ui_window.h"

namespace {

// A temporary file holding what the reader "sent"; it goes when its handle is closed.
HANDLE FilePort(const std::string& bytes) {
    char directory[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    GetTempPathA(sizeof directory, directory);
    GetTempFileNameA(directory, "vsp", 0, path);
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    REQUIRE(file != INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    REQUIRE(written == bytes.size());
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    return file;
}

// A handle value that names nothing: every call on it fails with ERROR_INVALID_HANDLE.
HANDLE DeadHandle() {
    HANDLE file = FilePort("");
    CloseHandle(file);
    return file;
}

HWND PortCombo() { return GetDlgItem(g_mainWindow, IdPortCombo); }

bool IsChecked(int id) { return SendMessageA(g_controls.radio[id], BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The real main window (KRU/KRM tab, English) with an open session on a file port holding
// reply; the port list starts disabled, as during a read.
void OpenSessionOn(const std::string& reply, bool replyExpected, bool quietProbe) {
    CreateTestMainWindow(kKruKrm, kEnglish);
    REQUIRE(PortCombo() != nullptr);
    EnableWindow(PortCombo(), FALSE);
    g_session.portHandle = FilePort(reply);
    g_session.portOpen = true;
    g_session.replyExpected = replyExpected;
    g_session.quietProbe = quietProbe;
}

ReplyKind g_lastKind;

struct Shown {
    std::string text;
    unsigned icon;  // the program's icon id, 0 for any other picture
};

// Runs ReadReply with every box it shows recorded and answered with OK.
std::vector<Shown> ReadReplyBoxes() {
    std::vector<Shown> shown;
    for (const SeenBox& box : BoxesOf([] { g_lastKind = ReadReply(); })) {
        unsigned icon = 0;
        for (unsigned id = IconSuccess; id <= IconRetry; ++id) {
            if (box.icon == ProgramIcon(id)) icon = id;
        }
        shown.push_back({box.text, icon});
    }
    return shown;
}

bool SessionWasReset() {
    return !g_session.portOpen && g_session.modelLetter == 'X' && g_session.firmwareVersion == 0 &&
           (g_session.portHandle == nullptr || g_session.portHandle == INVALID_HANDLE_VALUE);
}

void CloseLeftovers() {
    CloseChannel();
    g_session.portOpen = false;
}

std::string NoResponse() { return UiText[TextNoResponse]; }

const std::string kKruReply = "\n\rAT+READS_KRU - OK! >> 1.10TMX1DO";

}  // namespace

TEST_CASE("reply reader: nothing received") {
    SUBCASE("a reader was expected: retry box, port list enabled, session reset") {
        OpenSessionOn("", true, false);
        std::vector<Shown> boxes = ReadReplyBoxes();
        REQUIRE(boxes.size() == 1);
        CHECK(boxes[0].text == NoResponse());
        CHECK(boxes[0].icon == IconRetry);
        CHECK(IsWindowEnabled(PortCombo()));
        CHECK(SessionWasReset());
    }
    SUBCASE("no reader was expected: nothing shown, session reset") {
        OpenSessionOn("", false, true);
        CHECK(ReadReplyBoxes().empty());
        CHECK(SessionWasReset());
    }
    CHECK(g_lastKind == Unrecognized);
    CloseLeftovers();
}

TEST_CASE("reply reader: replies it cannot use") {
    struct Case {
        const char* name;
        std::string reply;
        UiTextId first;
    } cases[] = {
        {"garbage", std::string("\n\r\x13\x80@#!~gArb4g3\xfe\x00?", 18), TextBadReply},
        {"refusal", "\n\rAT+READS_USB - UNKNOWN CMD!", TextInvalidCommand},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        ReplyKind expected = c.first == TextBadReply ? Unrecognized : UnknownCommand;

        // A search passes over the port without a word and keeps it open.
        OpenSessionOn(c.reply, true, true);
        CHECK(ReadReplyBoxes().empty());
        CHECK(g_lastKind == expected);
        CHECK(g_session.portOpen);
        CHECK_FALSE(IsWindowEnabled(PortCombo()));
        CloseLeftovers();

        // A read or write: the complaint, then the reset and the retry box.
        OpenSessionOn(c.reply, true, false);
        std::vector<Shown> boxes = ReadReplyBoxes();
        REQUIRE(boxes.size() == 2);
        CHECK(boxes[0].text == UiText[c.first]);
        CHECK(boxes[0].icon == IconError);
        CHECK(boxes[1].text == NoResponse());
        CHECK(boxes[1].icon == IconRetry);
        CHECK(g_lastKind == expected);
        CHECK(SessionWasReset());
        CHECK(IsWindowEnabled(PortCombo()));
        CloseLeftovers();

        // No reader known on the port: only the complaint; the session stays.
        OpenSessionOn(c.reply, false, false);
        boxes = ReadReplyBoxes();
        REQUIRE(boxes.size() == 1);
        CHECK(boxes[0].text == UiText[c.first]);
        CHECK(g_session.portOpen);
        CHECK_FALSE(IsWindowEnabled(PortCombo()));
        CloseLeftovers();
    }
}

TEST_CASE("reply reader: acknowledgement and settings") {
    SUBCASE("write acknowledged") {
        OpenSessionOn("\n\rAT+W441SO - OK!", true, false);
        std::vector<Shown> boxes = ReadReplyBoxes();
        REQUIRE(boxes.size() == 1);
        CHECK(boxes[0].text == UiText[TextSettingsWritten]);
        CHECK(boxes[0].icon == IconSuccess);
        CHECK(g_lastKind == WriteAck);
        CHECK(g_session.portOpen);
        CHECK_FALSE(IsWindowEnabled(PortCombo()));
    }
    SUBCASE("settings read, then decoded from the buffer start") {
        OpenSessionOn("\n\rAT+READS_KRM - OK! >> 1.10W441SO", true, false);
        std::vector<Shown> boxes = ReadReplyBoxes();
        REQUIRE(boxes.size() == 1);
        CHECK(boxes[0].text == UiText[TextSettingsRead]);
        CHECK(boxes[0].icon == IconSuccess);
        CHECK(g_lastKind == SettingsReply);
        CHECK(g_session.modelLetter == 'M');
        CHECK(g_session.firmwareVersion == 110);
        CHECK(g_session.firmwareSupported);
        CHECK(IsChecked(IdWiegand44));
        CHECK(IsChecked(IdStatic));
        CHECK(WindowText(g_controls.versionValue) == "1.10");
        CHECK(std::string(g_session.cachedSettings) == "1.10W441SO");
    }
    SUBCASE("settings read during a search are still announced") {
        OpenSessionOn(kKruReply, false, true);
        std::vector<Shown> boxes = ReadReplyBoxes();
        REQUIRE(boxes.size() == 1);
        CHECK(boxes[0].text == UiText[TextSettingsRead]);
        CHECK(g_lastKind == SettingsReply);
    }
    SUBCASE("the codec's own verdict comes after the success box") {
        OpenSessionOn("\n\rAT+READS_KRU - OK! >> 2.10TMX1DO", true, false);
        std::vector<Shown> boxes = ReadReplyBoxes();
        REQUIRE(boxes.size() == 2);
        CHECK(boxes[0].text == UiText[TextSettingsRead]);
        CHECK(boxes[1].text == UiText[TextFirmwareUnsupported]);
        CHECK(g_session.modelLetter == 'U');
        CHECK(g_session.firmwareVersion == 210);
        CHECK_FALSE(g_session.firmwareSupported);
    }
    SUBCASE("a full buffer still hands the codec a terminated payload") {
        std::string flood = kKruReply + std::string(40, 'Z');
        OpenSessionOn(flood, true, false);
        std::vector<Shown> boxes = ReadReplyBoxes();
        REQUIRE(boxes.size() == 1);
        CHECK(g_lastKind == SettingsReply);
        CHECK(std::string(g_session.cachedSettings) == "1.10TMX1DO");
        // The surplus stays in the port for the next read.
        unsigned char rest[kReplyBufferSize] = {};
        int count = 0;
        CHECK(ReadBytes(rest, kReplyBufferSize, &count));
        CHECK(count == 10);
        CHECK(std::string(reinterpret_cast<char*>(rest), 10) == std::string(10, 'Z'));
    }
    CloseLeftovers();
}

TEST_CASE("channel reads: one byte at a time up to the capacity") {
    CreateTestMainWindow(kKruKrm, kEnglish);
    std::string sent = kKruReply + std::string("0123456789012345678901234567890123456789");
    g_session.portHandle = FilePort(sent);
    unsigned char buffer[kReplyBufferSize + 1] = {};
    int count = -1;
    CHECK(ReadBytes(buffer, kReplyBufferSize, &count));
    CHECK(count == kReplyBufferSize);
    CHECK(std::string(reinterpret_cast<char*>(buffer), kReplyBufferSize) == sent.substr(0, kReplyBufferSize));
    CHECK(buffer[kReplyBufferSize] == 0);
    std::memset(buffer, 0, sizeof buffer);
    CHECK(ReadBytes(buffer, kReplyBufferSize, &count));
    CHECK(count == static_cast<int>(sent.size()) - kReplyBufferSize);
    CHECK(std::string(reinterpret_cast<char*>(buffer)) == sent.substr(kReplyBufferSize));
    // Nothing left: false, and no box.
    std::vector<SeenBox> boxes = BoxesOf([] {
        unsigned char empty[kReplyBufferSize] = {};
        int got = -1;
        CHECK_FALSE(ReadBytes(empty, kReplyBufferSize, &got));
        CHECK(got == 0);
        // No room: nothing is read at all.
        CHECK_FALSE(ReadBytes(empty, 0, &got));
    });
    CHECK(boxes.empty());
    CloseChannel();
}

TEST_CASE("channel errors show the system error box in the current language") {
    for (int language : {kEnglish, kRussian}) {
        CAPTURE(language);
        CreateTestMainWindow(kKruKrm, language);
        g_session.portHandle = DeadHandle();
        std::vector<SeenBox> boxes = BoxesOf([] {
            unsigned char buffer[kReplyBufferSize] = {};
            int count = -1;
            CHECK_FALSE(ReadBytes(buffer, kReplyBufferSize, &count));
            CHECK_FALSE(WriteBytes(kQueryKruKrm, kQueryLength));
        });
        char readText[256];
        char writeText[256];
        std::snprintf(readText, sizeof readText, "%s [%d] %s", UiText[TextError], ERROR_INVALID_HANDLE,
                      UiText[TextReadFailed]);
        std::snprintf(writeText, sizeof writeText, "%s [%d] %s", UiText[TextError], ERROR_INVALID_HANDLE,
                      UiText[TextWriteFailed]);
        REQUIRE(boxes.size() == 2);
        CHECK(boxes[0].text == readText);
        CHECK(boxes[1].text == writeText);
        CHECK(boxes[0].caption == UiText[TextCaption]);
        CHECK(boxes[0].icon == LoadIconA(nullptr, IDI_HAND));
        g_session.portHandle = INVALID_HANDLE_VALUE;
    }
}

TEST_CASE("channel writes: the whole command or false") {
    CreateTestMainWindow(kKruKrm, kEnglish);
    g_session.portHandle = FilePort("");
    CHECK(WriteBytes(kQueryKruKrm, kQueryLength));
    CHECK(WriteBytes("AT+W441SO", kKruKrmWriteLength));
    CHECK_FALSE(WriteBytes(nullptr, kQueryLength));
    CHECK_FALSE(WriteBytes(kQueryKruKrm, -1));
    SetFilePointer(static_cast<HANDLE>(g_session.portHandle), 0, nullptr, FILE_BEGIN);
    char written[32] = {};
    DWORD got = 0;
    ReadFile(static_cast<HANDLE>(g_session.portHandle), written, sizeof written, &got, nullptr);
    CHECK(std::string(written, got) == "AT+READS_KRXAT+W441SO");
    CloseChannel();
}

TEST_CASE("channel open and close without a reader") {
    CreateTestMainWindow(kKruKrm, kEnglish);
    std::vector<SeenBox> boxes = BoxesOf([] {
        // A name no device carries.
        CHECK_FALSE(OpenChannel("COM99", kReaderBaudRate));
        CHECK(g_session.portHandle == INVALID_HANDLE_VALUE);
        CHECK_FALSE(OpenChannel("COM255", kReaderBaudRate));
        // Names the session could never hold are refused before the system sees them.
        CHECK_FALSE(OpenChannel(std::string(300, '9').c_str(), kReaderBaudRate));
        CHECK_FALSE(OpenChannel("COM123456789012345", kReaderBaudRate));
        CHECK_FALSE(OpenChannel(nullptr, kReaderBaudRate));
        // A device that is no serial port opens but refuses the settings: the handle is
        // closed again at once, so nothing stays held.
        HANDLE nul = CreateFileA("\\\\.\\NUL", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
        REQUIRE(nul != INVALID_HANDLE_VALUE);
        COMMTIMEOUTS timeouts = {};
        CHECK_FALSE(SetCommTimeouts(nul, &timeouts));
        CloseHandle(nul);
        CHECK_FALSE(OpenChannel("NUL", kReaderBaudRate));
        CHECK(g_session.portHandle == INVALID_HANDLE_VALUE);
    });
    CHECK(boxes.empty());

    // Closing twice, or with no handle at all, does nothing more.
    g_session.portHandle = FilePort("x");
    CloseChannel();
    CHECK(g_session.portHandle == INVALID_HANDLE_VALUE);
    CloseChannel();
    g_session.portHandle = nullptr;
    CloseChannel();
    CHECK((g_session.portHandle == nullptr || g_session.portHandle == INVALID_HANDLE_VALUE));
}
