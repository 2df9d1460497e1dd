#pragma once
// The child ids of the main window's controls and menu commands. Portable (no windows.h),
// so the settings codecs and the lamp colour table can name radios by id.

enum ControlId : int {
    IdPortCombo = 1,
    IdSearch = 2,
    IdTouchMemory = 3, IdWiegand26 = 4, IdWiegand44 = 5, IdWiegand58 = 6,
    IdDirect = 7, IdInverse = 8,
    IdDynamic = 9, IdStatic = 10, IdStandbyOff = 11,
    IdPollOn = 12, IdPollOff = 13,
    IdRead = 14, IdWrite = 15,
    IdQuit = 16, IdRussian = 17, IdEnglish = 18, IdReadId = 19, IdHelp = 20, IdAbout = 21,
    IdModeWindows = 22, IdModeAll = 23,
    IdHexOrDec = 24, IdFormatTouchMemory = 25,
    IdHex = 26, IdDec = 27,
    IdBytes7 = 28, IdBytes5 = 29, IdBytes4 = 30, IdBytes3 = 31, IdBytes2 = 32,
    IdVersionLabel = 33, IdVersionValue = 34,
    IdCardsAll = 35, IdCardsEmHid = 36, IdCardsMifare = 37,
};
