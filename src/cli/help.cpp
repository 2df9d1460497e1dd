#include "cli/help.h"

#include "cli/messages.h"
#include "cli/output.h"
#include "core/family.h"
#include "core/firmware_rules.h"
#include "core/profile.h"
#include "core/reader_model.h"
#include "core/setting_names.h"

namespace {

// The overview in two halves; between them the settings and firmware rules, generated from
// the core's tables so that the help never lists a name or a rule the tool does not know.
constexpr const char kOverviewEn[] =
    "Usage: vireo4 COMMAND [OPTIONS] [ARGUMENTS]\n"
    "Configures Vireo-4 card readers (KRU, KRM, USB) from the command line.\n"
    "\n"
    "Commands:\n"
    "  ports                        list the serial ports, the USB reader marked\n"
    "  find [PORT...]               probe ports (all when none given) for readers, in parallel\n"
    "  read PORT                    print a reader's settings by name\n"
    "  write PORT NAME=VALUE...     change settings, verified by reading back\n"
    "  apply PROFILE [PORT...]      apply a profile file to every reader found\n"
    "  card PORT                    read the card's barcode number and cipher ID\n"
    "\n"
    "Options of every command:\n"
    "  --json          one JSON document (JSON lines with card --watch)\n"
    "  --timeout MS    reply deadline in milliseconds (default 700)\n"
    "  --lang ru|en    language of messages (default: from the locale)\n"
    "  --help          help of a command: vireo4 COMMAND --help\n"
    "  --version       the version\n"
    "\n"
    "PORT is a device path (/dev/ttyUSB0, or ttyUSB0), a Windows name (COM3) or a glob\n"
    "(quoted: '/dev/ttyUSB*').\n"
    "\n";

constexpr const char kExitCodesEn[] =
    "\n"
    "Exit codes: 0 success, 1 usage error, 2 no reader or port not found, 3 refused or\n"
    "verification mismatch, 4 port or I/O error, 130 interrupted (Ctrl-C). With several\n"
    "readers the worst one counts.\n";

constexpr const char kOverviewRu[] =
    "Использование: vireo4 КОМАНДА [ПАРАМЕТРЫ] [АРГУМЕНТЫ]\n"
    "Настройка считывателей Vireo-4 (KRU, KRM, USB) из командной строки.\n"
    "\n"
    "Команды:\n"
    "  ports                        список последовательных портов, считыватель USB отмечен\n"
    "  find [ПОРТ...]               поиск считывателей на портах (на всех, если не указаны)\n"
    "  read ПОРТ                    настройки считывателя по именам\n"
    "  write ПОРТ ИМЯ=ЗНАЧЕНИЕ...   изменить настройки и проверить их чтением\n"
    "  apply ПРОФИЛЬ [ПОРТ...]      применить файл профиля ко всем найденным считывателям\n"
    "  card ПОРТ                    штрих-код и ID шифра карты\n"
    "\n"
    "Параметры любой команды:\n"
    "  --json          один документ JSON (строки JSON для card --watch)\n"
    "  --timeout МС    срок ответа в миллисекундах (по умолчанию 700)\n"
    "  --lang ru|en    язык сообщений (по умолчанию по локали)\n"
    "  --help          справка по команде: vireo4 КОМАНДА --help\n"
    "  --version       версия\n"
    "\n"
    "ПОРТ: путь устройства (/dev/ttyUSB0 или ttyUSB0), имя Windows (COM3) или шаблон\n"
    "(в кавычках: '/dev/ttyUSB*').\n"
    "\n";

constexpr const char kExitCodesRu[] =
    "\n"
    "Коды выхода: 0 успех, 1 ошибка вызова, 2 нет считывателя или порта, 3 отказ или\n"
    "несовпадение при проверке, 4 ошибка порта или ввода-вывода, 130 прервано (Ctrl-C).\n"
    "При нескольких считывателях учитывается худший результат.\n";

constexpr std::size_t kHelpWidth = 80;
constexpr std::size_t kSettingNameColumn = 12;

// "name=value" of a family's setting.
std::string Assignment(int family, std::size_t setting, int value) {
    std::size_t count = 0;
    const SettingName& name = SettingNamesOf(family, &count)[setting];
    return std::string(name.name) + "=" + SettingValueText(name, value);
}

// One line per setting: its name and every value, the USB type's "none" with its condition.
std::string SettingsTable(int language, int family) {
    std::string text = Format(MessageText(language, family == kUsb ? Msg::HelpUsbSettings : Msg::HelpKruKrmSettings),
                              ProfileSectionName(family)) + "\n";
    std::size_t count = 0;
    const SettingName* names = SettingNamesOf(family, &count);
    for (std::size_t index = 0; index < count; ++index) {
        std::string values;
        for (std::size_t k = 0; k < names[index].valueCount; ++k) values += (k ? ", " : "") + std::string(names[index].values[k].name);
        if (family == kUsb && index == kTypeIndex) {
            values += " (" + Format(MessageText(language, Msg::HelpNoType), kNoTypeName,
                                    Assignment(kUsb, kFormatIndex, static_cast<int>(OutputFormat::TouchMemory))) + ")";
        }
        text += "  " + Pad(names[index].name, kSettingNameColumn) + values + "\n";
    }
    return text;
}

std::string Label(int firmwareVersion) {
    char label[kFirmwareLabelLength + 8];
    FormatFirmwareLabel(firmwareVersion, label, sizeof label);
    return label;
}

// "Firmware rules: interface=wiegand-58 needs a KRM reader ...", one sentence per rule.
std::string RulesParagraph(int language) {
    std::size_t count = 0;
    const FirmwareRule* rules = FirmwareRules(&count);
    std::string text = MessageText(language, Msg::HelpRules);
    for (std::size_t k = 0; k < count; ++k) {
        const FirmwareRule& rule = rules[k];
        text += (k ? "; " : " ") + Format(MessageText(language, Msg::HelpRuleNeeds),
                                          Assignment(rule.family, rule.setting, rule.value),
                                          ModelShortName(ModelOfLetter(rule.modelLetter)), Label(rule.minFirmware));
        if (rule.conditional) {
            text += Format(MessageText(language, Msg::HelpRuleCondition),
                           Assignment(rule.family, rule.conditionSetting, rule.conditionValue), Label(rule.aboveFirmware));
        }
    }
    return WrapText(text + ".", kHelpWidth);
}

struct CommandHelp {
    Command command;
    const char* english;
    const char* russian;
};

constexpr CommandHelp kCommandHelp[] = {
    {Command::Ports,
     "Usage: vireo4 ports [--json]\n"
     "Lists every serial port with its USB identity (VID:PID and serial number) where it has\n"
     "one; the Vireo-4-USB reader (2E3C:5750) is marked. Exit 2 when there is no port.\n",
     "Использование: vireo4 ports [--json]\n"
     "Список всех последовательных портов с их USB-данными (VID:PID и серийный номер), если\n"
     "они есть; считыватель Vireo-4-USB (2E3C:5750) отмечен. Код 2, если портов нет.\n"},
    {Command::Find,
     "Usage: vireo4 find [PORT...] [--json] [--timeout MS]\n"
     "Probes the named ports (paths, COMn, globs), or every port when none is named, all at\n"
     "once, and prints one line per reader: port, model, firmware, settings by name. A silent\n"
     "port costs one reply deadline in all. Exit 2 when no reader answers.\n",
     "Использование: vireo4 find [ПОРТ...] [--json] [--timeout МС]\n"
     "Опрашивает одновременно указанные порты (пути, COMn, шаблоны) или все порты и печатает\n"
     "по строке на считыватель: порт, модель, прошивка, настройки. Молчащий порт стоит один\n"
     "срок ответа. Код 2, если ни один считыватель не ответил.\n"},
    {Command::Read,
     "Usage: vireo4 read PORT [--raw | --profile] [--json] [--timeout MS]\n"
     "Prints the reader's settings by name. --raw prints the setting characters as the reader\n"
     "keeps them; --profile prints a profile file for 'vireo4 apply'.\n",
     "Использование: vireo4 read ПОРТ [--raw | --profile] [--json] [--timeout МС]\n"
     "Печатает настройки считывателя по именам. --raw печатает символы настроек, как их хранит\n"
     "считыватель; --profile печатает файл профиля для 'vireo4 apply'.\n"},
    {Command::Write,
     "Usage: vireo4 write PORT NAME=VALUE... [--dry-run] [--json] [--timeout MS]\n"
     "       vireo4 write PORT --raw CHARS\n"
     "Checks names, values and the firmware rules before anything is sent, writes, reads back\n"
     "and reports what changed. A reader that already holds the settings is not written.\n"
     "Example: vireo4 write /dev/ttyUSB0 interface=wiegand-26 standby=static\n",
     "Использование: vireo4 write ПОРТ ИМЯ=ЗНАЧЕНИЕ... [--dry-run] [--json] [--timeout МС]\n"
     "               vireo4 write ПОРТ --raw СИМВОЛЫ\n"
     "Проверяет имена, значения и правила прошивки до отправки, записывает, считывает обратно\n"
     "и сообщает, что изменилось. Считыватель с теми же настройками не перезаписывается.\n"
     "Пример: vireo4 write /dev/ttyUSB0 interface=wiegand-26 standby=static\n"},
    {Command::Apply,
     "Usage: vireo4 apply PROFILE [PORT...] [--dry-run] [--json] [--timeout MS]\n"
     "Applies a profile to every reader found (or on the named ports) in parallel, each\n"
     "verified by reading back, and prints a table per reader (before -> after, or why not).\n"
     "A profile is an INI file ('vireo4 read PORT --profile' prints one):\n"
     "  [kru-krm]\n  interface = wiegand-26\n  [usb]\n  format = touch-memory\n"
     "A syntax error is reported as FILE:LINE: message and nothing is written anywhere.\n"
     "--dry-run shows what would change and writes nothing. Ctrl-C stops, prints the partial\n"
     "table and exits with 130.\n",
     "Использование: vireo4 apply ПРОФИЛЬ [ПОРТ...] [--dry-run] [--json] [--timeout МС]\n"
     "Применяет профиль ко всем найденным считывателям (или на указанных портах) параллельно,\n"
     "проверяет каждый чтением и печатает таблицу (было -> стало, или почему нет).\n"
     "Профиль — файл INI ('vireo4 read ПОРТ --profile' печатает его):\n"
     "  [kru-krm]\n  interface = wiegand-26\n  [usb]\n  format = touch-memory\n"
     "Синтаксическая ошибка выводится как ФАЙЛ:СТРОКА: сообщение, и ничего не записывается.\n"
     "--dry-run показывает изменения без записи. Ctrl-C останавливает, печатает частичную\n"
     "таблицу, код 130.\n"},
    {Command::Card,
     "Usage: vireo4 card PORT [--watch] [--csv FILE] [--json] [--timeout MS]\n"
     "Prints the card's barcode number and cipher ID in decimal, hexadecimal and dotted form.\n"
     "--watch keeps asking and prints each new card once; --csv FILE appends each card to a\n"
     "CSV file (header once). Ctrl-C ends a watch.\n",
     "Использование: vireo4 card ПОРТ [--watch] [--csv ФАЙЛ] [--json] [--timeout МС]\n"
     "Печатает штрих-код и ID шифра карты в десятичном, шестнадцатеричном и точечном виде.\n"
     "--watch опрашивает непрерывно и печатает каждую новую карту один раз; --csv ФАЙЛ\n"
     "дописывает каждую карту в файл CSV (заголовок один раз). Ctrl-C завершает.\n"},
};

}  // namespace

std::string HelpText(int language, Command command) {
    for (const CommandHelp& help : kCommandHelp) {
        if (help.command == command) return language == kRussian ? help.russian : help.english;
    }
    const bool russian = language == kRussian;
    return std::string(russian ? kOverviewRu : kOverviewEn) + SettingsTable(language, kKruKrm) +
           SettingsTable(language, kUsb) + RulesParagraph(language) + (russian ? kExitCodesRu : kExitCodesEn);
}

std::string WrapText(const std::string& text, std::size_t width) {
    std::string wrapped;
    std::size_t lineWidth = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        const std::size_t wordWidth = DisplayWidth(word);
        if (lineWidth > 0 && lineWidth + 1 + wordWidth > width) {
            wrapped += "\n";
            lineWidth = 0;
        } else if (lineWidth > 0) {
            wrapped += " ";
            ++lineWidth;
        }
        wrapped += word;
        lineWidth += wordWidth;
        start = end + 1;
    }
    return wrapped + "\n";
}
