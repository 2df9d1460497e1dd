// SPDX-License-Identifier: Apache-2.0
// The card window under Wine: class, geometry, the eight controls, the colours of the value
// fields, giving the main window back, and no objects left behind after many openings.
#include <windows.h>

#include <doctest/doctest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui/app.h"
#include "gui/texts.h"
#include "gui/texts.h"
#include "gui/card_id.h"
#include "gui/session.h"
#include "win/ui_window.h"

namespace {

constexpr const char* kFakeMainClass = "card test main";

// A stand-in main window with the program's title, as the card window finds it by title.
struct FakeMainWindow {
    HWND saved = g_mainWindow;
    FakeMainWindow() {
        g_uiLanguage = kEnglish;
        FillUiText();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kFakeMainClass;
        RegisterClassA(&wc);
        g_mainWindow = CreateWindowExA(0, kFakeMainClass, UiText[TextTitle], WS_OVERLAPPEDWINDOW, 0, 0, 395, 690,
                                       nullptr, nullptr, nullptr, nullptr);
        ShowWindow(g_mainWindow, SW_SHOWNORMAL);
        PumpMessages();
    }
    ~FakeMainWindow() {
        DestroyWindow(g_mainWindow);
        PumpMessages();
        g_mainWindow = saved;
    }
};

HWND OpenAndFind() {
    OpenCardIdWindow();
    PumpMessages();
    return FindWindowA("my Child Window", nullptr);
}

void CloseCardWindow(HWND card) {
    SendMessageA(card, WM_CLOSE, 0, 0);
    PumpMessages();
}

struct Child {
    HWND handle;
    std::string className;
    std::string text;
    RECT rect;  // in the card window's client coordinates
    LONG style;
    LONG exStyle;
    int id;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
    Child c;
    c.handle = child;
    char buffer[64] = {};
    GetClassNameA(child, buffer, sizeof buffer);
    c.className = buffer;
    GetWindowTextA(child, buffer, sizeof buffer);
    c.text = buffer;
    GetWindowRect(child, &c.rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&c.rect), 2);
    c.style = GetWindowLongA(child, GWL_STYLE);
    c.exStyle = GetWindowLongA(child, GWL_EXSTYLE);
    c.id = GetDlgCtrlID(child);
    reinterpret_cast<std::vector<Child>*>(list)->push_back(c);
    return TRUE;
}

std::vector<Child> Children(HWND window) {
    std::vector<Child> list;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&list));
    return list;
}

const Child* ChildAt(const std::vector<Child>& list, int x, int y) {
    for (const Child& c : list)
        if (c.rect.left == x && c.rect.top == y) return &c;
    return nullptr;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, [](HWND, LPARAM n) -> BOOL { ++*reinterpret_cast<int*>(n); return TRUE; }, count);
    return TRUE;
}

// The windows of this thread, children included: the USER objects the card window makes.
int ThreadWindowCount() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

bool IsWhiteBrush(HBRUSH brush) {
    LOGBRUSH lb = {};
    return GetObjectType(brush) == OBJ_BRUSH && GetObjectA(brush, sizeof lb, &lb) == sizeof lb &&
           lb.lbStyle == BS_SOLID && lb.lbColor == RGB(255, 255, 255);
}

}  // namespace

