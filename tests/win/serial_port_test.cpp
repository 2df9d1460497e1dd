// SPDX-License-Identifier: Apache-2.0
// The serial channel on a real COM port of the Wine prefix, with a simulated reader behind
// it. These cases need the reader and its port, so they are skipped in the ordinary run;
// tests/e2e/test_serial_channel.py prepares the prefix and runs them one by one with
// --no-skip. The port comes in VIREO_TEST_PORT, the reader's model letter in
// VIREO_TEST_MODEL; timings are printed as "MEASURE <name> <ms>".
#include <doctest/doctest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gui/app.h"
#include "core/config.h"
#include "gui/texts.h"
#include "core/commands.h"
#include "gui/reply.h"
#include "gui/channel.h"
#include "gui/session.h"
#include "win/ui_window.h"

namespace {

constexpr DWORD kReaderAnswerWaitMs = 500;   // as the program waits before reading
constexpr DWORD kSplitPauseMs = 150;         // the reader's pause inside a split reply

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string TestPort() {
    std::string port = Env("VIREO_TEST_PORT");
    REQUIRE_MESSAGE(!port.empty(), "VIREO_TEST_PORT names the reader's port");
    return port;
}

char TestModel() {
    std::string model = Env("VIREO_TEST_MODEL");
    REQUIRE(model.size() == 1);
    return model[0];
}

double NowMs() {
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Measure(const char* name, double ms) {
    std::printf("MEASURE %s %.1f\n", name, ms);
    std::fflush(stdout);
}

// The real main window of the reader's family, and the reader's port open.
void OpenTestPort() {
    CreateTestMainWindow(TestModel() == 'B' ? kUsb : kKruKrm, kEnglish);
    REQUIRE(OpenChannel(TestPort().c_str(), kReaderBaudRate));
    g_session.portOpen = true;
}

void CloseTestPort() {
    CloseChannel();
    g_session.portOpen = false;
}

struct Read {
    bool ok;
    std::string bytes;
    double ms;  // how long ReadBytes took
};

Read ReadNow() {
    unsigned char buffer[kReplyBufferSize] = {};
    int count = 0;
    double start = NowMs();
    bool ok = ReadBytes(buffer, kReplyBufferSize, &count);
    Read read = {ok, std::string(reinterpret_cast<char*>(buffer), ok ? static_cast<size_t>(count) : 0),
                 NowMs() - start};
    return read;
}

const char* QueryFor(char model) { return model == 'B' ? kQueryUsb : kQueryKruKrm; }

std::string SettingsReplyFor(char model, const char* settings) {
    std::string echo = QueryFor(model);
    echo.back() = model;
    return "\n\r" + echo + " - OK! >> 1.10" + settings;
}

ReplyKind g_kind;

// Runs ReadReply with every box it shows recorded and answered with OK.
std::vector<std::string> ReadReplyTexts() {
    std::vector<std::string> texts;
    for (const SeenBox& box : BoxesOf([] { g_kind = ReadReply(); })) texts.push_back(box.text);
    return texts;
}

}  // namespace

TEST_CASE("serial port: settings query round trip" * doctest::skip()) {
    char model = TestModel();
    OpenTestPort();
    g_session.replyExpected = true;
    REQUIRE(WriteBytes(QueryFor(model), kQueryLength));
    std::vector<std::string> texts = ReadReplyTexts();
    REQUIRE(texts.size() == 1);
    CHECK(texts[0] == UiText[TextSettingsRead]);
    CHECK(g_kind == SettingsReply);
    CHECK(g_session.modelLetter == model);
    CHECK(g_session.firmwareVersion == 110);
    CHECK(g_session.firmwareSupported);
    CHECK(std::string(g_session.cachedSettings) == (model == 'B' ? "1.10WHDH5EM" : "1.10TMX1DO"));

    // The other family's query is refused by this reader.
    REQUIRE(WriteBytes(model == 'B' ? kQueryKruKrm : kQueryUsb, kQueryLength));
    Sleep(kReaderAnswerWaitMs);
    Read refusal = ReadNow();
    REQUIRE(refusal.ok);
    std::vector<unsigned char> buffer(refusal.bytes.begin(), refusal.bytes.end());
    buffer.resize(kReplyBufferSize);
    CHECK(ClassifyReply(buffer.data(), static_cast<int>(refusal.bytes.size())).kind == UnknownCommand);
    CloseTestPort();
}

TEST_CASE("serial port: write acknowledged and kept" * doctest::skip()) {
    char model = TestModel();
    const char* command = model == 'B' ? "AT+ATMX4XM" : "AT+W441SO";
    OpenTestPort();
    g_session.replyExpected = true;
    REQUIRE(WriteBytes(command, static_cast<int>(std::strlen(command))));
    std::vector<std::string> texts = ReadReplyTexts();
    REQUIRE(texts.size() == 1);
    CHECK(texts[0] == UiText[TextSettingsWritten]);
    CHECK(g_kind == WriteAck);

    REQUIRE(WriteBytes(QueryFor(model), kQueryLength));
    Sleep(kReaderAnswerWaitMs);
    Read reply = ReadNow();
    CHECK(reply.bytes == SettingsReplyFor(model, command + kCommandPrefixLength));
    CloseTestPort();
}

TEST_CASE("serial port: a long reply is cut at 64 bytes" * doctest::skip()) {
    // The reader sends its settings reply and 40 more bytes.
    OpenTestPort();
    REQUIRE(WriteBytes(kQueryKruKrm, kQueryLength));
    double start = NowMs();
    Read first = ReadNow();
    Measure("read64_from_write", NowMs() - start);
    Measure("read64", first.ms);
    REQUIRE(first.ok);
    std::string expected = SettingsReplyFor(TestModel(), "TMX1DO") + "0123456789012345678901234567890123456789";
    CHECK(first.bytes == expected.substr(0, kReplyBufferSize));
    // Ended by the 64th byte, not by a time-out: about 33 ms of line time after the first byte.
    CHECK(first.ms < 500);
    Read rest = ReadNow();
    CHECK(rest.ok);
    CHECK(rest.bytes == expected.substr(kReplyBufferSize));
    CHECK_FALSE(ReadNow().ok);
    CloseTestPort();
}

TEST_CASE("serial port: a reply split by a long pause is read as two" * doctest::skip()) {
    // The reader pauses 150 ms after the first 17 bytes: the first read ends in the pause,
    // and the rest waits in the driver for the next read.
    OpenTestPort();
    std::string expected = SettingsReplyFor(TestModel(), "TMX1DO");
    REQUIRE(WriteBytes(kQueryKruKrm, kQueryLength));
    Read first = ReadNow();
    Sleep(kSplitPauseMs);
    Read second = ReadNow();
    CHECK(first.bytes == expected.substr(0, 17));
    CHECK(second.bytes == expected.substr(17));
    CloseTestPort();
}

TEST_CASE("serial port: timing of a whole reply" * doctest::skip()) {
    OpenTestPort();
    REQUIRE(WriteBytes(kQueryKruKrm, kQueryLength));
    double start = NowMs();
    Read reply = ReadNow();
    Measure("read34_from_write", NowMs() - start);
    CHECK(reply.bytes.size() == 34);
    // Once the reply is waiting in the driver, the read costs the 60 ms silence behind it.
    REQUIRE(WriteBytes(kQueryKruKrm, kQueryLength));
    Sleep(kReaderAnswerWaitMs);
    Read waiting = ReadNow();
    Measure("read34_waiting", waiting.ms);
    CHECK(waiting.bytes.size() == 34);
    CHECK(waiting.ms >= 50);
    CHECK(waiting.ms < 400);
    CloseTestPort();
}

TEST_CASE("serial port: a silent reader gives nothing after one time-out" * doctest::skip()) {
    OpenTestPort();
    std::vector<SeenBox> boxes = BoxesOf([] {
        REQUIRE(WriteBytes(kQueryKruKrm, kQueryLength));
        Read silent = ReadNow();
        Measure("silent_read", silent.ms);
        CHECK_FALSE(silent.ok);
        CHECK(silent.ms >= 50);
        CHECK(silent.ms < 400);
    });
    CHECK(boxes.empty());
    CloseTestPort();
}

TEST_CASE("serial port: a port held by another program does not open" * doctest::skip()) {
    // Another program holds the port open exclusively; the channel fails quietly, exactly
    // as for a port name that no device carries.
    CreateTestMainWindow(kKruKrm, kEnglish);
    std::vector<SeenBox> boxes = BoxesOf([] {
        CHECK_FALSE(OpenChannel(TestPort().c_str(), kReaderBaudRate));
        CHECK(g_session.portHandle == INVALID_HANDLE_VALUE);
        CHECK_FALSE(OpenChannel("COM42", kReaderBaudRate));
        CHECK(g_session.portHandle == INVALID_HANDLE_VALUE);
    });
    CHECK(boxes.empty());
}
