// SPDX-License-Identifier: Apache-2.0
// The resources of the real program file: seven one-image icon groups, the version
// record, and no manifest.
#include <doctest/doctest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kIconSize = 32;
constexpr int kIconBits = 32;
constexpr DWORD kIconDataSize = 40 + 4096 + 128;
constexpr WORD kFirstIconId = 1;
constexpr WORD kLastIconId = 7;

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconDir {
    WORD reserved, type, count;
    GroupIconEntry entries[1];
};
#pragma pack(pop)

// VireoTool-4.exe lies beside this test program.
std::string ProgramPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    return dir.substr(0, dir.find_last_of("\\/") + 1) + "VireoTool-4.exe";
}

HMODULE LoadProgram() {
    static HMODULE program =
        LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    return program;
}

// The bytes of one resource, empty when it is missing.
std::vector<BYTE> Resource(HMODULE module, LPCSTR type, WORD id) {
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!info) return {};
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
    return std::vector<BYTE>(data, data + SizeofResource(module, info));
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(names)->push_back(reinterpret_cast<ULONG_PTR>(name));
    return TRUE;
}

std::vector<ULONG_PTR> ResourceNames(HMODULE module, LPCSTR type) {
    std::vector<ULONG_PTR> names;
    EnumResourceNamesA(module, type, CollectName, reinterpret_cast<LONG_PTR>(&names));
    return names;
}

}  // namespace

TEST_CASE("seven icon groups, each one 32x32 image of 32 bits with alpha") {
    HMODULE program = LoadProgram();
    REQUIRE(program != nullptr);
    // Group 1 first: the shell shows the first group as the program file's icon.
    CHECK(ResourceNames(program, RT_GROUP_ICON) == std::vector<ULONG_PTR>{1, 2, 3, 4, 5, 6, 7});
    for (WORD id = kFirstIconId; id <= kLastIconId; ++id) {
        CAPTURE(id);
        std::vector<BYTE> group = Resource(program, RT_GROUP_ICON, id);
        REQUIRE(group.size() == sizeof(GroupIconDir));  // a single entry
        const GroupIconDir* dir = reinterpret_cast<const GroupIconDir*>(group.data());
        REQUIRE(dir->count == 1);
        const GroupIconEntry& entry = dir->entries[0];
        CHECK(entry.width == kIconSize);
        CHECK(entry.height == kIconSize);
        CHECK(entry.bitCount == kIconBits);
        CHECK(entry.bytesInRes == kIconDataSize);

        std::vector<BYTE> image = Resource(program, RT_ICON, entry.id);
        REQUIRE(image.size() == kIconDataSize);
        BITMAPINFOHEADER header;
        std::memcpy(&header, image.data(), sizeof header);
        CHECK(header.biSize == sizeof header);
        CHECK(header.biWidth == kIconSize);
        CHECK(header.biHeight == 2 * kIconSize);  // colour and mask
        CHECK(header.biBitCount == kIconBits);
        CHECK(header.biCompression == BI_RGB);

        // The alpha channel is really used: clear corners and soft edges.
        int clear = 0, soft = 0, solid = 0;
        for (int pixel = 0; pixel < kIconSize * kIconSize; ++pixel) {
            BYTE alpha = image[sizeof header + 4 * pixel + 3];
            clear += alpha == 0;
            solid += alpha == 255;
            soft += alpha > 0 && alpha < 255;
        }
        CHECK(clear > 0);
        CHECK(soft > 0);
        CHECK(solid > 100);

        HICON icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                              0, 0, LR_DEFAULTCOLOR);
        REQUIRE(icon != nullptr);
        ICONINFO info = {};
        REQUIRE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        CHECK(colour.bmWidth == kIconSize);
        CHECK(colour.bmHeight == kIconSize);
        CHECK(colour.bmBitsPixel == kIconBits);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST_CASE("the icons of this module load by their ids") {
    for (WORD id = kFirstIconId; id <= kLastIconId; ++id) {
        CAPTURE(id);
        CHECK(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)) != nullptr);
    }
    CHECK(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kLastIconId + 1)) == nullptr);
}

TEST_CASE("version 2.0.0.0 and no manifest") {
    HMODULE program = LoadProgram();
    REQUIRE(program != nullptr);
    std::vector<BYTE> version = Resource(program, RT_VERSION, 1);
    REQUIRE(version.size() > sizeof(VS_FIXEDFILEINFO));
    const VS_FIXEDFILEINFO* fixed = nullptr;
    for (size_t at = 0; at + sizeof(VS_FIXEDFILEINFO) <= version.size(); at += 4) {
        DWORD signature;
        std::memcpy(&signature, &version[at], sizeof signature);
        if (signature == VS_FFI_SIGNATURE) {
            fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(&version[at]);
            break;
        }
    }
    REQUIRE(fixed != nullptr);
    CHECK(fixed->dwFileVersionMS == MAKELONG(0, 2));
    CHECK(fixed->dwFileVersionLS == 0);
    CHECK(fixed->dwProductVersionMS == MAKELONG(0, 2));
    CHECK(fixed->dwProductVersionLS == 0);
    CHECK(ResourceNames(program, RT_MANIFEST).empty());
}
