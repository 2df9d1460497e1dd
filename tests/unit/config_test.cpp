// SPDX-License-Identifier: Apache-2.0
#include <doctest/doctest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui/texts.h"
#include "unit/child_process.h"
#include "unit/file_bytes.h"

namespace {

const std::string kDefaultFile = "Language = RU;\r\nTabCtrl = KRU_KRM;\r\n";
const std::string kEnglishUsbFile = "Language = EN;\r\nTabCtrl = USB_USB;\r\n";

// A fresh folder per test, removed with everything in it at the end.
struct TempDir {
    std::string path;
    TempDir() {
        char name[] = "/tmp/vireo-config-XXXXXX";
        path = mkdtemp(name);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string File() const { return path + "/appconfig.ini"; }
};

// The window's two values, loaded and saved through the file functions as the window does.
void LoadInto(const char* path) {
    const AppConfig config = LoadConfigFile(path);
    g_uiLanguage = config.language;
    g_readerFamily = config.family;
}
bool WriteConfigFile(const char* path) { return ::WriteConfigFile(path, AppConfig{g_uiLanguage, g_readerFamily}); }

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Loads content and returns {language, family}; the file must come out unchanged.
std::pair<int, int> LoadFrom(const std::string& content) {
    TempDir dir;
    WriteBytes(dir.File(), content);
    g_uiLanguage = 7;
    g_readerFamily = 7;
    LoadInto(dir.File().c_str());
    CHECK(ReadBytes(dir.File()) == content);
    return {g_uiLanguage, g_readerFamily};
}

// Saves English/USB over content and returns what the file then holds.
std::string SaveEnglishUsbOver(const std::string& content) {
    TempDir dir;
    WriteBytes(dir.File(), content);
    g_uiLanguage = kEnglish;
    g_readerFamily = kUsb;
    CHECK(WriteConfigFile(dir.File().c_str()));
    return ReadBytes(dir.File());
}

constexpr int kNotDropped = 99;  // the child could not give up root

// The file is handed to the user the unprivileged child runs as, with the given mode; its
// folder lets that user reach it.
void HandToUnprivilegedUser(const TempDir& dir, mode_t mode) {
    if (geteuid() == 0) {
        REQUIRE(chmod(dir.path.c_str(), 0711) == 0);
        REQUIRE(chown(dir.File().c_str(), kUnprivilegedId, kUnprivilegedId) == 0);
    }
    REQUIRE(chmod(dir.File().c_str(), mode) == 0);
}

struct SaveOutcome {
    int saved;  // WriteConfigFile's result (1 or 0), or kNotDropped, -1 when the child died
    std::string bytes;
};

// Saves English/USB over content in a child whose files may not grow beyond limit bytes, as
// on a full disk (SIGXFSZ ignored: the write fails with EFBIG instead).
SaveOutcome SaveEnglishUsbWithinLimit(const std::string& content, rlim_t limit) {
    TempDir dir;
    WriteBytes(dir.File(), content);
    const int saved = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit cap = {limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &cap) != 0) return kNotDropped;
        g_uiLanguage = kEnglish;
        g_readerFamily = kUsb;
        return WriteConfigFile(dir.File().c_str()) ? 1 : 0;
    });
    return {saved, ReadBytes(dir.File())};
}

}  // namespace

TEST_CASE("a missing file is created with the default 36 bytes") {
    TempDir dir;
    g_uiLanguage = kEnglish;
    g_readerFamily = kUsb;
    LoadInto(dir.File().c_str());
    CHECK(g_uiLanguage == kRussian);
    CHECK(g_readerFamily == kKruKrm);
    CHECK(ReadBytes(dir.File()) == kDefaultFile);
    CHECK(kDefaultFile.size() == 36);
}

TEST_CASE("a file that can be neither read nor created leaves the defaults and writes nothing") {
    TempDir dir;
    const std::string inMissingFolder = dir.path + "/no-such-folder/appconfig.ini";
    g_uiLanguage = kEnglish;
    g_readerFamily = kUsb;
    LoadInto(inMissingFolder.c_str());
    CHECK(g_uiLanguage == kRussian);
    CHECK(g_readerFamily == kKruKrm);
    CHECK_FALSE(Exists(dir.path + "/no-such-folder"));
}

TEST_CASE("an unreadable but writable file is emptied and rewritten with the defaults" *
          doctest::test_suite(kChildProcessSuite) * doctest::skip(!CanRunUnprivileged())) {
    TempDir dir;
    WriteBytes(dir.File(), kEnglishUsbFile + "kept?\r\n");
    HandToUnprivilegedUser(dir, 0200);
    const int loaded = RunInChild([&] {
        if (!DropRoot()) return kNotDropped;
        g_uiLanguage = kEnglish;
        g_readerFamily = kUsb;
        LoadInto(dir.File().c_str());
        return 10 * g_uiLanguage + g_readerFamily;
    });
    CHECK(loaded == 10 * kRussian + kKruKrm);
    REQUIRE(chmod(dir.File().c_str(), 0600) == 0);
    CHECK(ReadBytes(dir.File()) == kDefaultFile);
}

