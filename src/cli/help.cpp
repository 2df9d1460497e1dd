// SPDX-License-Identifier: Apache-2.0
#include "cli/help.h"

#include "cli/messages.h"
#include "cli/output.h"
#include "cli/reference.h"
#include "core/family.h"
#include "core/firmware_rules.h"
#include "core/profile.h"
#include "core/reader_model.h"
#include "core/setting_names.h"

namespace {

// Help texts are written one logical line per '\n' and fitted to the terminal by FitLines: a
// long line wraps, its continuation indented under its description (after a gap of two blanks)
// or under its first word, within kTextWidth. {PORT}, {GLOB} and {PORTS} stand for the
// platform's own examples.
constexpr std::size_t kSettingNameColumn = 12;

#ifdef _WIN32
constexpr const char kExamplePort[] = "COM3";
constexpr const char kExampleGlob[] = "\"COM*\"";
constexpr const char kPortsEn[] =
    "PORT is a port name: COM3 (also com3, \\\\.\\COM3 or COM3:), or a pattern in double quotes: "
    "\"COM*\".\n";
constexpr const char kPortsRu[] =
    "ПОРТ: имя порта COM3 (или com3, \\\\.\\COM3, COM3:) или шаблон в двойных кавычках: \"COM*\".\n";
#else
constexpr const char kExamplePort[] = "/dev/ttyUSB0";
constexpr const char kExampleGlob[] = "'/dev/ttyUSB*'";
constexpr const char kPortsEn[] =
    "PORT is a device path (/dev/ttyUSB0, or ttyUSB0) or a glob in single quotes: '/dev/ttyUSB*'.\n"
    "A port another program uses (its lock file in /var/lock, an exclusive hold, an open "
    "descriptor: see fuser -v PORT) is busy and left untouched. Consoles (/dev/console, "
    "/dev/tty0-63, the kernel's console port) are never opened.\n";
constexpr const char kPortsRu[] =
    "ПОРТ: путь устройства (/dev/ttyUSB0 или ttyUSB0) или шаблон в одинарных кавычках: '/dev/ttyUSB*'.\n"
    "Порт, которым пользуется другая программа (её файл блокировки в /var/lock, монопольный "
    "захват, открытый дескриптор: см. fuser -v ПОРТ), занят и не трогается. Консоли "
    "(/dev/console, /dev/tty0-63, консольный порт ядра) не открываются.\n";
#endif

// The overview: its commands, options and exit codes from the reference, between them the
// settings and firmware rules from the core's tables, so that the help never lists a name, a
// rule or a code the tool does not know.
constexpr RefText kUsageHead = {
    "Usage: vireo4 COMMAND [OPTIONS] [ARGUMENTS]\n"
    "Configures Vireo-4 card readers (KRU, KRM, USB) from the command line.\n",
    "Использование: vireo4 КОМАНДА [ПАРАМЕТРЫ] [АРГУМЕНТЫ]\n"
    "Настройка считывателей Vireo-4 (KRU, KRM, USB) из командной строки.\n"};
constexpr RefText kCommandsHeading = {"Commands:", "Команды:"};
constexpr RefText kOptionsHeading = {"Options of every command:", "Параметры любой команды:"};
constexpr RefText kExitCodesLead = {"Exit codes: ", "Коды выхода: "};
constexpr RefText kWorstCounts = {"With several readers the worst one counts.",
                                  "При нескольких считывателях учитывается худший результат."};
constexpr std::size_t kCommandColumn = 28;
constexpr std::size_t kOptionColumn = 16;

struct CommandHelp {
    Command command;
    const char* english;
    const char* russian;
};

constexpr CommandHelp kCommandHelp[] = {
    {Command::Ports,
     "Usage: vireo4 ports [--json]\n"
     "Lists every serial port with its USB identity (VID:PID and serial number) where it has one; "
     "the Vireo-4-USB reader (2E3C:5750) is marked. Exit 2 when there is no port.\n",
     "Использование: vireo4 ports [--json]\n"
     "Список всех последовательных портов с их USB-данными (VID:PID и серийный номер), если они "
     "есть; считыватель Vireo-4-USB (2E3C:5750) отмечен. Код 2, если портов нет.\n"},
    {Command::Find,
     "Usage: vireo4 find [PORT...] [--json] [--timeout MS]\n"
     "Asks the named ports (names, patterns), or every port when none is named, all at once, and "
     "prints one line per reader: port, model, firmware and the values of its settings (in the order "
     "\"vireo4 read\" names them). A silent port costs one "
     "reply deadline in all. Exit 2 when no reader answers.\n"
     "Example: vireo4 find {GLOB}\n",
     "Использование: vireo4 find [ПОРТ...] [--json] [--timeout МС]\n"
     "Опрашивает одновременно указанные порты (имена, шаблоны) или все порты и печатает по строке "
     "на считыватель: порт, модель, прошивка и значения настроек (в порядке \"vireo4 read\"). "
     "Молчащий порт стоит один срок ответа. "
     "Код 2, если ни один считыватель не ответил.\n"
     "Пример: vireo4 find {GLOB}\n"},
    {Command::Read,
     "Usage: vireo4 read PORT [--raw | --profile] [--json] [--timeout MS]\n"
     "Prints the reader's settings by name. --raw prints the setting characters as the reader "
     "keeps them; --profile prints a profile file for \"vireo4 apply\".\n"
     "Example: vireo4 read {PORT} --profile > site.ini\n",
     "Использование: vireo4 read ПОРТ [--raw | --profile] [--json] [--timeout МС]\n"
     "Печатает настройки считывателя по именам. --raw печатает символы настроек, как их хранит "
     "считыватель; --profile печатает файл профиля для \"vireo4 apply\".\n"
     "Пример: vireo4 read {PORT} --profile > site.ini\n"},
    {Command::Write,
     "Usage: vireo4 write PORT NAME=VALUE... [--dry-run] [--json] [--timeout MS]\n"
     "       vireo4 write PORT --raw CHARS\n"
     "Checks names, values and the firmware rules before anything is sent, writes, reads back and "
     "reports what changed. A reader that already holds the settings is not written.\n"
     "Example: vireo4 write {PORT} interface=wiegand-26 standby=static\n",
     "Использование: vireo4 write ПОРТ ИМЯ=ЗНАЧЕНИЕ... [--dry-run] [--json]\n"
     "                     [--timeout МС]\n"
     "               vireo4 write ПОРТ --raw СИМВОЛЫ\n"
     "Проверяет имена, значения и правила прошивки до отправки, записывает, считывает обратно и "
     "сообщает, что изменилось. Считыватель с теми же настройками не перезаписывается.\n"
     "Пример: vireo4 write {PORT} interface=wiegand-26 standby=static\n"},
    {Command::Apply,
     "Usage: vireo4 apply PROFILE [PORT...] [--dry-run] [--json] [--timeout MS]\n"
     "Applies a profile to every reader found (or on the named ports) in parallel, each verified "
     "by reading back, and prints a table per reader (before -> after, or why not). A profile is "
     "an INI file (\"vireo4 read PORT --profile\" prints one), saved as UTF-8 or UTF-16:\n"
     "  [kru-krm]\n  interface = wiegand-26\n  [usb]\n  format = touch-memory\n"
     "A syntax error is reported as FILE:LINE: message and nothing is written anywhere. --dry-run "
     "shows what would change and writes nothing. Ctrl-C stops, prints the partial table and "
     "exits with 130.\n",
     "Использование: vireo4 apply ПРОФИЛЬ [ПОРТ...] [--dry-run] [--json]\n"
     "                     [--timeout МС]\n"
     "Применяет профиль ко всем найденным считывателям (или на указанных портах) параллельно, "
     "проверяет каждый чтением и печатает таблицу (было -> стало, или почему нет). Профиль — "
     "файл INI (\"vireo4 read ПОРТ --profile\" печатает его) в UTF-8 или UTF-16:\n"
     "  [kru-krm]\n  interface = wiegand-26\n  [usb]\n  format = touch-memory\n"
     "Синтаксическая ошибка выводится как ФАЙЛ:СТРОКА: сообщение, и ничего не записывается. "
     "--dry-run показывает изменения без записи. Ctrl-C останавливает, печатает частичную "
     "таблицу, код 130.\n"},
    {Command::Card,
     "Usage: vireo4 card PORT [--watch] [--csv FILE] [--json] [--timeout MS]\n"
     "Prints the card's barcode number and cipher ID in decimal, hexadecimal and dotted form.\n"
     "--watch keeps asking and prints each new card once (a card is new again after it was taken "
     "away). A reader that is silent, refuses or sends noise is reported once and asked on; a port "
     "that fails (unplugged) ends the watch, exit 4. Ctrl-C ends it (exit 130), as does closing its "
     "output (| head -1). --csv FILE appends each card to a CSV file, created with its header before "
     "the reader is asked; several watches may share one file.\n"
     "Example: vireo4 card {PORT} --watch --csv cards.csv\n",
     "Использование: vireo4 card ПОРТ [--watch] [--csv ФАЙЛ] [--json] [--timeout МС]\n"
     "Печатает штрих-код и ID шифра карты в десятичном, шестнадцатеричном и точечном виде.\n"
     "--watch опрашивает непрерывно и печатает каждую новую карту один раз (карта снова новая, "
     "когда её убрали). О молчащем, отказывающем или шумящем считывателе сообщается один раз, опрос "
     "продолжается; сбой порта (отключение) завершает опрос с кодом 4. Ctrl-C завершает его "
     "(код 130), как и закрытие вывода (| head -1). --csv ФАЙЛ дописывает каждую карту в файл CSV, "
     "созданный с заголовком до опроса; один файл могут вести несколько опросов.\n"
     "Пример: vireo4 card {PORT} --watch --csv cards.csv\n"},
};

std::string Replace(std::string text, const std::string& marker, const std::string& value) {
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size()))
        text.replace(at, marker.size(), value);
    return text;
}

