// SPDX-License-Identifier: Apache-2.0
#include "gui/texts.h"

int g_uiLanguage = kRussian;
int g_readerFamily = kKruKrm;

const char* UiText[TextCount];

void FillUiText() {
    for (int i = 0; i < TextCount; ++i) UiText[i] = UiTextIn(g_uiLanguage, static_cast<UiTextId>(i));
}

void LoadConfig() {
    const AppConfig config = LoadConfigFile(kConfigFileName);
    g_uiLanguage = config.language;
    g_readerFamily = config.family;
}