TEST_CASE("recognised lines, with CR LF or LF-only ends") {
    CHECK(LoadFrom(kEnglishUsbFile) == std::make_pair(1, 1));
    CHECK(LoadFrom(kDefaultFile) == std::make_pair(0, 0));
    CHECK(LoadFrom("Language = EN;\nTabCtrl = USB_USB;\n") == std::make_pair(1, 1));
    CHECK(LoadFrom("Language = EN;\r\nTabCtrl = KRU_KRM;\n") == std::make_pair(1, 0));
    CHECK(LoadFrom("Language = RU;\nTabCtrl = USB_USB;\r\n") == std::make_pair(0, 1));
    // Later lines are ignored, whatever they hold.
    CHECK(LoadFrom(kEnglishUsbFile + "Language = RU;\r\nTabCtrl = KRU_KRM;\r\n\x01\xff") == std::make_pair(1, 1));
}

TEST_CASE("any other line falls back to 0") {
    CHECK(LoadFrom("") == std::make_pair(0, 0));
    CHECK(LoadFrom("Language = EN;\rTabCtrl = USB_USB;\r") == std::make_pair(0, 0));       // CR only
    CHECK(LoadFrom("Language = EN; \r\nTabCtrl = USB_USB; \r\n") == std::make_pair(0, 0));  // trailing
    CHECK(LoadFrom(" Language = EN;\r\n TabCtrl = USB_USB;\r\n") == std::make_pair(0, 0));  // leading
    CHECK(LoadFrom("Language = en;\r\nTabCtrl = usb_usb;\r\n") == std::make_pair(0, 0));
    CHECK(LoadFrom("Language = EN\r\nTabCtrl = USB_USB\r\n") == std::make_pair(0, 0));
    CHECK(LoadFrom("Language=EN;\r\nTabCtrl=USB_USB;\r\n") == std::make_pair(0, 0));
    CHECK(LoadFrom("Language = EN;\r\r\nTabCtrl = USB_USB;\r\r\n") == std::make_pair(0, 0));
    CHECK(LoadFrom(std::string("Language = EN;\0\r\nTabCtrl = USB_USB;\0\n", 38)) == std::make_pair(0, 0));
    CHECK(LoadFrom("TabCtrl = USB_USB;\r\nLanguage = EN;\r\n") == std::make_pair(0, 0));  // swapped
}

TEST_CASE("a line needs its line end") {
    CHECK(LoadFrom("Language = EN;") == std::make_pair(0, 0));
    CHECK(LoadFrom("Language = EN;\r\n") == std::make_pair(1, 0));
    CHECK(LoadFrom("Language = EN;\r\nTabCtrl = USB_USB;") == std::make_pair(1, 0));
    CHECK(LoadFrom("Language = EN;\r\nTabCtrl = USB_USB;\r") == std::make_pair(1, 0));
}

TEST_CASE("a first line longer than 79 characters arrives in pieces") {
    // Its second piece is taken as the family line; the real second line is ignored.
    CHECK(LoadFrom(std::string(100, 'x') + "\r\nTabCtrl = USB_USB;\r\n") == std::make_pair(0, 0));
    // Exactly 79 characters make the first piece, so the rest of the line is piece 1.
    CHECK(LoadFrom(std::string(79, 'x') + "TabCtrl = USB_USB;\r\n") == std::make_pair(0, 1));
    CHECK(LoadFrom(std::string(78, 'x') + "TabCtrl = USB_USB;\r\n") == std::make_pair(0, 0));
    // A 79-character line leaves only its line end for piece 1.
    CHECK(LoadFrom(std::string(79, 'x') + "\r\nTabCtrl = USB_USB;\r\n") == std::make_pair(0, 0));
    // The dropped CR does not count: 78 characters and CR LF still end the piece.
    CHECK(LoadFrom(std::string(78, 'x') + "\r\nTabCtrl = USB_USB;\r\n") == std::make_pair(0, 1));
}

TEST_CASE("random bytes never break the reader") {
    std::srand(4);
    for (int round = 0; round < 200; ++round) {
        std::string content;
        const int size = std::rand() % 300;
        for (int i = 0; i < size; ++i) content += static_cast<char>(std::rand() % 4 == 0 ? "\r\n"[std::rand() % 2] : std::rand());
        auto values = LoadFrom(content);
        CHECK((values.first == 0 || values.first == 1));
        CHECK((values.second == 0 || values.second == 1));
    }
}