// The platform's examples in place of their markers.
std::string WithExamples(int language, const std::string& text) {
    std::string out = Replace(text, "{PORTS}", language == kRussian ? kPortsRu : kPortsEn);
    out = Replace(out, "{PORT}", kExamplePort);
    return Replace(out, "{GLOB}", kExampleGlob);
}

// "name=value" of a family's setting.
std::string Assignment(int family, std::size_t setting, int value) {
    std::size_t count = 0;
    const SettingName& name = SettingNamesOf(family, &count)[setting];
    return std::string(name.name) + "=" + SettingValueText(name, value);
}

// One line per setting: its name and every value, the USB type's "none" with its condition.
std::string SettingsTable(int language, int family) {
    std::string text = SettingsHeading(language, family) + "\n";
    std::size_t count = 0;
    const SettingName* names = SettingNamesOf(family, &count);
    for (std::size_t index = 0; index < count; ++index) {
        std::string values;
        for (std::size_t k = 0; k < names[index].valueCount; ++k) values += (k ? ", " : "") + std::string(names[index].values[k].name);
        const std::string note = SettingNote(language, family, index);
        if (!note.empty()) values += " (" + note + ")";
        text += "  " + Pad(names[index].name, kSettingNameColumn) + values + "\n";
    }
    return text;
}

