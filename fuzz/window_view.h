#pragma once
// What the window makes of the core's answers: a classified settings reply gives the session
// its model letter and firmware number and moves its payload to the buffer start; the
// configuration file fills and saves the window's two values.
#include "core/reply.h"
#include "gui/session.h"
#include "gui/texts.h"

inline ReplyKind ClassifyAsWindow(unsigned char* buffer, int count) {
    const ReplyInfo info = ClassifyReply(buffer, count);
    if (info.kind == SettingsReply) {
        g_session.modelLetter = info.modelLetter;
        g_session.firmwareVersion = info.firmwareVersion;
        MovePayloadToStart(buffer, count, info);
    }
    return info.kind;
}

inline void LoadInto(const char* path) {
    const AppConfig config = LoadConfigFile(path);
    g_uiLanguage = config.language;
    g_readerFamily = config.family;
}

inline bool WriteWindowConfig(const char* path) {
    return WriteConfigFile(path, AppConfig{g_uiLanguage, g_readerFamily});
}
