// SPDX-License-Identifier: Apache-2.0
// vprobe.dll: loaded by vdriver into the program's own process (CreateRemoteThread with
// LoadLibraryA) to read what Wine keeps private to each process: its menus. Each export is a
// thread routine that takes a block in the program's memory, fills it and returns.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kMaxDepth = 4;

// Shared with the driver: a 16-byte header, then the answer text.
struct ProbeBlock {
    HWND window;
    DWORD capacity;  // bytes available in text
    DWORD reserved;
    char text[1];
};

struct Writer {
    char* out;
    DWORD capacity;
    DWORD used;
    bool overflow;
};

void Append(Writer* writer, const char* piece) {
    size_t length = std::strlen(piece);
    if (writer->used + length + 1 > writer->capacity) {
        writer->overflow = true;
        return;
    }
    std::memcpy(writer->out + writer->used, piece, length + 1);
    writer->used += static_cast<DWORD>(length);
}

void AppendHex(Writer* writer, const char* text) {
    Append(writer, "x:");
    char pair[3];
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        std::snprintf(pair, sizeof pair, "%02x", *c);
        Append(writer, pair);
    }
}

void DumpMenu(HMENU menu, const char* path, int depth, Writer* writer) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[512] = {};
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = sizeof text - 1;
        if (!GetMenuItemInfoA(menu, i, TRUE, &item)) continue;
        char here[64], fields[96];
        if (*path) std::snprintf(here, sizeof here, "%s.%d", path, i);
        else std::snprintf(here, sizeof here, "%d", i);
        std::snprintf(fields, sizeof fields, "%s%s:%u:%u:%u:%d:", writer->used ? " " : "", here, item.wID,
                      static_cast<unsigned>(item.fState), static_cast<unsigned>(item.fType), item.hSubMenu ? 1 : 0);
        Append(writer, fields);
        AppendHex(writer, text);
        if (item.hSubMenu && depth < kMaxDepth) DumpMenu(item.hSubMenu, here, depth + 1, writer);
    }
}

}  // namespace

// The menu bar of block->window: "OK" and one PATH:ID:STATE:TYPE:SUBMENU:x:TEXT token per item, or
// "ERR ..." (the driver passes the text on as its answer).
extern "C" __declspec(dllexport) DWORD WINAPI ProbeMenu(void* parameter) {
    ProbeBlock* block = static_cast<ProbeBlock*>(parameter);
    Writer writer{block->text, block->capacity, 0, false};
    block->text[0] = '\0';
    HMENU menu = GetMenu(block->window);
    if (!menu) {
        Append(&writer, "ERR no menu");
        return 1;
    }
    Writer items{block->text + 3, block->capacity - 3, 0, false};
    DumpMenu(menu, "", 0, &items);
    std::memcpy(block->text, "OK ", 3);
    if (items.overflow) {
        std::strcpy(block->text, "ERR menu too large");
        return 1;
    }
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
