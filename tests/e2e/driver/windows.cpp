// SPDX-License-Identifier: Apache-2.0
// Window queries and actions. Actions are posted, never sent, where a modal box opened by
// the action would otherwise block the driver; queries are sent with a time-out.
#include <cstring>

#include "driver.h"

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result, UINT timeoutMs) {
    DWORD_PTR value = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &value)) return false;
    if (result) *result = static_cast<LRESULT>(value);
    return true;
}

// The text as the window itself answers WM_GETTEXT (edit controls keep theirs privately),
// or the stored caption when the window does not answer in time.
std::string WindowTextBytes(HWND window) {
    LRESULT length = 0;
    if (SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, &length) && length >= 0) {
        std::string text(static_cast<size_t>(length) * 2 + 2, '\0');
        LRESULT copied = 0;
        if (SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &copied)) {
            text.resize(std::strlen(text.c_str()));
            return text;
        }
    }
    char text[4096];
    int copied = GetWindowTextA(window, text, sizeof text);
    return std::string(text, copied > 0 ? copied : 0);
}

static std::string ClassBytes(HWND window) {
    char name[256];
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

static std::string ListText(const std::vector<HWND>& windows) {
    std::string out;
    for (HWND window : windows) {
        if (!out.empty()) out += ' ';
        out += HwndText(window);
    }
    return out;
}

struct FindFilter {
    bool anyClass, anyTitle, visibleOnly;
    std::string className, title;
    DWORD pid;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectMatching(HWND window, LPARAM data) {
    FindFilter* filter = reinterpret_cast<FindFilter*>(data);
    if (filter->visibleOnly && !IsWindowVisible(window)) return TRUE;
    if (filter->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != filter->pid) return TRUE;
    }
    if (!filter->anyClass && ClassBytes(window) != filter->className) return TRUE;
    if (!filter->anyTitle) {
        // The stored caption: no message is sent, so a busy window cannot stall the search.
        char text[1024];
        int length = GetWindowTextA(window, text, sizeof text);
        if (std::string(text, length > 0 ? length : 0) != filter->title) return TRUE;
    }
    filter->found.push_back(window);
    return TRUE;
}

// find CLASS TITLE [PID] [VISIBLE_ONLY]: top-level windows in z-order (topmost first).
static std::string Find(const Args& args) {
    FindFilter filter{};
    filter.anyClass = !ArgBytes(args, 0, &filter.className);
    filter.anyTitle = !ArgBytes(args, 1, &filter.title);
    filter.pid = static_cast<DWORD>(ArgInt(args, 2, 0));
    filter.visibleOnly = ArgInt(args, 3, 0) != 0;
    EnumWindows(CollectMatching, reinterpret_cast<LPARAM>(&filter));
    return Ok(ListText(filter.found));
}

static bool IsButtonClass(HWND window) { return lstrcmpiA(ClassBytes(window).c_str(), "Button") == 0; }

// info HWND: one record with everything a test usually asks about a window.
static std::string Info(const Args& args) {
    HWND window = ArgHwnd(args, 0);
    if (!IsWindow(window)) return Ok("exists=0");
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(window, &pid);
    RECT rect{}, client{};
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    HWND parent = GetAncestor(window, GA_PARENT);
    HWND owner = GetWindow(window, GW_OWNER);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    // Position inside the parent's client area, as the program placed it.
    RECT inParent = rect;
    if (style & WS_CHILD) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&inParent), 2);
    std::string out = "exists=1 hwnd=" + HwndText(window) + " pid=" + Num(pid) + " tid=" + Num(tid) +
                      " class=" + Hex(ClassBytes(window)) + " text=" + Hex(WindowTextBytes(window)) +
                      " style=" + Num(static_cast<DWORD>(style)) +
                      " exstyle=" + Num(static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE))) +
                      " id=" + Num(static_cast<long long>(GetWindowLongPtrA(window, GWLP_ID))) +
                      " parent=" + HwndText(parent) + " owner=" + HwndText(owner) +
                      " visible=" + Num(IsWindowVisible(window) ? 1 : 0) +
                      " enabled=" + Num(IsWindowEnabled(window) ? 1 : 0) +
                      " iconic=" + Num(IsIconic(window) ? 1 : 0) + " rect=" + RectText(rect) +
                      " client=" + Num(origin.x) + "," + Num(origin.y) + "," + Num(client.right) + "," +
                      Num(client.bottom) + " inparent=" + RectText(inParent);
    if (IsButtonClass(window)) {
        LRESULT check = 0;
        if (SendWithTimeout(window, BM_GETCHECK, 0, 0, &check)) out += " check=" + Num(check);
    }
    return Ok(out);
}

static std::string Text(const Args& args) {
    HWND window = ArgHwnd(args, 0);
    if (!IsWindow(window)) return Err("no window");
    return Ok(Hex(WindowTextBytes(window)));
}

static BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    return TRUE;
}

