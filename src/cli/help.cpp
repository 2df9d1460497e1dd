#include "cli/help.h"

#include "core/family.h"

namespace {

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
    "\n"
    "Settings of KRU/KRM readers ([kru-krm]):\n"
    "  interface   touch-memory, wiegand-26, wiegand-44, wiegand-58\n"
    "  indication  direct, inverse\n"
    "  standby     dynamic, static, off\n"
    "  touch-poll  on, off\n"
    "Settings of the USB reader ([usb]):\n"
    "  mode        windows, all\n"
    "  format      hex-or-dec, touch-memory\n"
    "  type        hex, dec (none with format touch-memory)\n"
    "  bytes       7, 5, 4, 3, 2\n"
    "  cards       all, em-hid, mifare\n"
    "Firmware rules: wiegand-58 needs a KRM reader with firmware 1.10 or later; bytes=7 needs\n"
    "the USB reader with firmware 1.10 or later, and with format touch-memory above 1.10.\n"
    "\n"
    "Exit codes: 0 success, 1 usage error, 2 no reader, port not found or not a\n"
    "serial port, 3 refused, verification mismatch or write not confirmed, 4 port\n"
    "busy, port, I/O or output error, 130 interrupted (Ctrl-C; SIGTERM 143), 141\n"
    "output closed (| head). With several readers the worst one counts.\n";

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
    "\n"
    "Настройки считывателей KRU/KRM ([kru-krm]):\n"
    "  interface   touch-memory, wiegand-26, wiegand-44, wiegand-58\n"
    "  indication  direct, inverse\n"
    "  standby     dynamic, static, off\n"
    "  touch-poll  on, off\n"
    "Настройки считывателя USB ([usb]):\n"
    "  mode        windows, all\n"
    "  format      hex-or-dec, touch-memory\n"
    "  type        hex, dec (none при format touch-memory)\n"
    "  bytes       7, 5, 4, 3, 2\n"
    "  cards       all, em-hid, mifare\n"
    "Правила прошивки: wiegand-58 требует KRM с прошивкой 1.10 или новее; bytes=7 требует\n"
    "считыватель USB с прошивкой 1.10 или новее, а с format touch-memory новее 1.10.\n"
    "\n"
    "Коды выхода: 0 успех, 1 ошибка вызова, 2 нет считывателя или порта либо это не\n"
    "последовательный порт, 3 отказ, несовпадение при проверке или запись не\n"
    "подтверждена, 4 порт занят, ошибка порта, ввода-вывода или вывода результата,\n"
    "130 прервано (Ctrl-C; SIGTERM 143), 141 вывод закрыт (| head). При нескольких\n"
    "считывателях учитывается худший результат.\n";

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
     "--watch keeps asking and prints each new card once (a card is new again after\n"
     "it was taken away). A reader that is silent, refuses or sends noise is reported\n"
     "once and asked on; a port that fails (unplugged) ends the watch, exit 4. Ctrl-C\n"
     "ends it (exit 130), as does closing its output (| head -1). --csv FILE appends\n"
     "each card to a CSV file, created with its header before the reader is asked;\n"
     "several watches may share one file.\n",
     "Использование: vireo4 card ПОРТ [--watch] [--csv ФАЙЛ] [--json] [--timeout МС]\n"
     "Печатает штрих-код и ID шифра карты в десятичном, шестнадцатеричном и точечном виде.\n"
     "--watch опрашивает непрерывно и печатает каждую новую карту один раз (карта\n"
     "снова новая, когда её убрали). О молчащем, отказывающем или шумящем считывателе\n"
     "сообщается один раз, опрос продолжается; сбой порта (отключение) завершает\n"
     "опрос с кодом 4. Ctrl-C завершает его (код 130), как и закрытие вывода\n"
     "(| head -1). --csv ФАЙЛ дописывает каждую карту в файл CSV, созданный\n"
     "с заголовком до опроса; один файл могут вести несколько опросов.\n"},
};

}  // namespace

std::string HelpText(int language, Command command) {
    for (const CommandHelp& help : kCommandHelp) {
        if (help.command == command) return language == kRussian ? help.russian : help.english;
    }
    return language == kRussian ? kOverviewRu : kOverviewEn;
}
