// SPDX-License-Identifier: Apache-2.0
// The configuration file: whatever the file holds, the loader yields 0 or 1 for both values
// (the ones an independent reading of the two-line format gives) and never rewrites a
// readable file; a save followed by a load returns the saved values, and the save keeps every
// byte after the file's second line end.
#include <unistd.h>

#include <cstring>
#include <string>

#include "gui/texts.h"
#include "fuzz_check.h"
#include "window_view.h"

namespace {

std::string g_path;

void RemoveDirectory() {
    unlink(g_path.c_str());
    rmdir(g_path.substr(0, g_path.rfind('/')).c_str());
}

const std::string& ConfigPath() {
    if (g_path.empty()) {
        // A memory file system where there is one: the harness writes the file many times.
        char shm[] = "/dev/shm/vireo-fuzz-config-XXXXXX";
        char tmp[] = "/tmp/vireo-fuzz-config-XXXXXX";
        char* dir = mkdtemp(shm);
        if (!dir) dir = mkdtemp(tmp);
        if (!dir) std::abort();
        g_path = std::string(dir) + "/appconfig.ini";
        std::atexit(RemoveDirectory);
    }
    return g_path;
}

void WriteAll(const std::string& bytes) {
    FILE* f = std::fopen(ConfigPath().c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string ReadAll() {
    std::string bytes;
    FILE* f = std::fopen(ConfigPath().c_str(), "rb");
    FUZZ_CHECK(f != nullptr);
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    std::fclose(f);
    return bytes;
}

// The file as the program reads it: CR LF becomes LF, then pieces of at most 79 characters
// that end after an LF. Returns piece number index, or an empty text when there is none.
std::string Piece(const std::string& file, int index) {
    std::string text;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n') continue;
        text += file[i];
    }
    constexpr std::size_t kPieceLimit = 79;
    std::size_t start = 0;
    for (int n = 0; start < text.size(); ++n) {
        std::size_t end = start;
        while (end < text.size() && end - start < kPieceLimit) {
            if (text[end++] == '\n') break;
        }
        if (n == index) return text.substr(start, end - start);
        start = end;
    }
    return std::string();
}

// Where the bytes the save must keep begin: after the second LF, or the end of the file.
std::size_t TailStart(const std::string& file) {
    int lineEnds = 0;
    for (std::size_t i = 0; i < file.size(); ++i)
        if (file[i] == '\n' && ++lineEnds == 2) return i + 1;
    return file.size();
}

std::string Lines(int language, int family) {
    return std::string(language == kEnglish ? "Language = EN;\r\n" : "Language = RU;\r\n") +
           (family == kUsb ? "TabCtrl = USB_USB;\r\n" : "TabCtrl = KRU_KRM;\r\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input{data, size, 0};
    const std::uint8_t choice = input.Byte();
    const int savedLanguage = choice & 1;
    const int savedFamily = (choice >> 1) & 1;
    const std::string original = input.Rest();

    WriteAll(original);
    g_uiLanguage = g_readerFamily = -1;
    LoadInto(ConfigPath().c_str());
    FUZZ_CHECK(g_uiLanguage == 0 || g_uiLanguage == 1);
    FUZZ_CHECK(g_readerFamily == 0 || g_readerFamily == 1);
    FUZZ_CHECK(g_uiLanguage == (Piece(original, 0) == "Language = EN;\n" ? kEnglish : kRussian));
    FUZZ_CHECK(g_readerFamily == (Piece(original, 1) == "TabCtrl = USB_USB;\n" ? kUsb : kKruKrm));
    FUZZ_CHECK(ReadAll() == original);

    g_uiLanguage = savedLanguage;
    g_readerFamily = savedFamily;
    FUZZ_CHECK(WriteWindowConfig(ConfigPath().c_str()));
    const std::string saved = ReadAll();
    FUZZ_CHECK(saved == Lines(savedLanguage, savedFamily) + original.substr(TailStart(original)));

    g_uiLanguage = g_readerFamily = -1;
    LoadInto(ConfigPath().c_str());
    FUZZ_CHECK(g_uiLanguage == savedLanguage);
    FUZZ_CHECK(g_readerFamily == savedFamily);
    FUZZ_CHECK(ReadAll() == saved);
    return 0;
}
