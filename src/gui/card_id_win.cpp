// SPDX-License-Identifier: Apache-2.0
#include <windows.h>

#include <cstring>

#include "gui/app.h"
#include "gui/message.h"
#include "gui/texts.h"
#include "gui/card_id.h"
#include "core/commands.h"
#include "gui/channel.h"
#include "gui/session.h"
#include "gui/workflow.h"

namespace {

constexpr const char* kCardWindowClass = "my Child Window";
constexpr int kAppIconId = 2;
constexpr DWORD kReplyWaitMs = 500;
constexpr int kCardWindowWidth = 302;
constexpr int kCardWindowHeight = 160;
constexpr int kTitleSize = 64;
constexpr int kFieldWidth = 125;
constexpr int kFieldHeight = 20;
constexpr int kLeftColumnX = 10;
constexpr int kRightColumnX = 160;
constexpr int kBarcodeLabelY = 15;
constexpr int kBarcodeValueY = 37;
constexpr int kCipherLabelY = 67;
constexpr int kCipherValueY = 89;
constexpr int kValueFieldCount = 4;
constexpr COLORREF kValueTextColor = RGB(0, 0, 0);
constexpr COLORREF kValueBackColor = RGB(255, 255, 255);

// The four value fields of the open window; their colour requests get the white brush.
HWND g_valueFields[kValueFieldCount] = {};
// The brush handed out at the last such request; deleted at the next one, so at most one
// exists at any time. It outlives the window.
HBRUSH g_valueBrush = nullptr;

bool IsValueField(HWND control) {
    if (!control) return false;
    for (HWND field : g_valueFields)
        if (field == control) return true;
    return false;
}

LRESULT ColorValueField(HDC dc) {
    if (g_valueBrush) DeleteObject(g_valueBrush);
    SetTextColor(dc, kValueTextColor);
    SetBkColor(dc, kValueBackColor);
    g_valueBrush = CreateSolidBrush(kValueBackColor);
    return reinterpret_cast<LRESULT>(g_valueBrush);
}

// Gives the main window back: the top-level window with the program's title.
void OnCardWindowDestroyed() {
    for (HWND& field : g_valueFields) field = nullptr;
    HWND main = FindWindowA(nullptr, UiText[TextTitle]);
    EnableWindow(main, TRUE);
    SetFocus(main);
}

LRESULT CALLBACK CardIdWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        OnCardWindowDestroyed();
        return 0;
    case WM_CTLCOLORSTATIC:
        if (IsValueField(reinterpret_cast<HWND>(lParam))) return ColorValueField(reinterpret_cast<HDC>(wParam));
        break;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Registered at every opening; once the class exists the registration fails harmlessly.
void RegisterCardWindowClass() {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = CardIdWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kAppIconId));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kCardWindowClass;
    RegisterClassA(&wc);
}

void CreateLabel(HWND window, int x, int y, const char* text) {
    CreateWindowExA(0, "Static", text, WS_CHILD | WS_VISIBLE, x, y, kFieldWidth, kFieldHeight, window, nullptr,
                    nullptr, nullptr);
}

HWND CreateValueField(HWND window, int x, int y, const char* text) {
    HWND field = CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "",
                                 WS_CHILD | WS_VISIBLE | WS_BORDER | ES_READONLY | ES_RIGHT, x, y, kFieldWidth,
                                 kFieldHeight, window, nullptr, nullptr, nullptr);
    SetWindowTextA(field, text);
    return field;
}

void FillCardWindow(HWND window) {
    CardIdFields fields;
    FormatCardIdFields(g_cardId, &fields);
    CreateLabel(window, kLeftColumnX, kBarcodeLabelY, UiText[TextBarcode]);
    CreateLabel(window, kRightColumnX, kBarcodeLabelY, UiText[TextBarcodeInHex]);
    g_valueFields[0] = CreateValueField(window, kLeftColumnX, kBarcodeValueY, fields.barcodeDecimal);
    g_valueFields[1] = CreateValueField(window, kRightColumnX, kBarcodeValueY, fields.barcodeHex);
    CreateLabel(window, kLeftColumnX, kCipherLabelY, UiText[TextCipherId]);
    CreateLabel(window, kRightColumnX, kCipherLabelY, UiText[TextCipherIdDotted]);
    g_valueFields[2] = CreateValueField(window, kLeftColumnX, kCipherValueY, fields.cipherDecimal);
    g_valueFields[3] = CreateValueField(window, kRightColumnX, kCipherValueY, fields.cipherDotted);
}

}  // namespace

CardIdResult g_cardId = {0, 0};

void OpenCardIdWindow() {
    RegisterCardWindowClass();
    char title[kTitleSize];
    FormatCardIdTitle(g_session.modelLetter, g_session.firmwareVersion, title, sizeof title);
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - kCardWindowWidth / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - kCardWindowHeight / 2;
    HWND window = CreateWindowExA(0, kCardWindowClass, title, WS_SYSMENU, x, y, kCardWindowWidth,
                                  kCardWindowHeight, g_mainWindow, nullptr, nullptr, nullptr);
    if (!window) return;
    EnableWindow(g_mainWindow, FALSE);
    FillCardWindow(window);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
}

void ReadCardId() {
    g_cardId.barcode = 0;
    g_cardId.cipherId = 0;
    unsigned char reply[kReplyBufferSize];
    std::memset(reply, 0, sizeof reply);
    if (!WriteBytes(kQueryCardId, kQueryLength)) {
        ResetSession();
        return;
    }
    Sleep(kReplyWaitMs);
    int count = 0;
    if (!ReadBytes(reply, kReplyBufferSize, &count)) {
        // The session goes first: the box's nested loop must not meet a dead session.
        ResetSession();
        Report(UiText[TextNoResponse], IconRetry);
        return;
    }
    switch (ParseCardIdReply(reply, sizeof reply, &g_cardId)) {
    case CardIdInvalidCommand: Report(UiText[TextInvalidCommand], IconError); break;
    case CardIdUnrecognized: Report(UiText[TextBadReply], IconError); break;
    case CardIdComplete: OpenCardIdWindow(); break;
    }
}

void OnReadIdCommand() {
    if (!g_session.portOpen) StartProgress(ProgressSearch, kSearchIntervalMs);
    else if (CardQuerySupported(g_session.firmwareVersion)) ReadCardId();
    else Report(UiText[TextReadIdUnsupported], IconError);
}