TEST_CASE("saving writes both lines and keeps everything after the second line") {
    CHECK(SaveEnglishUsbOver(kDefaultFile) == kEnglishUsbFile);
    CHECK(SaveEnglishUsbOver(kDefaultFile + "third line\r\nfourth") == kEnglishUsbFile + "third line\r\nfourth");
    // LF-only: the third line keeps its first characters, the two lines get CR LF ends.
    CHECK(SaveEnglishUsbOver("Language = RU;\nTabCtrl = KRU_KRM;\nthird\n") == kEnglishUsbFile + "third\n");
    // Longer old lines: the surplus goes, the text after them moves up.
    CHECK(SaveEnglishUsbOver(std::string(200, 'x') + "\r\nTabCtrl = junk junk junk;\r\ntail") == kEnglishUsbFile + "tail");
    CHECK(SaveEnglishUsbOver(std::string(200, 'x') + "\nshort\n") == kEnglishUsbFile);
}

TEST_CASE("saving a file with fewer than two line ends replaces all of it") {
    CHECK(SaveEnglishUsbOver("") == kEnglishUsbFile);
    CHECK(SaveEnglishUsbOver("Language = RU;") == kEnglishUsbFile);
    CHECK(SaveEnglishUsbOver("Language = RU;\r\nTabCtrl") == kEnglishUsbFile);
    CHECK(SaveEnglishUsbOver("Language = RU;\rTabCtrl = KRU_KRM;\r") == kEnglishUsbFile);
    CHECK(SaveEnglishUsbOver(std::string(5000, 'y')) == kEnglishUsbFile);
}

TEST_CASE("a long tail survives being moved either way") {
    std::string tail;
    std::srand(7);
    for (int i = 0; i < 10000; ++i) tail += static_cast<char>(std::rand());
    CHECK(SaveEnglishUsbOver("a\nb\n" + tail) == kEnglishUsbFile + tail);
    CHECK(SaveEnglishUsbOver(std::string(5000, 'a') + "\nb\n" + tail) == kEnglishUsbFile + tail);
}

TEST_CASE("what is saved is what is loaded") {
    for (int language : {kRussian, kEnglish}) {
        for (int family : {kKruKrm, kUsb}) {
            TempDir dir;
            WriteBytes(dir.File(), "");
            g_uiLanguage = language;
            g_readerFamily = family;
            REQUIRE(WriteConfigFile(dir.File().c_str()));
            CHECK(ReadBytes(dir.File()).size() == 36);
            g_uiLanguage = 1 - language;
            g_readerFamily = 1 - family;
            LoadInto(dir.File().c_str());
            CHECK(g_uiLanguage == language);
            CHECK(g_readerFamily == family);
        }
    }
}

TEST_CASE("saving never creates the file and reports that it could not") {
    TempDir dir;
    CHECK_FALSE(WriteConfigFile(dir.File().c_str()));
    CHECK_FALSE(Exists(dir.File()));
    // A folder in its place cannot be opened for update either.
    mkdir(dir.File().c_str(), 0700);
    CHECK_FALSE(WriteConfigFile(dir.File().c_str()));
}

TEST_CASE("a read-only file is left untouched" * doctest::test_suite(kChildProcessSuite) *
          doctest::skip(!CanRunUnprivileged())) {
    TempDir dir;
    WriteBytes(dir.File(), kDefaultFile + "third\r\n");
    HandToUnprivilegedUser(dir, 0400);
    const int saved = RunInChild([&] {
        if (!DropRoot()) return kNotDropped;
        g_uiLanguage = kEnglish;
        return WriteConfigFile(dir.File().c_str()) ? 1 : 0;
    });
    CHECK(saved == 0);
    CHECK(ReadBytes(dir.File()) == kDefaultFile + "third\r\n");
}

TEST_CASE("a save that cannot make the file longer fails and leaves it as it was" *
          doctest::test_suite(kChildProcessSuite)) {
    // LF-only lines are two bytes shorter than the new ones: the text after them moves down
    // and the file grows. No room for that (a full disk, a size limit): nothing is written.
    const std::string lfOnly = "Language = RU;\nTabCtrl = KRU_KRM;\n";
    std::string longTail;  // moved in several chunks
    std::srand(11);
    for (int i = 0; i < 10000; ++i) longTail += static_cast<char>(std::rand());
    for (const std::string& tail : {std::string("third line\n"), longTail}) {
        const std::string content = lfOnly + tail;
        CAPTURE(tail.size());
        for (rlim_t room : {content.size(), content.size() + 1}) {
            CAPTURE(room);
            const SaveOutcome outcome = SaveEnglishUsbWithinLimit(content, room);
            CHECK(outcome.saved == 0);
            CHECK(outcome.bytes.size() == content.size());
            CHECK((outcome.bytes == content));
        }
        // Room for exactly the new size is enough.
        const SaveOutcome outcome = SaveEnglishUsbWithinLimit(content, content.size() + 2);
        CHECK(outcome.saved == 1);
        CHECK((outcome.bytes == kEnglishUsbFile + tail));
    }
    // An empty file that cannot grow stays empty.
    const SaveOutcome outcome = SaveEnglishUsbWithinLimit("", 20);
    CHECK(outcome.saved == 0);
    CHECK(outcome.bytes.empty());
}
