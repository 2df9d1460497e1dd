// SPDX-License-Identifier: Apache-2.0
#pragma once
// The tool's texts: its messages come from the core's catalogue (core/messages.h), shared with the
// browser page; texts the window already shows come from the window's table (WindowText), so
// every program says the same thing the same way.
#include <string>

#include "core/family.h"
#include "core/messages.h"
#include "core/ui_text.h"

// The window's text of an entry, converted to UTF-8.
std::string WindowText(int language, UiTextId id);