std::string Label(int firmwareVersion) {
    char label[kFirmwareLabelLength + 8];
    FormatFirmwareLabel(firmwareVersion, label, sizeof label);
    return label;
}

}  // namespace

std::string SettingsHeading(int language, int family) {
    return Format(MessageText(language, family == kUsb ? Msg::HelpUsbSettings : Msg::HelpKruKrmSettings),
                  ProfileSectionName(family));
}

std::string SettingNote(int language, int family, std::size_t index) {
    if (family != kUsb || index != kTypeIndex) return std::string();
    return Format(MessageText(language, Msg::HelpNoType), kNoTypeName,
                  Assignment(kUsb, kFormatIndex, static_cast<int>(OutputFormat::TouchMemory)));
}

std::string FirmwareRulesText(int language) {
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
    return text + ".";
}

namespace {

// Where a line's continuation starts: under the description after a gap of two blanks, or
// under the line's own first character. The byte offset of that column.
std::size_t DescriptionStart(const std::string& line) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) return 0;
    const std::size_t gap = line.find("  ", first);
    if (gap == std::string::npos) return first;
    const std::size_t description = line.find_first_not_of(' ', gap);
    return description == std::string::npos ? first : description;
}

}  // namespace

std::string FitLines(const std::string& text, std::size_t width) {
    std::string fitted;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (DisplayWidth(line) <= width) {
            fitted += line + "\n";
            continue;
        }
        const std::string lead = line.substr(0, DescriptionStart(line));
        fitted += Wrap(lead, line.substr(lead.size()), DisplayWidth(lead), width);
    }
    return fitted;
}

std::string CommandUsage(int language, const CommandRef& command) {
    const std::string arguments = command.arguments.In(language);
    return std::string(command.name) + (arguments.empty() ? "" : " " + arguments);
}

std::string OptionUsage(int language, const OptionRef& option) {
    std::string usage = option.name;
    if (option.TakesValue()) usage += std::string(" ") + option.argument.In(language);
    if (option.alias != nullptr) usage += std::string(", ") + option.alias;
    return usage;
}

std::string ExitCodesSentence(int language) {
    std::size_t count = 0;
    const ExitCodeRef* codes = ExitCodeRefs(&count);
    std::string text = kExitCodesLead.In(language);
    bool first = true;
    for (std::size_t k = 0; k < count; ++k) {
        if (codes[k].summary.english == nullptr) continue;
        text += (first ? "" : ", ") + std::to_string(codes[k].code) + " " + codes[k].summary.In(language);
        first = false;
    }
    return text + ". " + kWorstCounts.In(language) + "\n";
}

std::string HelpText(int language, Command command) {
    const bool russian = language == kRussian;
    for (const CommandHelp& help : kCommandHelp) {
        if (help.command == command) return FitLines(WithExamples(language, russian ? help.russian : help.english), kTextWidth);
    }
    std::string overview = std::string(kUsageHead.In(language)) + "\n" + kCommandsHeading.In(language) + "\n";
    std::size_t count = 0;
    const CommandRef* commands = CommandRefs(&count);
    for (std::size_t k = 0; k < count; ++k) {
        overview += "  " + Pad(CommandUsage(language, commands[k]), kCommandColumn) + commands[k].summary.In(language) + "\n";
    }
    overview += std::string("\n") + kOptionsHeading.In(language) + "\n";
    const OptionRef* shared = SharedOptionRefs(&count);
    for (std::size_t k = 0; k < count; ++k) {
        overview += "  " + Pad(OptionUsage(language, shared[k]), kOptionColumn) + shared[k].summary.In(language) + "\n";
    }
    overview += "\n{PORTS}\n" + SettingsTable(language, kKruKrm) + SettingsTable(language, kUsb) +
                FirmwareRulesText(language) + "\n\n" + ExitCodesSentence(language);
    return FitLines(WithExamples(language, overview), kTextWidth);
}
