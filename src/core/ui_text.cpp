// SPDX-License-Identifier: Apache-2.0
#include "core/ui_text.h"

#include "core/family.h"

namespace {

struct TextPair {
    const char* russian;
    const char* english;
};

// One row per entry, in the order of UiTextId.
const TextPair kTexts[TextCount] = {
    {"VireoTool-4 вер.2.00 (x64)", "VireoTool-4 ver.2.00 (x64)"},  // TextTitle
    {"Файл", "File"},  // TextMenuFile
    {"Инструменты", "Tools"},  // TextMenuTools
    {"Помощь", "Help"},  // TextMenuHelp
    {"Выход", "Quit"},  // TextItemQuit
    {"Язык", "Language"},  // TextMenuLanguage
    {"Считать ID", "Read ID"},  // TextItemReadId
    {"Справка", "Help"},  // TextItemHelp
    {"О программе...", "About..."},  // TextItemAbout
    {"ПОИСК", "SEARCH"},  // TextSearch
    {"Версия: ", "Version: "},  // TextVersion
    {" 1) ИНТЕРФЕЙСЫ: ", " 1) INTERFACES: "},  // TextGroupInterfaces
    {" 1) РЕЖИМ РАБОТЫ СЧИТЫВАТЕЛЯ: ", " 1) READER OPERATING MODE: "},  // TextGroupOperatingMode
    {" 2) УПРАВЛЕНИЕ ИНДИКАЦИЕЙ: ", " 2) INDICATION CONTROL: "},  // TextGroupIndicationControl
    {"Прямая (активная '1')", "Direct (active '1')"},  // TextDirect
    {"Инверсная (активный '0')", "Inverse (active '0')"},  // TextInverse
    {" 2) ФОРМАТ ВЫВОДА ID КАРТЫ: ", " 2) ID CARD OUTPUT FORMAT: "},  // TextGroupOutputFormat
    {"HEX или DEC", "HEX or DEC"},  // TextHexOrDec
    {" 3) ИНДИКАЦИЯ В ДЕЖУР. РЕЖИМЕ: ", " 3) INDICATION IN STANDBY MODE: "},  // TextGroupStandby
    {"Динамическая", "Dynamic"},  // TextDynamic
    {"Статическая", "Static"},  // TextStatic
    {"Выкл.", "Off"},  // TextStandbyOff
    {" 3) ТИП ВЫВОДА ID КАРТЫ: ", " 3) ID CARD OUTPUT TYPE: "},  // TextGroupOutputType
    {" 4) ОПРОС СЕНСОРНОЙ КНОПКИ: ", " 4) TOUCH BUTTON POLL: "},  // TextGroupTouchPoll
    {"Вкл.", "On"},  // TextPollOn
    {"Выкл.", "Off"},  // TextPollOff
    {" 4) КОЛИЧЕСТВО БАЙТ ID КАРТЫ: ", " 4) NUMBER OF BYTE ID CARD: "},  // TextGroupByteCount
    {" 5) ЧИТАТЬ КАРТЫ: ", " 5) CARD FOR READ: "},  // TextGroupCardForRead
    {"СЧИТАТЬ", "READ"},  // TextRead
    {"ЗАПИСАТЬ", "WRITE"},  // TextWrite
    {"Инд.", "Indic."},  // TextIndic
    {"Поиск считывателя Vireo-4KRU_4KRM", "Search for Vireo-4KRU_4KRM reader"},  // TextSearchingKruKrm
    {"Поиск считывателя Vireo-4-USB", "Search for Vireo-4-USB reader"},  // TextSearchingUsb
    {"Считывание настроек Vireo-4KRU_4KRM", "Reading Vireo-4KRU_4KRM settings"},  // TextReadingKruKrm
    {"Считывание настроек Vireo-4-USB", "Reading Vireo-4-USB settings"},  // TextReadingUsb
    {"Запись настроек Vireo-4KRU_4KRM", "Writing Vireo-4KRU_4KRM settings"},  // TextWritingKruKrm
    {"Запись настроек Vireo-4-USB", "Writing Vireo-4-USB settings"},  // TextWritingUsb
    {"Vireo-4KRU_4KRM не найден!", "Vireo-4KRU_4KRM not found!"},  // TextNotFoundKruKrm
    {"Считыватель Vireo-4KRU_4KRM найден!", "Vireo-4KRU_4KRM reader found!"},  // TextFoundKruKrm
    {"Считыватель Vireo-4KRU найден!", "Vireo-4KRU reader found!"},  // TextFoundKru
    {"Считыватель Vireo-4KRM найден!", "Vireo-4KRM reader found!"},  // TextFoundKrm
    {"Vireo-4-USB не найден!", "Vireo-4-USB not found!"},  // TextNotFoundUsb
    {"Считыватель Vireo-4-USB найден!", "Vireo-4-USB reader found!"},  // TextFoundUsb
    {"Если Вы уверены, что считыватель подключен к ПК,\nто выберите COM-порт из списка!", "If you are sure that the reader is connected to the PC,\nselect a COM port from the list!"},  // TextCheckPortHint
    {"Не удалось распознать ответ!", "The answer could not be recognized!"},  // TextBadReply
    {"Считыватель не ответил!\n(Попробуйте ещё раз или другой COM-порт).", "The reader did not respond!\n(Try again or a different COM port)."},  // TextNoResponse
    {"Неверная команда!", "Invalid command!"},  // TextInvalidCommand
    {"Настройки записаны!", "Settings recorded!"},  // TextSettingsWritten
    {"Настройки считаны!", "Settings read!"},  // TextSettingsRead
    {"Версия прошивки не поддерживается!", "Firmware version not supported!"},  // TextFirmwareUnsupported
    {"ИНТЕРФЕЙС СЧИТЫВАТЕЛЯ - НЕ РАСПОЗНАН!", "READER INTERFACE - NOT RECOGNIZED!"},  // TextBadInterface
    {"УПРАВЛЕНИЕ ИНДИКАЦИЕЙ - НЕ РАСПОЗНАН!", "INDICATION CONTROL - NOT RECOGNIZED!"},  // TextBadIndicationControl
    {"ИНДИКАЦИЯ В ЖДУЩЕМ РЕЖИМЕ - НЕ РАСПОЗНАН!", "INDICATION IN STANDBY MODE - NOT RECOGNIZED!"},  // TextBadStandby
    {"ОПРОС СЕНСОРНОЙ КНОПКИ - НЕ РАСПОЗНАН!", "TOUCH BUTTON POLL - NOT RECOGNIZED!"},  // TextBadTouchPoll
    {"РЕЖИМ РАБОТЫ СЧИТЫВАТЕЛЯ - НЕ РАСПОЗНАН!", "READER OPERATING MODE - NOT RECOGNIZED!"},  // TextBadOperatingMode
    {"ТИП ВЫВОДА ID КАРТЫ - НЕ РАСПОЗНАН!", "ID CARD OUTPUT TYPE - NOT RECOGNIZED!"},  // TextBadOutputType
    {"ФОРМАТ ВЫВОДА ID КАРТЫ - НЕ РАСПОЗНАН!", "ID CARD OUTPUT FORMAT - NOT RECOGNIZED!"},  // TextBadOutputFormat
    {"КОЛИЧЕСТВО БАЙТ ID КАРТЫ - НЕ РАСПОЗНАНО!", "NUMBER OF BYTE ID CARD - NOT RECOGNIZED!"},  // TextBadByteCount
    {"ЧИТАТЬ КАРТЫ - НЕ РАСПОЗНАНО!", "CARD FOR READ - NOT RECOGNIZED!"},  // TextBadCardForRead
    {"Сообщение", "Message"},  // TextCaption
    {"Не удалось сохранить настройки!\nПерезапустите программу.", "Failed to save settings!\nRestart the program."},  // TextSaveFailed
    {"Не найдены COM-порты в системе!", "No COM ports found in the system!"},  // TextNoPorts
    {"Ошибка при открытие", "Error opening"},  // TextErrorOpening
    {"Соединение нарушено.", "The connection is broken."},  // TextConnectionBroken
    {"отключен!", "disabled!"},  // TextDisabled
    {"Соединение нарушено.\n\r(Vireo-4-USB отключен!)", "Connection broken.\n\r(Vireo-4-USB disabled!)"},  // TextUsbDisconnected
    {"Ошибка", "Error"},  // TextError
    {"при считывание из COM-порта!", "when reading from a COM port!"},  // TextReadFailed
    {"при записи в COM-порт!", "when writing to the COM port!"},  // TextWriteFailed
    {"Файл не найден!\n\rПроверьте наличие файла справки (VireoTool-4 ver_2_00.pdf).", "File not found!\n\rCheck for the presence of the help file (VireoTool-4 ver_2_00.pdf)."},  // TextHelpNotFound
    {"Откройте папку help, где установлено приложение.\n\rПо умолчанию: C:\\VireoTool-4 v.x.x\\help", "Open the help folder where the application is installed.\n\rDefault: C:\\VireoTool-4 v.x.x\\help"},  // TextHelpFolderHint
    {"Файл справки не возможно открыть!", "Help file cannot be opened!"},  // TextHelpCannotOpen
    {"Установите на ПК программу для просмотра PDF-файлов.", "Install a PDF viewer on your PC."},  // TextPdfViewerHint
    {"Открытие файла справки завершилось неудачей!", "Opening the help file failed!"},  // TextHelpOpenFailed
    {"Код ошибки", "Error code"},  // TextErrorCode
    {"Версия считывателя команду не поддерживает.", "The reader version does not support the command."},  // TextReadIdUnsupported
    {"Штрих-код", "Barcode"},  // TextBarcode
    {"Штрих-код (hex)", "Barcode (hex)"},  // TextBarcodeInHex
    {"ID шифра", "ID cipher"},  // TextCipherId
    {"ID шифра (x.x.x.x)", "ID cipher (x.x.x.x)"},  // TextCipherIdDotted
};

}  // namespace

const char* UiTextIn(int language, UiTextId id) {
    if (id < 0 || id >= TextCount) return "";
    return language == kEnglish ? kTexts[id].english : kTexts[id].russian;
}