static std::vector<HWND> Descendants(HWND window) {
    std::vector<HWND> found;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

// children HWND: every descendant (controls inside group boxes or pages included).
static std::string Children(const Args& args) {
    HWND window = ArgHwnd(args, 0);
    if (!IsWindow(window)) return Err("no window");
    return Ok(ListText(Descendants(window)));
}

// child HWND ID: the first descendant with this control id, or 0.
static std::string Child(const Args& args) {
    HWND window = ArgHwnd(args, 0);
    long long id = ArgInt(args, 1);
    if (!IsWindow(window)) return Err("no window");
    for (HWND child : Descendants(window))
        if (GetWindowLongPtrA(child, GWLP_ID) == id) return Ok(HwndText(child));
    return Ok("0x0");
}

static std::string DlgItem(const Args& args) {
    HWND window = ArgHwnd(args, 0);
    int id = static_cast<int>(ArgInt(args, 1));
    if (!IsWindow(window)) return Err("no window");
    return Ok(HwndText(GetDlgItem(window, id)));
}

static std::string Foreground(const Args&) { return Ok(HwndText(GetForegroundWindow())); }

static std::string PostResult(BOOL posted) { return posted ? Ok() : Err("post failed " + Num(GetLastError())); }

static std::string Post(const Args& args) {
    return PostResult(PostMessageA(ArgHwnd(args, 0), static_cast<UINT>(ArgInt(args, 1)),
                                   static_cast<WPARAM>(ArgInt(args, 2)), static_cast<LPARAM>(ArgInt(args, 3))));
}

// send HWND MSG WPARAM LPARAM [TIMEOUT_MS]: SendMessageTimeout; the result as a number.
static std::string Send(const Args& args) {
    LRESULT result = 0;
    if (!SendWithTimeout(ArgHwnd(args, 0), static_cast<UINT>(ArgInt(args, 1)), static_cast<WPARAM>(ArgInt(args, 2)),
                         static_cast<LPARAM>(ArgInt(args, 3)), &result,
                         static_cast<UINT>(ArgInt(args, 4, kSendTimeoutMs))))
        return Err("send failed " + Num(GetLastError()));
    return Ok(Num(result));
}

static std::string Click(const Args& args) { return PostResult(PostMessageA(ArgHwnd(args, 0), BM_CLICK, 0, 0)); }

// command HWND ID [CODE] [CONTROL]: posts WM_COMMAND as a control or a menu would.
static std::string PostCommand(const Args& args) {
    WPARAM wParam = MAKEWPARAM(static_cast<WORD>(ArgInt(args, 1)), static_cast<WORD>(ArgInt(args, 2, 0)));
    return PostResult(PostMessageA(ArgHwnd(args, 0), WM_COMMAND, wParam, static_cast<LPARAM>(ArgInt(args, 3, 0))));
}

static std::string Close(const Args& args) { return PostResult(PostMessageA(ArgHwnd(args, 0), WM_CLOSE, 0, 0)); }

static std::string SysClose(const Args& args) {
    return PostResult(PostMessageA(ArgHwnd(args, 0), WM_SYSCOMMAND, SC_CLOSE, 0));
}

// show HWND SW_CODE: ShowWindow from outside, as the shell would (6 minimises, 9 restores).
static std::string Show(const Args& args) {
    HWND window = ArgHwnd(args, 0);
    if (!IsWindow(window)) return Err("no window");
    BOOL wasVisible = ShowWindow(window, static_cast<int>(ArgInt(args, 1)));
    return Ok(Num(wasVisible ? 1 : 0));
}

static std::string PostButton(const Args& args, UINT down, UINT up, WPARAM keys) {
    HWND window = ArgHwnd(args, 0);
    LPARAM point = MAKELPARAM(static_cast<int>(ArgInt(args, 1)), static_cast<int>(ArgInt(args, 2)));
    if (!PostMessageA(window, WM_MOUSEMOVE, 0, point) || !PostMessageA(window, down, keys, point) ||
        !PostMessageA(window, up, 0, point))
        return Err("post failed " + Num(GetLastError()));
    return Ok();
}

// lclick / rclick HWND X Y: a click at a client point of the window (posted mouse messages).
static std::string LeftClick(const Args& args) { return PostButton(args, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON); }
static std::string RightClick(const Args& args) { return PostButton(args, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON); }

// combo HWND: count=N sel=N items=x:..,x:..
static std::string Combo(const Args& args) {
    HWND combo = ArgHwnd(args, 0);
    LRESULT count = 0, selection = 0;
    if (!SendWithTimeout(combo, CB_GETCOUNT, 0, 0, &count) || !SendWithTimeout(combo, CB_GETCURSEL, 0, 0, &selection))
        return Err("combobox does not answer");
    std::string items;
    for (LRESULT i = 0; i < count; ++i) {
        // Across processes Wine hands CB_GETLBTEXT back in UTF-16 even to the "A" call, so the
        // entry is read wide and converted to the ANSI code page as the program stored it.
        DWORD_PTR length = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 3000, &length);
        std::wstring wide(static_cast<LRESULT>(length) > 0 ? length + 1 : 1, L'\0');
        SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&wide[0]), SMTO_ABORTIFHUNG, 3000,
                            nullptr);
        wide.resize(wcslen(wide.c_str()));
        std::string text(wide.size() * 2 + 1, '\0');
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0],
                                              static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(bytes > 0 ? bytes : 0);
        if (i) items += ',';
        items += Hex(text);
    }
    return Ok("count=" + Num(count) + " sel=" + Num(selection) + " items=" + items);
}

const CommandEntry kWindowCommands[] = {
    {"find", Find},
    {"info", Info},
    {"text", Text},
    {"children", Children},
    {"child", Child},
    {"dlgitem", DlgItem},
    {"foreground", Foreground},
    {"post", Post},
    {"send", Send},
    {"click", Click},
    {"command", PostCommand},
    {"close", Close},
    {"sysclose", SysClose},
    {"show", Show},
    {"lclick", LeftClick},
    {"rclick", RightClick},
    {"combo", Combo},
    {nullptr, nullptr},
};
