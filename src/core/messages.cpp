// SPDX-License-Identifier: Apache-2.0
#include "core/messages.h"

#include "core/family.h"

namespace {

// One row per Msg, in its order.
constexpr MessageRow kRows[] = {
    {Msg::UsageUnknownCommand, u8"unknown command '%1'", u8"неизвестная команда '%1'"},
    {Msg::UsageUnknownOption, u8"unknown option '%1'", u8"неизвестный параметр '%1'"},
    {Msg::UsageDidYouMean, u8"did you mean '%1'?", u8"возможно, имелось в виду '%1'?"},
    {Msg::UsageMissingValue, u8"option '%1' needs a value", u8"параметру '%1' нужно значение"},
    {Msg::UsageBadNumber, u8"option '%1' needs a number of milliseconds, not '%2'", u8"параметру '%1' нужно число миллисекунд, а не '%2'"},
    {Msg::UsageBadLanguage, u8"language must be 'ru' or 'en', not '%1'", u8"язык должен быть 'ru' или 'en', а не '%1'"},
    {Msg::UsageMissingPort, u8"no port given", u8"не указан порт"},
    {Msg::UsageMissingProfile, u8"no profile file given", u8"не указан файл профиля"},
    {Msg::UsageMissingSettings, u8"no settings given (NAME=VALUE or --raw CHARS)", u8"не указаны настройки (ИМЯ=ЗНАЧЕНИЕ или --raw СИМВОЛЫ)"},
    {Msg::UsageExtraArgument, u8"unexpected argument '%1'", u8"лишний аргумент '%1'"},
    {Msg::UsageSeeHelp, u8"see '%1'", u8"см. '%1'"},
    {Msg::UsageBadAssignment, u8"'%1' is not NAME=VALUE", u8"'%1' не имеет вид ИМЯ=ЗНАЧЕНИЕ"},
    {Msg::UsageUnknownSetting, u8"unknown setting '%1'", u8"неизвестная настройка '%1'"},
    {Msg::UsageAllowedNames, u8"settings: %1", u8"настройки: %1"},
    {Msg::UsageUnknownValue, u8"unknown value '%1' of %2", u8"неизвестное значение '%1' настройки %2"},
    {Msg::UsageAllowedValues, u8"allowed values: %1", u8"допустимые значения: %1"},
    {Msg::UsageRawLength, u8"'%1' is not a setting string of this reader (%2 characters)",
     u8"'%1' не является строкой настроек этого считывателя (%2 символов)"},
    {Msg::UsageRawAndNames, u8"give either NAME=VALUE settings or --raw, not both", u8"укажите либо настройки ИМЯ=ЗНАЧЕНИЕ, либо --raw, но не оба"},
    {Msg::UsageWrongFamilyName, u8"setting '%1' belongs to the [%2] readers, not to this one", u8"настройка '%1' относится к считывателям [%2], а не к этому"},
    {Msg::UsageTypeWithTouchMemory, u8"type has no meaning with format touch-memory", u8"тип не имеет смысла при формате touch-memory"},
    {Msg::UsageTypeNeeded, u8"format hex-or-dec needs type=hex or type=dec", u8"формату hex-or-dec нужен type=hex или type=dec"},
    {Msg::UsageSeveralPorts, u8"'%1' names several ports (%2); this command takes one", u8"'%1' указывает несколько портов (%2); команде нужен один"},
    {Msg::ProfileCannotRead, u8"cannot read the profile '%1'", u8"не удалось прочитать профиль '%1'"},
    {Msg::ProfileBadLine, u8"expected [section], NAME = VALUE or a comment", u8"ожидается [раздел], ИМЯ = ЗНАЧЕНИЕ или комментарий"},
    {Msg::ProfileUnknownSection, u8"unknown section [%1] (use [kru-krm] or [usb])", u8"неизвестный раздел [%1] (используйте [kru-krm] или [usb])"},
    {Msg::ProfileDuplicateSection, u8"section [%1] appears twice", u8"раздел [%1] указан дважды"},
    {Msg::ProfileOutsideSection, u8"setting outside a section ([kru-krm] or [usb] first)", u8"настройка вне раздела (сначала [kru-krm] или [usb])"},
    {Msg::ProfileDuplicateName, u8"setting '%1' appears twice in its section", u8"настройка '%1' указана в разделе дважды"},
    {Msg::NoPortMatches, u8"no port matches '%1'", u8"ни один порт не подходит под '%1'"},
    {Msg::NoPorts, u8"no serial ports found", u8"последовательные порты не найдены"},
    {Msg::NoReaderFound, u8"no reader found", u8"считыватель не найден"},
    {Msg::PortNotFound, u8"port not found", u8"порт не найден"},
    {Msg::NotSerialPort, u8"not a serial port", u8"не последовательный порт"},
    {Msg::PortBusy, u8"port busy (another program uses it)", u8"порт занят (его использует другая программа)"},
    {Msg::PortDenied, u8"permission denied (is the user in the dialout group?)", u8"нет доступа (входит ли пользователь в группу dialout?)"},
    {Msg::PortOpenFailed, u8"the port cannot be opened", u8"порт не удалось открыть"},
    {Msg::PortConfigureFailed, u8"the port refused its line settings", u8"порт не принял параметры линии"},
    {Msg::PortReadFailed, u8"error when reading from the port (the reader may be unplugged)", u8"ошибка чтения из порта (считыватель мог быть отключён)"},
    {Msg::PortWriteFailed, u8"error when writing to the port (the reader may be unplugged)", u8"ошибка записи в порт (считыватель мог быть отключён)"},
    {Msg::ReaderRefused, u8"the reader refused the command", u8"считыватель отказался выполнить команду"},
    {Msg::NoAnswer, u8"no reader answered", u8"считыватель не ответил"},
    {Msg::Mismatch, u8"read back %2 instead of %1", u8"считано %2 вместо %1"},
    {Msg::Unconfirmed, u8"written, not confirmed: read the reader again", u8"записано, но не подтверждено: прочитайте считыватель ещё раз"},
    {Msg::SettingNotRecognized, u8"the reader's %1 is not recognised; give %1=VALUE", u8"значение %1 считывателя не распознано; укажите %1=ЗНАЧЕНИЕ"},
    {Msg::Wiegand58NotAllowed, u8"wiegand-58 needs a KRM reader with firmware 1.10 or later",
     u8"wiegand-58 требует считыватель KRM с прошивкой 1.10 или новее"},
    {Msg::Bytes7NotAllowed, u8"bytes=7 needs the USB reader with firmware 1.10 or later",
     u8"bytes=7 требует считыватель USB с прошивкой 1.10 или новее"},
    {Msg::Bytes7TouchMemory, u8"bytes=7 with format touch-memory needs firmware above 1.10",
     u8"bytes=7 с форматом touch-memory требует прошивку новее 1.10"},
    {Msg::Interrupted, u8"interrupted", u8"прервано"},
    {Msg::NoSectionForFamily, u8"the profile has no [%1] section", u8"в профиле нет раздела [%1]"},
    {Msg::Unchanged, u8"unchanged (already set, nothing written)", u8"без изменений (уже установлено, ничего не записано)"},
    {Msg::Changed, u8"written and verified", u8"записано и проверено"},
    {Msg::WouldChange, u8"would change (dry run, nothing written)", u8"будет изменено (пробный прогон, ничего не записано)"},
    {Msg::NotWritten, u8"nothing written", u8"ничего не записано"},
    {Msg::Failed, u8"failed", u8"ошибка"},
    {Msg::Skipped, u8"skipped", u8"пропущен"},
    {Msg::ProfileSettingLeftOut, u8"warning: the reader's %1 is not recognised; left out of the profile",
     u8"предупреждение: значение %1 считывателя не распознано; в профиль не включено"},
    {Msg::CardNumberTooLarge, u8"%1: the number is too large (above 4294967295)", u8"%1: число слишком велико (больше 4294967295)"},
    {Msg::CsvCannotOpen, u8"cannot open '%1' for appending: %2", u8"не удалось открыть '%1' для дописывания: %2"},
    {Msg::CsvCannotWrite, u8"cannot write to '%1': %2", u8"не удалось записать в '%1': %2"},
    {Msg::OutputFailed, u8"cannot write the output: %1", u8"не удалось вывести результат: %1"},
    {Msg::ThreadFailed, u8"cannot start a worker thread for the port: %1", u8"не удалось запустить поток для порта: %1"},
    {Msg::WatchHint, u8"watching for cards; Ctrl-C ends", u8"ожидание карт; Ctrl-C для завершения"},
    {Msg::NoCard, u8"no card", u8"нет карты"},
    {Msg::HeaderPort, u8"PORT", u8"ПОРТ"},
    {Msg::HeaderModel, u8"MODEL", u8"МОДЕЛЬ"},
    {Msg::HeaderFirmware, u8"FIRMWARE", u8"ПРОШИВКА"},
    {Msg::HeaderSettings, u8"SETTINGS", u8"НАСТРОЙКИ"},
    {Msg::HeaderPath, u8"PATH", u8"ПУТЬ"},
    {Msg::HeaderUsb, u8"USB (VID:PID SERIAL)", u8"USB (VID:PID СЕРИЙНЫЙ)"},
    {Msg::HeaderResult, u8"RESULT", u8"РЕЗУЛЬТАТ"},
    {Msg::UsbReaderMark, u8"Vireo-4-USB reader", u8"считыватель Vireo-4-USB"},
    {Msg::SerialLineReader, u8"serial-line reader", u8"считыватель KRU/KRM"},
    {Msg::HelpKruKrmSettings, u8"Settings of KRU/KRM readers ([%1]):", u8"Настройки считывателей KRU/KRM ([%1]):"},
    {Msg::HelpUsbSettings, u8"Settings of the USB reader ([%1]):", u8"Настройки считывателя USB ([%1]):"},
    {Msg::HelpNoType, u8"%1 with %2", u8"%1 при %2"},
    {Msg::HelpRules, u8"Firmware rules:", u8"Правила прошивки:"},
    {Msg::HelpRuleNeeds, u8"%1 needs a %2 reader with firmware %3 or later", u8"%1 требует считыватель %2 с прошивкой %3 или новее"},
    {Msg::HelpRuleCondition, u8", and with %1 firmware above %2", u8", а с %1 прошивку новее %2"},
    {Msg::ProfileNoSettings, u8"the profile holds no settings", u8"в профиле нет настроек"},
    {Msg::ProfileNulByte, u8"the profile holds a NUL byte, which no text file has",
     u8"в профиле есть нулевой байт, которого не бывает в тексте"},
    {Msg::ProfileNotRegularFile, u8"not a regular file", u8"не обычный файл"},
    {Msg::ProfileTooLarge, u8"larger than 1 MiB, too large for a profile", u8"больше 1 МиБ, слишком велик для профиля"},
    {Msg::UsageSettingTwice, u8"setting '%1' is given twice", u8"настройка '%1' указана дважды"},
    {Msg::HoldersUnseen,
     u8"%1: the open files of %2 processes could not be looked at (run as root to see every holder, "
     u8"or 'fuser -v %1')",
     u8"%1: открытые файлы %2 процессов не удалось просмотреть (запустите от root, чтобы увидеть всех, "
     u8"или 'fuser -v %1')"},
    {Msg::ConsoleMark, u8"console", u8"консоль"},
    {Msg::UsageNoCommand, u8"no command given (ports, find, read, write, apply or card)",
     u8"не указана команда (ports, find, read, write, apply или card)"},
    {Msg::PageTitle, u8"VireoTool-4 in the browser",
     u8"VireoTool-4 в браузере"},
    {Msg::PageIntro, u8"Configures Vireo-4 readers over the browser's serial port access: nothing to install.",
     u8"Настройка считывателей Vireo-4 через последовательные порты браузера: ничего не нужно устанавливать."},
    {Msg::PageConnectUsb, u8"Connect a Vireo-4-USB…",
     u8"Подключить Vireo-4-USB…"},
    {Msg::PageConnectAny, u8"Connect a reader on another port…",
     u8"Подключить считыватель на другом порту…"},
    {Msg::PageReaders, u8"Readers",
     u8"Считыватели"},
    {Msg::PageNoReaders, u8"No reader connected yet: connect one and choose its port.",
     u8"Считыватель ещё не подключён: подключите его и выберите порт."},
    {Msg::PagePortName, u8"Port %1",
     u8"Порт %1"},
    {Msg::PageUsbPortName, u8"Port %1 (USB %2)",
     u8"Порт %1 (USB %2)"},
    {Msg::PageGone, u8"disconnected: its controls are off until it is plugged in again",
     u8"отключён: управление недоступно, пока его не подключат снова"},
    {Msg::PageDisconnected, u8"disconnected",
     u8"отключён"},
    {Msg::PageWorking, u8"working…",
     u8"выполняется…"},
    {Msg::PageSettingNotRecognized, u8"the reader's %1 is not recognised: choose a value before writing",
     u8"значение %1 считывателя не распознано: выберите значение перед записью"},
    {Msg::PageNotThisReaders, u8"'%1' is no setting of this reader",
     u8"'%1' не является настройкой этого считывателя"},
    {Msg::PageCardSection, u8"Card ID",
     u8"ID карты"},
    {Msg::PageWatchCards, u8"Watch for cards",
     u8"Ждать карты"},
    {Msg::PageStopWatching, u8"Stop watching",
     u8"Прекратить ожидание"},
    {Msg::PageCopyTable, u8"Copy table",
     u8"Копировать таблицу"},
    {Msg::PageSaveCsv, u8"Save as CSV",
     u8"Сохранить в CSV"},
    {Msg::PageCopied, u8"Copied.",
     u8"Скопировано."},
    {Msg::PageCardTime, u8"Time",
     u8"Время"},
    {Msg::PageCardReader, u8"Reader",
     u8"Считыватель"},
    {Msg::PageProfileSection, u8"Profiles",
     u8"Профили"},
    {Msg::PageSaveProfile, u8"Save the settings on screen as a profile…",
     u8"Сохранить настройки с экрана в профиль…"},
    {Msg::PageOpenProfile, u8"Open a profile…",
     u8"Открыть профиль…"},
    {Msg::PageDropProfile, u8"or drop a profile file here",
     u8"или перетащите сюда файл профиля"},
    {Msg::PageWouldChange, u8"What %1 would change",
     u8"Что изменит %1"},
    {Msg::PageNothingToChange, u8"nothing to change",
     u8"изменять нечего"},
    {Msg::PageApplyThis, u8"Apply to this reader",
     u8"Применить к этому считывателю"},
    {Msg::PageApplyAll, u8"Apply to every connected reader",
     u8"Применить ко всем подключённым считывателям"},
    {Msg::PageApplied, u8"applied to %1 reader(s)",
     u8"применено к считывателям: %1"},
    {Msg::PageProfileLine, u8"line %1: %2",
     u8"строка %1: %2"},
    {Msg::PageProfileTooLarge, u8"not a profile: the file is far too large",
     u8"это не профиль: файл слишком велик"},
    {Msg::PageProfileUnknownName, u8"unknown setting '%1' (settings: %2)",
     u8"неизвестная настройка '%1' (настройки: %2)"},
    {Msg::PageMessages, u8"Messages",
     u8"Сообщения"},
    {Msg::PageUnsupportedBrowser, u8"This browser cannot reach serial ports. The page needs Web Serial, which Chromium-based browsers "
     u8"have on the desktop: Google Chrome, Microsoft Edge, Opera, Chromium (version 89 or later, on Windows, "
     u8"macOS, Linux and ChromeOS). Firefox and Safari lack it.",
     u8"Этот браузер не может работать с последовательными портами. Странице нужен Web Serial, который есть "
     u8"в браузерах на основе Chromium для компьютеров: Google Chrome, Microsoft Edge, Opera, Chromium "
     u8"(версии 89 и новее, в Windows, macOS, Linux и ChromeOS). В Firefox и Safari его нет."},
    {Msg::PageUnsupportedAdvice, u8"Without such a browser, use the window program VireoTool-4.exe on Windows, or the command-line tool "
     u8"vireo4 on Linux and Windows.",
     u8"Без такого браузера используйте оконную программу VireoTool-4.exe в Windows или программу командной "
     u8"строки vireo4 в Linux и Windows."},
    {Msg::PageNotWritten, u8"Not yet written: %1",
     u8"Ещё не записано: %1"},
    {Msg::PageNotWrittenMark, u8"not written",
     u8"не записано"},
    {Msg::PageWriteCount, u8"%1 (%2 to change)",
     u8"%1 (изменить: %2)"},
    {Msg::PageSaveReadProfile, u8"Save the reader's own values as a profile…",
     u8"Сохранить в профиль значения считывателя…"},
    {Msg::PageSaveProfileHint, u8"The profile holds the settings shown on screen, choices not yet written included.",
     u8"В профиль попадают настройки, показанные на экране, включая ещё не записанные."},
    {Msg::PageOpenBusy, u8"the port is in use by another program: close that program, then READ again",
     u8"порт занят другой программой: закройте её и нажмите READ ещё раз"},
    {Msg::PageOpenDenied, u8"no permission to open the port: on Linux, add the user to the group dialout (sudo adduser USER "
     u8"dialout, then log in again); the udev rule 60-vireo4.rules of the vireo4 package gives a "
     u8"Vireo-4-USB that group",
     u8"нет разрешения открыть порт: в Linux добавьте пользователя в группу dialout (sudo adduser USER "
     u8"dialout, затем войдите снова); правило udev 60-vireo4.rules из пакета vireo4 даёт Vireo-4-USB эту "
     u8"группу"},
    {Msg::PageBusyOrDenied, u8"the port is in use by another program, or this user may not open it: close any program that uses "
     u8"it; on Linux, add the user to the group dialout (sudo adduser USER dialout, then log in again); the "
     u8"udev rule 60-vireo4.rules of the vireo4 package gives a Vireo-4-USB that group",
     u8"порт занят другой программой, или этому пользователю нельзя его открыть: закройте программы, "
     u8"которые его используют; в Linux добавьте пользователя в группу dialout (sudo adduser USER dialout, "
     u8"затем войдите снова); правило udev 60-vireo4.rules из пакета vireo4 даёт Vireo-4-USB эту группу"},
    {Msg::PagePortGone, u8"the port is gone (the reader or adapter was unplugged)",
     u8"порт исчез (считыватель или адаптер отключён)"},
    {Msg::PageCannotOpen, u8"cannot open the port: %1",
     u8"не удалось открыть порт: %1"},
    {Msg::PageNoneChosen, u8"No port was chosen. If the reader was not in the list: check its cable and, for a USB-serial "
     u8"adapter, its driver; try the other Connect button (the USB reader's button lists only the "
     u8"Vireo-4-USB); on Linux, the user must be in the group dialout.",
     u8"Порт не выбран. Если считывателя не было в списке: проверьте кабель и, для переходника USB-COM, его "
     u8"драйвер; попробуйте другую кнопку подключения (кнопка USB показывает только Vireo-4-USB); в Linux "
     u8"пользователь должен входить в группу dialout."},
    {Msg::PageForget, u8"Forget this port",
     u8"Забыть этот порт"},
    {Msg::PageForgotten, u8"port forgotten: the browser will ask again before using it",
     u8"порт забыт: браузер снова спросит разрешение"},
    {Msg::PageLampLegend, u8"Indic.: each group's lamp shows, by its colour, the choice checked in the group, as the window's "
     u8"lamps do.",
     u8"Инд.: лампа каждой группы показывает цветом выбранное в группе значение, как в окне программы."},
    {Msg::PageShowBytes, u8"Show the bytes sent to and received from this port in the messages (hex and text)",
     u8"Показывать в сообщениях байты, отправленные в этот порт и полученные из него (hex и текст)"},
    {Msg::PageBytesSent, u8"sent",
     u8"отправлено"},
    {Msg::PageBytesReceived, u8"received",
     u8"получено"},
    {Msg::PageCopyLog, u8"Copy messages",
     u8"Копировать сообщения"},
    {Msg::PageSaveLog, u8"Save messages",
     u8"Сохранить сообщения"},
    {Msg::PageLogKept, u8"Kept while this page is open, oldest first: the last %1 messages.",
     u8"Хранятся, пока страница открыта, от старых к новым: последние %1 сообщений."},
    {Msg::PageApplyAllAsk, u8"Write this profile to %1 reader(s)?",
     u8"Записать этот профиль в считыватели (%1)?"},
    {Msg::PageInsecure, u8"This page was opened from %1 over plain http, where the browser gives no access to serial ports. "
     u8"Serve it over https, or open it from localhost or from its file (index.html) on this computer.",
     u8"Страница открыта с %1 по http без шифрования, и браузер не даёт ей доступа к последовательным "
     u8"портам. Откройте её по https, с localhost или из файла (index.html) на этом компьютере."},
    {Msg::PageFramed, u8"This page does not run inside a frame of another site, which could use the serial ports granted to "
     u8"it. Open it on its own.",
     u8"Страница не работает внутри фрейма другого сайта: тот мог бы пользоваться разрешёнными ей портами. "
     u8"Откройте её отдельно."},
    {Msg::PageStartFailed, u8"The page could not start: %1",
     u8"Страница не смогла запуститься: %1"},
};
constexpr int kRowCount = static_cast<int>(sizeof kRows / sizeof kRows[0]);
static_assert(kRowCount == static_cast<int>(Msg::Count), "one row per message");

constexpr bool RowsInOrder() {
    for (int i = 0; i < kRowCount; ++i)
        if (static_cast<int>(kRows[i].id) != i) return false;
    return true;
}
static_assert(RowsInOrder(), "the rows in the order of Msg");

}  // namespace

const char* MessageText(int language, Msg id) {
    const int index = static_cast<int>(id);
    if (index < 0 || index >= kRowCount) return "";
    return language == kRussian ? kRows[index].russian : kRows[index].english;
}

const MessageRow* MessageRows(int* count) {
    *count = kRowCount;
    return kRows;
}

std::string Format(const std::string& text, const std::string& first, const std::string& second,
                   const std::string& third) {
    const std::string* arguments[] = {&first, &second, &third};
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '3') {
            out += *arguments[text[i + 1] - '1'];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}
