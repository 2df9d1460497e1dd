// SPDX-License-Identifier: Apache-2.0
#pragma once
// The window's child ids of the setting radios, as plain integers: the setting table names the
// radio of every choice, and the window creates its radios with these ids. The window's other
// control and menu ids are its own (gui/control_ids.h) and fill the gaps between these.

enum SettingRadioId : int {
    IdTouchMemory = 3, IdWiegand26 = 4, IdWiegand44 = 5, IdWiegand58 = 6,
    IdDirect = 7, IdInverse = 8,
    IdDynamic = 9, IdStatic = 10, IdStandbyOff = 11,
    IdPollOn = 12, IdPollOff = 13,
    IdModeWindows = 22, IdModeAll = 23,
    IdHexOrDec = 24, IdFormatTouchMemory = 25,
    IdHex = 26, IdDec = 27,
    IdBytes7 = 28, IdBytes5 = 29, IdBytes4 = 30, IdBytes3 = 31, IdBytes2 = 32,
    IdCardsAll = 35, IdCardsEmHid = 36, IdCardsMifare = 37,
};

// A value that names no choice has no radio.
constexpr int kNoRadio = 0;
