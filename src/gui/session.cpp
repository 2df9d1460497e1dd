#include "gui/session.h"

#include <cstring>

SessionState g_session = {false, nullptr, "", 0, false, false, 'X', 0, false, "", false, 0, nullptr};

void InitSessionState() {
    std::memset(&g_session, 0, sizeof g_session);
    g_session.modelLetter = 'X';
}