TEST_CASE("the card window shows the card in its four fields under the reader's title") {
    FakeMainWindow main;
    g_session.modelLetter = 'U';
    g_session.firmwareVersion = 110;
    g_cardId = {1234567u, 54321u};

    HWND card = OpenAndFind();
    REQUIRE(card != nullptr);

    CHECK(WindowText(card) == "Vireo-4KRU ver.1.10");
    CHECK(GetWindow(card, GW_OWNER) == g_mainWindow);
    CHECK(IsWindowVisible(card));
    CHECK_FALSE(IsWindowEnabled(g_mainWindow));

    const LONG style = GetWindowLongA(card, GWL_STYLE);
    CHECK((style & WS_SYSMENU) != 0);
    CHECK((style & WS_CAPTION) == WS_CAPTION);
    CHECK((style & (WS_CHILD | WS_POPUP | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0);

    RECT rect;
    GetWindowRect(card, &rect);
    CHECK(rect.left == GetSystemMetrics(SM_CXSCREEN) / 2 - 151);
    CHECK(rect.top == GetSystemMetrics(SM_CYSCREEN) / 2 - 80);
    CHECK(rect.right - rect.left == 302);
    CHECK(rect.bottom - rect.top == 160);

    WNDCLASSA wc = {};
    REQUIRE(GetClassInfoA(GetModuleHandleA(nullptr), "my Child Window", &wc));
    CHECK(wc.style == (CS_HREDRAW | CS_VREDRAW));
    CHECK(wc.hIcon == LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(2)));  // the handshake icon
    CHECK(wc.hCursor == LoadCursorA(nullptr, IDC_ARROW));
    CHECK(wc.hbrBackground == GetSysColorBrush(COLOR_BTNFACE));
    CHECK(wc.lpszMenuName == nullptr);

    const std::vector<Child> children = Children(card);
    CHECK(children.size() == 8);
    struct Expected {
        int x, y;
        const char* className;
        const char* text;
    };
    const Expected expected[] = {
        {10, 15, "Static", "Barcode"},     {160, 15, "Static", "Barcode (hex)"},
        {10, 37, "Edit", "0001234567"},    {160, 37, "Edit", "0012D687"},
        {10, 67, "Static", "ID cipher"},   {160, 67, "Static", "ID cipher (x.x.x.x)"},
        {10, 89, "Edit", "0000054321"},    {160, 89, "Edit", "0.0.212.49"},
    };
    for (const Expected& e : expected) {
        CAPTURE(e.text);
        const Child* c = ChildAt(children, e.x, e.y);
        REQUIRE(c != nullptr);
        CHECK(c->className == e.className);
        CHECK(c->text == e.text);
        CHECK(c->rect.right - c->rect.left == 125);
        CHECK(c->rect.bottom - c->rect.top == 20);
        CHECK(c->id == 0);
        CHECK((c->style & (WS_CHILD | WS_VISIBLE)) == (WS_CHILD | WS_VISIBLE));
        if (c->className == "Edit") {
            CHECK((c->exStyle & WS_EX_CLIENTEDGE) != 0);
            CHECK((c->style & (WS_BORDER | ES_READONLY | ES_RIGHT)) == (WS_BORDER | ES_READONLY | ES_RIGHT));
        } else {
            CHECK((c->exStyle & WS_EX_CLIENTEDGE) == 0);
            CHECK((c->style & (WS_BORDER | SS_TYPEMASK)) == 0);  // SS_LEFT, no frame
        }
    }

    CloseCardWindow(card);
    CHECK_FALSE(IsWindow(card));
    CHECK(IsWindowEnabled(g_mainWindow));
    CHECK(GetFocus() == g_mainWindow);
}

TEST_CASE("the value fields get black on one white brush; the labels keep the default colours") {
    FakeMainWindow main;
    g_session.modelLetter = 'B';
    g_session.firmwareVersion = 200;
    g_cardId = {4294967295u, 0u};
    HWND card = OpenAndFind();
    REQUIRE(card != nullptr);
    CHECK(WindowText(card) == "Vireo-4-USB ver.2.00");

    const std::vector<Child> children = Children(card);
    const Child* value = ChildAt(children, 160, 37);
    const Child* label = ChildAt(children, 160, 15);
    REQUIRE(value != nullptr);
    REQUIRE(label != nullptr);
    CHECK(value->text == "FFFFFFFF");
    CHECK(ChildAt(children, 160, 89)->text == "0.0.0.0");

    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    const HBRUSH first = reinterpret_cast<HBRUSH>(
        SendMessageA(card, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(value->handle)));
    CHECK(IsWhiteBrush(first));
    CHECK(GetTextColor(dc) == RGB(0, 0, 0));
    CHECK(GetBkColor(dc) == RGB(255, 255, 255));

    const HBRUSH second = reinterpret_cast<HBRUSH>(
        SendMessageA(card, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(value->handle)));
    CHECK(IsWhiteBrush(second));
    CHECK(GetObjectType(first) == 0);  // the previous brush is gone

    SetBkColor(dc, RGB(4, 5, 6));
    const HBRUSH labelBrush = reinterpret_cast<HBRUSH>(
        SendMessageA(card, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label->handle)));
    CHECK(labelBrush != second);
    CHECK(GetBkColor(dc) == GetSysColor(COLOR_BTNFACE));
    CHECK(IsWhiteBrush(second));  // a label's request leaves the value brush alone
    DeleteDC(dc);

    CloseCardWindow(card);
    CHECK(IsWhiteBrush(second));  // the one brush outlives the window
    CHECK(IsWindowEnabled(g_mainWindow));
}

TEST_CASE("other model letters and a window that cannot be created") {
    FakeMainWindow main;
    g_session.modelLetter = 'X';
    g_session.firmwareVersion = 0;
    HWND card = OpenAndFind();
    REQUIRE(card != nullptr);
    CHECK(WindowText(card).rfind("Vireo-4xxx", 0) == 0);
    CloseCardWindow(card);

    // With no valid owner the window is not created and the main window is not touched.
    HWND real = g_mainWindow;
    g_mainWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ffe));
    OpenCardIdWindow();
    g_mainWindow = real;
    PumpMessages();
    CHECK(FindWindowA("my Child Window", nullptr) == nullptr);
    CHECK(IsWindowEnabled(g_mainWindow));
}

TEST_CASE("opening and closing the card window 100 times leaves nothing behind") {
    FakeMainWindow main;
    g_session.modelLetter = 'M';
    g_session.firmwareVersion = 110;
    g_cardId = {1234567u, 54321u};
    HANDLE self = GetCurrentProcess();

    // One round first, so the class and the one brush exist before counting.
    CloseCardWindow(OpenAndFind());
    const int windowsBefore = ThreadWindowCount();
    const DWORD gdiBefore = GetGuiResources(self, GR_GDIOBJECTS);
    const DWORD userBefore = GetGuiResources(self, GR_USEROBJECTS);

    HDC dc = CreateCompatibleDC(nullptr);
    HBRUSH previous = nullptr;
    int stale = 0;
    for (int round = 0; round < 100; ++round) {
        HWND card = OpenAndFind();
        REQUIRE(card != nullptr);
        CHECK_FALSE(IsWindowEnabled(g_mainWindow));
        const std::vector<Child> children = Children(card);
        REQUIRE(children.size() == 8);
        const Child* value = ChildAt(children, 10, 37);
        REQUIRE(value != nullptr);
        // The fields painted themselves when the messages were pumped; ask once more to see
        // which brush is current, and that the one from the round before is gone.
        const HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageA(
            card, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(value->handle)));
        if (previous && GetObjectType(previous) != 0) ++stale;
        previous = brush;
        CloseCardWindow(card);
        if (IsWindow(card)) ++stale;
    }
    DeleteDC(dc);
    CHECK(stale == 0);
    CHECK(IsWhiteBrush(previous));
    CHECK(IsWindowEnabled(g_mainWindow));
    CHECK(ThreadWindowCount() == windowsBefore);
    // Real Windows counts objects; Wine's GetGuiResources reports 0 for both.
    CHECK(GetGuiResources(self, GR_GDIOBJECTS) == gdiBefore);
    CHECK(GetGuiResources(self, GR_USEROBJECTS) == userBefore);
}
