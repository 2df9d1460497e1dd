// SPDX-License-Identifier: Apache-2.0
#include "gui/message.h"

#include "gui/app.h"
#include "gui/hotplug.h"
#include "gui/texts.h"

namespace {

// Boxes up now: a box's loop may run a timer whose handler shows another.
int g_openBoxes = 0;

}  // namespace

bool MessageBoxShowing() { return g_openBoxes > 0; }

void BeginMessageBox() { ++g_openBoxes; }

void EndMessageBox() {
    if (--g_openBoxes == 0) ResumeSettleStepAfterMessages();
}

int ShowMessage(HWND owner, const char* text, const char* caption, UINT style, unsigned iconId) {
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof params;
    params.hwndOwner = owner;
    params.hInstance = GetModuleHandleA(nullptr);
    params.lpszText = text;
    params.lpszCaption = caption;
    params.dwStyle = style | MB_USERICON;
    params.lpszIcon = MAKEINTRESOURCEA(iconId & 0xFFFF);
    params.dwContextHelpId = 0;
    params.lpfnMsgBoxCallback = nullptr;
    params.dwLanguageId = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
    BeginMessageBox();
    const int answer = MessageBoxIndirectA(&params);
    EndMessageBox();
    return answer;
}

int Report(const char* text, MessageIcon icon) {
    return ShowMessage(g_mainWindow, text, UiText[TextCaption], MB_OK, icon);
}
