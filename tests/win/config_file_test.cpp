// SPDX-License-Identifier: Apache-2.0
// The configuration file through the Windows C runtime: the in-place save with its
// truncation, and files that another program holds or that are folders.
#include <doctest/doctest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/config.h"
#include "unit/file_bytes.h"

namespace {

const std::string kEnglishUsbFile = "Language = EN;\r\nTabCtrl = USB_USB;\r\n";

std::string TempFile(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

}  // namespace

TEST_CASE("the save keeps the text after the two lines and drops the old surplus") {
    const std::string path = TempFile("vireo-config-save.ini");
    const AppConfig englishUsb = {kEnglish, kUsb};
    WriteBytes(path, std::string(300, 'x') + "\r\nTabCtrl = KRU_KRM;\r\nthird\r\n\x1a" "fourth");
    CHECK(WriteConfigFile(path.c_str(), englishUsb));
    CHECK(ReadBytes(path) == kEnglishUsbFile + "third\r\n\x1a" "fourth");
    WriteBytes(path, "Language = RU;\nTabCtrl = KRU_KRM;\nthird\n");
    CHECK(WriteConfigFile(path.c_str(), englishUsb));
    CHECK(ReadBytes(path) == kEnglishUsbFile + "third\n");
    // Read back through the same reader: Ctrl-Z and CR LF are no different here.
    const AppConfig loaded = LoadConfigFile(path.c_str());
    CHECK(loaded.language == kEnglish);
    CHECK(loaded.family == kUsb);
    DeleteFileA(path.c_str());
}

TEST_CASE("a file held by another program is neither read, replaced nor saved") {
    const std::string path = TempFile("vireo-config-held.ini");
    WriteBytes(path, kEnglishUsbFile);
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(held != INVALID_HANDLE_VALUE);
    const AppConfig loaded = LoadConfigFile(path.c_str());
    CHECK(loaded.language == kRussian);
    CHECK(loaded.family == kKruKrm);
    CHECK_FALSE(WriteConfigFile(path.c_str(), AppConfig{kEnglish, kUsb}));
    CloseHandle(held);
    CHECK(ReadBytes(path) == kEnglishUsbFile);
    DeleteFileA(path.c_str());
}

TEST_CASE("a folder named like the file gives the defaults") {
    const std::string path = TempFile("vireo-config-folder.ini");
    RemoveDirectoryA(path.c_str());  // left over from an earlier run
    REQUIRE(CreateDirectoryA(path.c_str(), nullptr));
    const AppConfig loaded = LoadConfigFile(path.c_str());
    CHECK(loaded.language == kRussian);
    CHECK(loaded.family == kKruKrm);
    CHECK_FALSE(WriteConfigFile(path.c_str(), AppConfig{kEnglish, kUsb}));
    CHECK((GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
    RemoveDirectoryA(path.c_str());
}
