// SPDX-License-Identifier: Apache-2.0
#pragma once
// The child ids of the main window's controls and menu commands. Portable (no windows.h); the
// setting radios' ids are the setting table's (core/radio_ids.h), these fill the gaps.
#include "core/radio_ids.h"

enum ControlId : int {
    IdPortCombo = 1,
    IdSearch = 2,
    IdRead = 14, IdWrite = 15,
    IdQuit = 16, IdRussian = 17, IdEnglish = 18, IdReadId = 19, IdHelp = 20, IdAbout = 21,
    IdVersionLabel = 33, IdVersionValue = 34,
};
