// SPDX-License-Identifier: Apache-2.0
// Messages whose parameters point to memory (tab control queries) are not carried between
// processes by the window system, so the driver places the record in the program's own memory
// (VirtualAllocEx), sends the message and reads the answer back. WM_NOTIFY cannot be sent to
// another process at all under Wine (SendMessageTimeout fails at once), so a tab change is
// always made by a click on the tab, as the user makes it.
#include "driver.h"

#include <commctrl.h>

#include <cstring>

namespace {

constexpr SIZE_T kRemoteSize = 4096;
constexpr size_t kTextOffset = 1024;  // where item texts go inside the remote block
constexpr int kTextCapacity = 512;

struct RemoteBlock {
    HANDLE process = nullptr;
    char* base = nullptr;
};

bool OpenRemote(HWND window, RemoteBlock* block) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    block->process = ProcessHandleFor(pid);
    if (!block->process) return false;
    block->base = static_cast<char*>(
        VirtualAllocEx(block->process, nullptr, kRemoteSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    return block->base != nullptr;
}

void CloseRemote(RemoteBlock* block) {
    if (block->base) VirtualFreeEx(block->process, block->base, 0, MEM_RELEASE);
}

bool Put(RemoteBlock* block, size_t offset, const void* data, size_t size) {
    return WriteProcessMemory(block->process, block->base + offset, data, size, nullptr);
}

bool Get(RemoteBlock* block, size_t offset, void* data, size_t size) {
    return ReadProcessMemory(block->process, block->base + offset, data, size, nullptr);
}

bool TabItemRect(HWND tabs, int index, RECT* rect) {
    RemoteBlock block;
    bool ok = OpenRemote(tabs, &block);
    LRESULT result = 0;
    ok = ok && SendWithTimeout(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(block.base), &result) &&
         result && Get(&block, 0, rect, sizeof *rect);
    CloseRemote(&block);
    return ok;
}

}  // namespace

// tabinfo HWND: count=N sel=N items=x:..,x:..
static std::string TabInfo(const Args& args) {
    HWND tabs = ArgHwnd(args, 0);
    LRESULT count = 0, selection = 0;
    if (!SendWithTimeout(tabs, TCM_GETITEMCOUNT, 0, 0, &count) || !SendWithTimeout(tabs, TCM_GETCURSEL, 0, 0, &selection))
        return Err("tab control does not answer");
    RemoteBlock block;
    if (!OpenRemote(tabs, &block)) return Err("no access to the program's memory");
    std::string items;
    for (LRESULT i = 0; i < count; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = block.base + kTextOffset;
        item.cchTextMax = kTextCapacity;
        char text[kTextCapacity] = {};
        Put(&block, kTextOffset, text, sizeof text);
        Put(&block, 0, &item, sizeof item);
        SendWithTimeout(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(block.base), nullptr);
        Get(&block, kTextOffset, text, sizeof text);
        text[kTextCapacity - 1] = '\0';
        if (i) items += ',';
        items += Hex(text);
    }
    CloseRemote(&block);
    return Ok("count=" + Num(count) + " sel=" + Num(selection) + " items=" + items);
}

// tabrect HWND INDEX: the item's rectangle in the tab control's client coordinates.
static std::string TabRect(const Args& args) {
    RECT rect{};
    if (!TabItemRect(ArgHwnd(args, 0), static_cast<int>(ArgInt(args, 1)), &rect)) return Err("no item rectangle");
    return Ok(RectText(rect));
}

// tabclick HWND INDEX: a left click at the middle of the tab, as the user does it; the tab
// control itself then notifies its parent (TCN_SELCHANGING, TCN_SELCHANGE).
static std::string TabClick(const Args& args) {
    HWND tabs = ArgHwnd(args, 0);
    RECT rect{};
    if (!TabItemRect(tabs, static_cast<int>(ArgInt(args, 1)), &rect)) return Err("no item rectangle");
    LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    if (!PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, point) || !PostMessageA(tabs, WM_LBUTTONUP, 0, point))
        return Err("post failed");
    return Ok();
}

const CommandEntry kRemoteCommands[] = {
    {"tabinfo", TabInfo},
    {"tabrect", TabRect},
    {"tabclick", TabClick},
    {nullptr, nullptr},
};
