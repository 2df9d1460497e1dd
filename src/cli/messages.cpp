#include "cli/messages.h"

#include "core/text_cp1251.h"

namespace {

struct TextPair {
    const char* english;
    const char* russian;
};

// One row per Msg, in its order.
constexpr TextPair kTexts[] = {
    {"unknown command '%1'", "неизвестная команда '%1'"},
    {"unknown option '%1'", "неизвестный параметр '%1'"},
    {"did you mean '%1'?", "возможно, имелось в виду '%1'?"},
    {"option '%1' needs a value", "параметру '%1' нужно значение"},
    {"option '%1' needs a number of milliseconds, not '%2'", "параметру '%1' нужно число миллисекунд, а не '%2'"},
    {"language must be 'ru' or 'en', not '%1'", "язык должен быть 'ru' или 'en', а не '%1'"},
    {"no port given", "не указан порт"},
    {"no profile file given", "не указан файл профиля"},
    {"no settings given (NAME=VALUE or --raw CHARS)", "не указаны настройки (ИМЯ=ЗНАЧЕНИЕ или --raw СИМВОЛЫ)"},
    {"unexpected argument '%1'", "лишний аргумент '%1'"},
    {"see '%1'", "см. '%1'"},
    {"'%1' is not NAME=VALUE", "'%1' не имеет вид ИМЯ=ЗНАЧЕНИЕ"},
    {"unknown setting '%1'", "неизвестная настройка '%1'"},
    {"settings: %1", "настройки: %1"},
    {"unknown value '%1' of %2", "неизвестное значение '%1' настройки %2"},
    {"allowed values: %1", "допустимые значения: %1"},
    {"'%1' is not a setting string of this reader (%2 characters)",
     "'%1' не является строкой настроек этого считывателя (%2 символов)"},
    {"give either NAME=VALUE settings or --raw, not both", "укажите либо настройки ИМЯ=ЗНАЧЕНИЕ, либо --raw, но не оба"},
    {"setting '%1' belongs to the [%2] readers, not to this one", "настройка '%1' относится к считывателям [%2], а не к этому"},
    {"type has no meaning with format touch-memory", "тип не имеет смысла при формате touch-memory"},
    {"format hex-or-dec needs type=hex or type=dec", "формату hex-or-dec нужен type=hex или type=dec"},
    {"'%1' names several ports (%2); this command takes one", "'%1' указывает несколько портов (%2); команде нужен один"},
    {"cannot read the profile '%1'", "не удалось прочитать профиль '%1'"},
    {"expected [section], NAME = VALUE or a comment", "ожидается [раздел], ИМЯ = ЗНАЧЕНИЕ или комментарий"},
    {"unknown section [%1] (use [kru-krm] or [usb])", "неизвестный раздел [%1] (используйте [kru-krm] или [usb])"},
    {"section [%1] appears twice", "раздел [%1] указан дважды"},
    {"setting outside a section ([kru-krm] or [usb] first)", "настройка вне раздела (сначала [kru-krm] или [usb])"},
    {"setting '%1' appears twice in its section", "настройка '%1' указана в разделе дважды"},
    {"no port matches '%1'", "ни один порт не подходит под '%1'"},
    {"no serial ports found", "последовательные порты не найдены"},
    {"no reader found", "считыватель не найден"},
    {"port not found", "порт не найден"},
    {"not a serial port", "не последовательный порт"},
    {"port busy (another program uses it)", "порт занят (его использует другая программа)"},
    {"permission denied (is the user in the dialout group?)", "нет доступа (входит ли пользователь в группу dialout?)"},
    {"the port cannot be opened", "порт не удалось открыть"},
    {"the port refused its line settings", "порт не принял параметры линии"},
    {"error when reading from the port (the reader may be unplugged)", "ошибка чтения из порта (считыватель мог быть отключён)"},
    {"error when writing to the port (the reader may be unplugged)", "ошибка записи в порт (считыватель мог быть отключён)"},
    {"the reader refused the command", "считыватель отказался выполнить команду"},
    {"no reader answered", "считыватель не ответил"},
    {"read back %2 instead of %1", "считано %2 вместо %1"},
    {"written, not confirmed: read the reader again", "записано, но не подтверждено: прочитайте считыватель ещё раз"},
    {"the reader's %1 is not recognised; give %1=VALUE", "значение %1 считывателя не распознано; укажите %1=ЗНАЧЕНИЕ"},
    {"wiegand-58 needs a KRM reader with firmware 1.10 or later",
     "wiegand-58 требует считыватель KRM с прошивкой 1.10 или новее"},
    {"bytes=7 needs the USB reader with firmware 1.10 or later",
     "bytes=7 требует считыватель USB с прошивкой 1.10 или новее"},
    {"bytes=7 with format touch-memory needs firmware above 1.10",
     "bytes=7 с форматом touch-memory требует прошивку новее 1.10"},
    {"interrupted", "прервано"},
    {"the profile has no [%1] section", "в профиле нет раздела [%1]"},
    {"unchanged (already set, nothing written)", "без изменений (уже установлено, ничего не записано)"},
    {"written and verified", "записано и проверено"},
    {"would change (dry run, nothing written)", "будет изменено (пробный прогон, ничего не записано)"},
    {"nothing written", "ничего не записано"},
    {"failed", "ошибка"},
    {"skipped", "пропущен"},
    {"warning: the reader's %1 is not recognised; left out of the profile",
     "предупреждение: значение %1 считывателя не распознано; в профиль не включено"},
    {"%1: the number is too large (above 4294967295)", "%1: число слишком велико (больше 4294967295)"},
    {"cannot open '%1' for appending: %2", "не удалось открыть '%1' для дописывания: %2"},
    {"cannot write to '%1': %2", "не удалось записать в '%1': %2"},
    {"cannot write the output: %1", "не удалось вывести результат: %1"},
    {"cannot start a worker thread for the port: %1", "не удалось запустить поток для порта: %1"},
    {"watching for cards; Ctrl-C ends", "ожидание карт; Ctrl-C для завершения"},
    {"no card", "нет карты"},
    {"PORT", "ПОРТ"},
    {"MODEL", "МОДЕЛЬ"},
    {"FIRMWARE", "ПРОШИВКА"},
    {"SETTINGS", "НАСТРОЙКИ"},
    {"PATH", "ПУТЬ"},
    {"USB (VID:PID SERIAL)", "USB (VID:PID СЕРИЙНЫЙ)"},
    {"RESULT", "РЕЗУЛЬТАТ"},
    {"Vireo-4-USB reader", "считыватель Vireo-4-USB"},
    {"serial-line reader", "считыватель KRU/KRM"},
    {"Settings of KRU/KRM readers ([%1]):", "Настройки считывателей KRU/KRM ([%1]):"},
    {"Settings of the USB reader ([%1]):", "Настройки считывателя USB ([%1]):"},
    {"%1 with %2", "%1 при %2"},
    {"Firmware rules:", "Правила прошивки:"},
    {"%1 needs a %2 reader with firmware %3 or later", "%1 требует считыватель %2 с прошивкой %3 или новее"},
    {", and with %1 firmware above %2", ", а с %1 прошивку новее %2"},
    {"the profile holds no settings", "в профиле нет настроек"},
    {"the profile holds a NUL byte, which no text file has", "в профиле есть нулевой байт, которого не бывает в тексте"},
    {"not a regular file", "не обычный файл"},
    {"larger than 1 MiB, too large for a profile", "больше 1 МиБ, слишком велик для профиля"},
    {"setting '%1' is given twice", "настройка '%1' указана дважды"},
    {"%1: the open files of %2 processes could not be looked at (run as root to see every holder, "
     "or 'fuser -v %1')",
     "%1: открытые файлы %2 процессов не удалось просмотреть (запустите от root, чтобы увидеть всех, "
     "или 'fuser -v %1')"},
    {"console", "консоль"},
    {"no command given (ports, find, read, write, apply or card)", "не указана команда (ports, find, read, write, apply или card)"},
};
static_assert(sizeof(kTexts) / sizeof(kTexts[0]) == static_cast<int>(Msg::Count), "one row per message");

}  // namespace

const char* MessageText(int language, Msg id) {
    const TextPair& pair = kTexts[static_cast<int>(id)];
    return language == kRussian ? pair.russian : pair.english;
}

std::string WindowText(int language, UiTextId id) { return Cp1251ToUtf8(UiTextIn(language, id)); }

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
