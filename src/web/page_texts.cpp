#include "web/page_texts.h"

#include "core/family.h"
#include "core/text_cp1251.h"
#include "web/json.h"

namespace {

struct TextRow {
    const char* name;  // as the page asks for it
    const char* english;
    const char* russian;
};

// One row per PageText, in its order. Outcomes are worded as vireo4 words them.
constexpr TextRow kTexts[] = {
    {"Title", "VireoTool-4 in the browser", "VireoTool-4 в браузере"},
    {"Intro", "Configures Vireo-4 readers over the browser's serial port access: nothing to install.",
     "Настройка считывателей Vireo-4 через последовательные порты браузера: ничего не нужно устанавливать."},
    {"ConnectUsb", "Connect a Vireo-4-USB…", "Подключить Vireo-4-USB…"},
    {"ConnectAny", "Connect a reader on another port…", "Подключить считыватель на другом порту…"},
    {"Readers", "Readers", "Считыватели"},
    {"NoReaders", "No reader connected yet: connect one and choose its port.",
     "Считыватель ещё не подключён: подключите его и выберите порт."},
    {"PortName", "Port %1", "Порт %1"},
    {"UsbPortName", "Port %1 (USB %2)", "Порт %1 (USB %2)"},
    {"Gone", "disconnected: its controls are off until it is plugged in again",
     "отключён: управление недоступно, пока его не подключат снова"},
    {"Disconnected", "disconnected", "отключён"},
    {"Working", "working…", "выполняется…"},
    {"Unchanged", "unchanged (already set, nothing written)", "без изменений (уже установлено, ничего не записано)"},
    {"Verified", "written and verified", "записано и проверено"},
    {"Unconfirmed", "written, not confirmed: read the reader again", "записано, не подтверждено: считайте настройки ещё раз"},
    {"Mismatch", "read back %2 instead of %1", "считано %2 вместо %1"},
    {"Busy", "the port is in use by another program: close that program, then READ again",
     "порт занят другой программой: закройте её и нажмите READ ещё раз"},
    {"Denied", "no permission to open the port: on Linux, add the user to the group dialout (sudo adduser USER dialout, "
     "then log in again); the udev rule 60-vireo4.rules of the vireo4 package gives a Vireo-4-USB that group",
     "нет разрешения открыть порт: в Linux добавьте пользователя в группу dialout (sudo adduser USER dialout, "
     "затем войдите снова); правило udev 60-vireo4.rules из пакета vireo4 даёт Vireo-4-USB эту группу"},
    {"OpenFailed", "the port cannot be opened", "порт не удалось открыть"},
    {"IoError", "error when reading from the port (the reader may be unplugged)",
     "ошибка чтения из порта (считыватель мог быть отключён)"},
    {"Wiegand58NotAllowed", "wiegand-58 needs a KRM reader with firmware 1.10 or later",
     "wiegand-58 требует считыватель KRM с прошивкой 1.10 или новее"},
    {"Bytes7NotAllowed", "bytes=7 needs the USB reader with firmware 1.10 or later",
     "bytes=7 требует считыватель USB с прошивкой 1.10 или новее"},
    {"Bytes7TouchMemory", "bytes=7 with format touch-memory needs firmware above 1.10",
     "bytes=7 с форматом touch-memory требует прошивку новее 1.10"},
    {"SettingNotRecognized", "the reader's %1 is not recognised: choose a value before writing",
     "значение %1 считывателя не распознано: выберите значение перед записью"},
    {"TypeBesideTouchMemory", "type has no meaning with format touch-memory", "тип не имеет смысла при формате touch-memory"},
    {"TypeNeeded", "format hex-or-dec needs type=hex or type=dec", "формату hex-or-dec нужен type=hex или type=dec"},
    {"NotThisReaders", "'%1' is no setting of this reader", "'%1' не является настройкой этого считывателя"},
    {"CardSection", "Card ID", "ID карты"},
    {"WatchCards", "Watch for cards", "Ждать карты"},
    {"StopWatching", "Stop watching", "Прекратить ожидание"},
    {"CopyTable", "Copy table", "Копировать таблицу"},
    {"SaveCsv", "Save as CSV", "Сохранить в CSV"},
    {"Copied", "Copied.", "Скопировано."},
    {"CardTime", "Time", "Время"},
    {"CardReader", "Reader", "Считыватель"},
    {"ProfileSection", "Profiles", "Профили"},
    {"SaveProfile", "Save the settings on screen as a profile…", "Сохранить настройки с экрана в профиль…"},
    {"OpenProfile", "Open a profile…", "Открыть профиль…"},
    {"DropProfile", "or drop a profile file here", "или перетащите сюда файл профиля"},
    {"WouldChange", "What %1 would change", "Что изменит %1"},
    {"NothingToChange", "nothing to change", "изменять нечего"},
    {"ApplyThis", "Apply to this reader", "Применить к этому считывателю"},
    {"ApplyAll", "Apply to every connected reader", "Применить ко всем подключённым считывателям"},
    {"Applied", "applied to %1 reader(s)", "применено к считывателям: %1"},
    {"ProfileLine", "line %1: %2", "строка %1: %2"},
    {"ProfileTooLarge", "not a profile: the file is far too large", "это не профиль: файл слишком велик"},
    {"ProfileBadLine", "expected [section], NAME = VALUE or a comment", "ожидается [раздел], ИМЯ = ЗНАЧЕНИЕ или комментарий"},
    {"ProfileUnknownSection", "unknown section [%1] (use [kru-krm] or [usb])", "неизвестный раздел [%1] (используйте [kru-krm] или [usb])"},
    {"ProfileDuplicateSection", "section [%1] appears twice", "раздел [%1] указан дважды"},
    {"ProfileOutsideSection", "setting outside a section ([kru-krm] or [usb] first)", "настройка вне раздела (сначала [kru-krm] или [usb])"},
    {"ProfileUnknownName", "unknown setting '%1' (settings: %2)", "неизвестная настройка '%1' (настройки: %2)"},
    {"ProfileUnknownValue", "unknown value '%1' of %2", "неизвестное значение '%1' настройки %2"},
    {"ProfileDuplicateName", "setting '%1' appears twice in its section", "настройка '%1' указана в разделе дважды"},
    {"ProfileNoSection", "the profile has no [%1] section", "в профиле нет раздела [%1]"},
    {"Messages", "Messages", "Сообщения"},
    {"UnsupportedBrowser", "This browser cannot reach serial ports. The page needs Web Serial, which Chromium-based browsers "
     "have on the desktop: Google Chrome, Microsoft Edge, Opera, Chromium (version 89 or later, on Windows, "
     "macOS, Linux and ChromeOS). Firefox and Safari lack it.",
     "Этот браузер не может работать с последовательными портами. Странице нужен Web Serial, который есть "
     "в браузерах на основе Chromium для компьютеров: Google Chrome, Microsoft Edge, Opera, Chromium "
     "(версии 89 и новее, в Windows, macOS, Linux и ChromeOS). В Firefox и Safari его нет."},
    {"UnsupportedAdvice", "Without such a browser, use the window program VireoTool-4.exe on Windows, or the command-line tool "
     "vireo4 on Linux and Windows.",
     "Без такого браузера используйте оконную программу VireoTool-4.exe в Windows или программу командной "
     "строки vireo4 в Linux и Windows."},

    {"NotWritten", "Not yet written: %1", "Ещё не записано: %1"},
    {"NotWrittenMark", "not written", "не записано"},
    {"WriteCount", "%1 (%2 to change)", "%1 (изменить: %2)"},
    {"SaveReadProfile", "Save the reader's own values as a profile…", "Сохранить в профиль значения считывателя…"},
    {"SaveProfileHint", "The profile holds the settings shown on screen, choices not yet written included.",
     "В профиль попадают настройки, показанные на экране, включая ещё не записанные."},
    {"BusyOrDenied", "the port is in use by another program, or this user may not open it: close any program that "
     "uses it; on Linux, add the user to the group dialout (sudo adduser USER dialout, then log in again); the udev "
     "rule 60-vireo4.rules of the vireo4 package gives a Vireo-4-USB that group",
     "порт занят другой программой, или этому пользователю нельзя его открыть: закройте программы, которые его "
     "используют; в Linux добавьте пользователя в группу dialout (sudo adduser USER dialout, затем войдите снова); "
     "правило udev 60-vireo4.rules из пакета vireo4 даёт Vireo-4-USB эту группу"},
    {"PortGone", "the port is gone (the reader or adapter was unplugged)", "порт исчез (считыватель или адаптер отключён)"},
    {"CannotOpen", "cannot open the port: %1", "не удалось открыть порт: %1"},
    {"NoneChosen", "No port was chosen. If the reader was not in the list: check its cable and, for a USB-serial adapter, "
     "its driver; try the other Connect button (the USB reader's button lists only the Vireo-4-USB); on Linux, the user "
     "must be in the group dialout.",
     "Порт не выбран. Если считывателя не было в списке: проверьте кабель и, для переходника USB-COM, его драйвер; "
     "попробуйте другую кнопку подключения (кнопка USB показывает только Vireo-4-USB); в Linux пользователь должен "
     "входить в группу dialout."},
    {"Forget", "Forget this port", "Забыть этот порт"},
    {"Forgotten", "port forgotten: the browser will ask again before using it", "порт забыт: браузер снова спросит разрешение"},
    {"LampLegend", "Indic.: each group's lamp shows, by its colour, the choice checked in the group, as the window's lamps do.",
     "Инд.: лампа каждой группы показывает цветом выбранное в группе значение, как в окне программы."},
    {"ShowBytes", "Show the bytes sent to and received from this port in the messages (hex and text)",
     "Показывать в сообщениях байты, отправленные в этот порт и полученные из него (hex и текст)"},
    {"BytesSent", "sent", "отправлено"},
    {"BytesReceived", "received", "получено"},
    {"CopyLog", "Copy messages", "Копировать сообщения"},
    {"SaveLog", "Save messages", "Сохранить сообщения"},
    {"LogKept", "Kept while this page is open, oldest first: the last %1 messages.",
     "Хранятся, пока страница открыта, от старых к новым: последние %1 сообщений."},
    {"ApplyAllAsk", "Write this profile to %1 reader(s)?", "Записать этот профиль в считыватели (%1)?"},
    {"Insecure", "This page was opened from %1 over plain http, where the browser gives no access to serial ports. "
     "Serve it over https, or open it from localhost or from its file (index.html) on this computer.",
     "Страница открыта с %1 по http без шифрования, и браузер не даёт ей доступа к последовательным портам. "
     "Откройте её по https, с localhost или из файла (index.html) на этом компьютере."},
    {"Framed", "This page does not run inside a frame of another site, which could use the serial ports granted to it. "
     "Open it on its own.",
     "Страница не работает внутри фрейма другого сайта: тот мог бы пользоваться разрешёнными ей портами. "
     "Откройте её отдельно."},
    {"StartFailed", "The page could not start: %1", "Страница не смогла запуститься: %1"},
};
static_assert(sizeof kTexts / sizeof kTexts[0] == static_cast<int>(PageText::Count), "one row per text");

// The window's texts the page shows, by the names of their entries.
struct WindowEntry {
    UiTextId id;
    const char* name;
};
constexpr WindowEntry kWindowEntries[] = {
    {TextVersion, "TextVersion"},
    {TextRead, "TextRead"},
    {TextWrite, "TextWrite"},
    {TextIndic, "TextIndic"},
    {TextMenuLanguage, "TextMenuLanguage"},
    {TextItemReadId, "TextItemReadId"},
    {TextFoundKruKrm, "TextFoundKruKrm"},
    {TextFoundKru, "TextFoundKru"},
    {TextFoundKrm, "TextFoundKrm"},
    {TextFoundUsb, "TextFoundUsb"},
    {TextBadReply, "TextBadReply"},
    {TextNoResponse, "TextNoResponse"},
    {TextInvalidCommand, "TextInvalidCommand"},
    {TextSettingsWritten, "TextSettingsWritten"},
    {TextSettingsRead, "TextSettingsRead"},
    {TextFirmwareUnsupported, "TextFirmwareUnsupported"},
    {TextErrorOpening, "TextErrorOpening"},
    {TextConnectionBroken, "TextConnectionBroken"},
    {TextDisabled, "TextDisabled"},
    {TextUsbDisconnected, "TextUsbDisconnected"},
    {TextReadIdUnsupported, "TextReadIdUnsupported"},
    {TextBarcode, "TextBarcode"},
    {TextBarcodeInHex, "TextBarcodeInHex"},
    {TextCipherId, "TextCipherId"},
    {TextCipherIdDotted, "TextCipherIdDotted"},
};

}  // namespace

const char* PageTextIn(int language, PageText id) {
    const int index = static_cast<int>(id);
    if (index < 0 || index >= static_cast<int>(PageText::Count)) return "";
    return language == kRussian ? kTexts[index].russian : kTexts[index].english;
}

const char* WindowTextName(UiTextId id) {
    for (const WindowEntry& entry : kWindowEntries)
        if (entry.id == id) return entry.name;
    return "";
}

std::string FillIn(const std::string& text, const std::string& first, const std::string& second) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            out += text[i + 1] == '1' ? first : second;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string TextsJson(int language) {
    Json json;
    json.BeginObject();
    for (const WindowEntry& entry : kWindowEntries) json.Field(entry.name, Cp1251ToUtf8(UiTextIn(language, entry.id)));
    for (int i = 0; i < static_cast<int>(PageText::Count); ++i)
        json.Field(kTexts[i].name, PageTextIn(language, static_cast<PageText>(i)));
    json.EndObject();
    return json.str();
}
