// SPDX-License-Identifier: Apache-2.0
#include "cli/messages.h"

#include "core/text_cp1251.h"

std::string WindowText(int language, UiTextId id) { return Cp1251ToUtf8(UiTextIn(language, id)); }
