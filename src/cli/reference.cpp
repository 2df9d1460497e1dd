// SPDX-License-Identifier: Apache-2.0
#include "cli/reference.h"

#include "core/family.h"

const char* RefText::In(int language) const { return language == kRussian ? russian : english; }

namespace {

constexpr RefText kNone = {nullptr, nullptr};

constexpr OptionRef kShared[] = {
    {"--json", kNone, nullptr,
     {"one JSON document (JSON lines with card --watch)", "один документ JSON (строки JSON для card --watch)"},
     {"Prints the result as JSON instead of text, for scripts: the same ports, readers, settings (by the same "
      "names) and card numbers.",
      "Вывод в формате JSON вместо текста, для сценариев: те же порты, считыватели, настройки (под теми же "
      "именами) и номера карт."}},
    {"--timeout", {"MS", "МС"}, nullptr,
     {"reply deadline in milliseconds (default 700)", "срок ответа в миллисекундах (по умолчанию 700)"},
     {"How long to wait for each reply of a reader, in milliseconds (default 700). A slow converter or a long "
      "line may need more.",
      "Сколько ждать каждого ответа считывателя, в миллисекундах; по умолчанию 700. Медленному преобразователю "
      "или длинной линии может понадобиться больше."}},
    {"--lang", {"ru|en", "ru|en"}, nullptr,
     {"language of messages (default: from the locale)", "язык сообщений (по умолчанию по локали)"},
     {"The language of the messages. The default comes from the system (on Linux the locale: `LC_ALL`, "
      "`LC_MESSAGES`, `LANG`): Russian when it starts with `ru`, English otherwise.",
      "Язык сообщений; по умолчанию — язык системы (в Linux — локаль: `LC_ALL`, `LC_MESSAGES`, `LANG`): "
      "русский, если она начинается с `ru`, иначе английский."}},
    {"--verbose", kNone, nullptr,
     {"notes: glob matches skipped, holders of a port not seen",
      "замечания: пропущенное по шаблону, невидимые владельцы порта"},
     {"Notes on standard error: what a glob matched that is no serial port and was skipped, and processes "
      "whose open descriptors could not be looked at for holders of a port (not root).",
      "Замечания в выводе ошибок: что из найденного по шаблону не последовательный порт и пропущено; у "
      "скольких процессов не удалось просмотреть открытые файлы (без root)."}},
    {kHelpOption, kNone, "/?",
     {"help of a command: vireo4 COMMAND --help", "справка по команде: vireo4 КОМАНДА --help"},
     {"Prints the usage of `vireo4`, or of the command it follows, and exits. With `--json`, the help text "
      "and the version come as one JSON document each, with `ok` and `status`, as every other outcome does, "
      "usage errors and a missing command included.",
      "Справка по `vireo4` или по команде, после которой стоит ключ. С `--json` справка и версия, как и любой "
      "другой исход (ошибка вызова, отсутствие команды), — один документ JSON с `ok` и `status`."}},
    {kVersionOption, kNone, nullptr,
     {"the version", "версия"},
     {"Prints the version and exits, also after a command.", "Версия программы, также после команды."}},
};

constexpr OptionRef kReadOptions[] = {{"--raw", kNone, nullptr, kNone, kNone},
                                      {"--profile", kNone, nullptr, kNone, kNone}};
constexpr OptionRef kWriteOptions[] = {{"--raw", {"CHARS", "СИМВОЛЫ"}, nullptr, kNone, kNone},
                                       {"--dry-run", kNone, nullptr, kNone, kNone}};
constexpr OptionRef kApplyOptions[] = {{"--dry-run", kNone, nullptr, kNone, kNone}};
constexpr OptionRef kCardOptions[] = {{"--watch", kNone, nullptr, kNone, kNone},
                                      {"--csv", {"FILE", "ФАЙЛ"}, nullptr, kNone, kNone}};

template <std::size_t N>
constexpr std::size_t CountOf(const OptionRef (&)[N]) { return N; }

constexpr CommandRef kCommands[] = {
    {Command::Ports, "ports", {"", ""},
     {"list the serial ports, the USB reader marked", "список портов, USB-считыватель отмечен"},
     {"Lists every serial port of the system, with its USB identity (VID, PID, serial number) where it has "
      "one; the Vireo-4-USB reader is marked. No port is opened.",
      "Перечисляет все последовательные порты системы с USB-идентификатором (VID, PID, серийный номер), где он "
      "есть; порт считывателя Vireo-4-USB отмечен. Порты не открываются."},
     nullptr, 0},
    {Command::Find, "find", {"[PORT...]", "[ПОРТ...]"},
     {"ask the ports for readers (all when none given)", "найти считыватели (по умолчанию на всех портах)"},
     {"Probes the named ports, or every port when none is named, all at once, and prints one line per reader: "
      "the port, the model (KRU, KRM, USB, or \"serial-line reader\"), the firmware and the values of its "
      "settings, in the order `vireo4 read` names them. A port may be named as a path, as `COMn`, or by a "
      "pattern such as `/dev/ttyUSB*`.",
      "Опрашивает названные порты, а если порты не названы — все порты, одновременно, и выводит по строке на "
      "считыватель: порт, модель (KRU, KRM, USB или «считыватель KRU/KRM» — считыватель с последовательной "
      "линией, не назвавший модель; в JSON — \"serial-line reader\"), версию прошивки и значения настроек в "
      "том порядке, в каком их называет `vireo4 read`. Порт можно задать путём, именем `COMn` или шаблоном, "
      "например `/dev/ttyUSB*`."},
     nullptr, 0},
    {Command::Read, "read", {"PORT", "ПОРТ"},
     {"print a reader's settings by name", "настройки считывателя по именам"},
     {"Prints the reader's settings by name. `--raw`: the setting characters as the reader keeps them; "
      "`--profile`: the settings as a profile file.",
      "Выводит настройки считывателя по именам. `--raw` — символы настроек, как их хранит считыватель; "
      "`--profile` — настройки в виде файла профиля."},
     kReadOptions, CountOf(kReadOptions)},
    {Command::Write, "write", {"PORT NAME=VALUE...", "ПОРТ ИМЯ=ЗНАЧЕНИЕ..."},
     {"change settings, verified by reading back", "изменить настройки и проверить их чтением"},
     {"Changes the named settings and keeps the others (`--raw CHARS` gives all setting characters instead). "
      "Names, values and the firmware rules are checked before anything is sent; then the settings are "
      "written, read back, and what changed is reported. A reader whose settings already match is not written.",
      "Изменяет названные настройки, остальные оставляет как есть (`--raw СИМВОЛЫ` задаёт вместо имён все "
      "символы настроек). Имена, значения и правила прошивки проверяются до отправки; затем настройки "
      "записываются, считываются обратно, и выводится, что изменилось. Считыватель, настройки которого уже "
      "совпадают, не записывается."},
     kWriteOptions, CountOf(kWriteOptions)},
    {Command::Apply, "apply", {"PROFILE [PORT...]", "ПРОФИЛЬ [ПОРТ...]"},
     {"apply a profile file to every reader found", "применить профиль ко всем найденным считывателям"},
     {"Applies a profile to every reader found (or to those on the named ports), to all of them in parallel, "
      "verifies each by reading back and prints a table per reader. `--dry-run` shows the tables and writes "
      "nothing.",
      "Применяет профиль ко всем найденным считывателям (или к считывателям на названных портах) параллельно, "
      "проверяет каждый обратным чтением и выводит таблицу по каждому считывателю. `--dry-run` показывает "
      "таблицы и ничего не записывает."},
     kApplyOptions, CountOf(kApplyOptions)},
    {Command::Card, "card", {"PORT", "ПОРТ"},
     {"read the card's barcode number and cipher ID", "штрих-код и ID шифра карты"},
     {"Reads the card held to the reader and prints its barcode number and cipher ID in four forms (below). "
      "`--watch` keeps reading and prints each new card once; `--csv FILE` appends each card to a CSV file "
      "(the header line only once). Ctrl+C ends it, as does closing its output (`| head -1`). Needs a "
      "firmware later than 1.00.",
      "Считывает поднесённую карту и выводит номер штрих-кода и ID шифра в четырёх видах (ниже). `--watch` — "
      "читать непрерывно и выводить каждую новую карту один раз; `--csv ФАЙЛ` — дописывать каждую карту в "
      "файл CSV (строка заголовка — один раз). Завершение — Ctrl+C или закрытие вывода (`| head -1`). Нужна "
      "прошивка новее 1.00."},
     kCardOptions, CountOf(kCardOptions)},
};

// In the order of Status.
constexpr StatusRef kStatuses[] = {
    {Status::Ok, "Done; for write and apply: verified, or nothing to change."},
    {Status::Skipped, "Left alone on purpose: the profile has no section for the reader's family."},
    {Status::NoAnswer, "Nothing came back: no reader."},
    {Status::PortNotFound, "No such port."},
    {Status::NotSerial, "The path is not a serial port; it was not opened."},
    {Status::Refused, "The reader refused the command."},
    {Status::FirmwareUnsupported, "A firmware version vireo4 does not work with."},
    {Status::RuleViolation, "A firmware or model rule forbids the value; nothing was sent."},
    {Status::NotRecognized,
     "The reader holds a setting vireo4 cannot name and none was given, or a card number too large for 32 bits."},
    {Status::Mismatch, "Written and acknowledged, but read back different."},
    {Status::Unconfirmed,
     "The write went out, but its acknowledgement or read-back never came: read the reader again."},
    {Status::Unsupported, "Card reading on a firmware that lacks it."},
    {Status::Usage, "A name or value that does not fit, or a bad command line or profile."},
    {Status::PortBusy, "Another program uses the port: its lock file, an exclusive hold or an open descriptor."},
    {Status::PortDenied, "No permission to open the port."},
    {Status::PortError, "The port could not be opened or configured."},
    {Status::IoError, "Reading or writing the port failed, as when the reader is unplugged."},
    {Status::Garbage, "Bytes came back that are no reply to the command sent: noise."},
    {Status::Interrupted, "Ctrl-C."},
};

// Every Status has its entry, at its own index: a status added without its description does
// not build.
constexpr bool EveryStatusInOrder() {
    constexpr std::size_t count = sizeof kStatuses / sizeof kStatuses[0];
    for (std::size_t k = 0; k < count; ++k) {
        if (static_cast<std::size_t>(kStatuses[k].status) != k) return false;
    }
    return count == static_cast<std::size_t>(Status::Count);
}
static_assert(EveryStatusInOrder(), "kStatuses must list every Status in its order");

constexpr int kExitQuit = 131;        // 128 + SIGQUIT
constexpr int kExitTerminated = 143;  // 128 + SIGTERM

constexpr ExitCodeRef kExitCodes[] = {
    {kExitOk, {"success", "успех"}, {"Success.", "Успешно."}},
    {kExitUsage, {"usage error", "ошибка вызова"},
     {"Usage error: unknown command, option, setting name or value, or an unreadable profile.",
      "Ошибка вызова: неизвестная команда, ключ, имя или значение настройки либо нечитаемый профиль."}},
    {kExitNoReader,
     {"no reader, port not found or not a serial port", "нет считывателя или порта либо это не последовательный порт"},
     {"No reader found, or a named port does not exist or is not a serial port.",
      "Считыватель не найден, названного порта нет или это не последовательный порт."}},
    {kExitRefused,
     {"refused, verification mismatch or write not confirmed",
      "отказ, несовпадение при проверке или запись не подтверждена"},
     {"The reader refused the settings (or its firmware does not allow them), the settings read back differ "
      "from those written, or a write went out but was never confirmed.",
      "Считыватель отказал (или правила прошивки не допускают настройки), считанные обратно настройки не "
      "совпали с записанными, либо команда записи ушла, но ни подтверждение, ни обратное чтение не пришли "
      "(«записано, но не подтверждено: прочитайте считыватель ещё раз»)."}},
    {kExitPortError,
     {"port busy, port, I/O or output error", "порт занят, ошибка порта, ввода-вывода или вывода результата"},
     {"The port is busy or could not be opened, reading or writing it failed, or the output (standard output "
      "or error, a CSV file) could not be written: a full disk is never an exit 0 behind a truncated file.",
      "Ошибка порта или ввода-вывода: порт занят или не открывается, чтение или запись не удались, либо "
      "результат не удалось вывести (диск заполнен)."}},
    {kExitInterrupted, {"interrupted (Ctrl-C; SIGQUIT 131, SIGTERM 143)", "прервано (Ctrl-C; SIGQUIT 131, SIGTERM 143)"},
     {"Interrupted with Ctrl-C (SIGINT).", "Прервано клавишами Ctrl+C."}},
    {kExitQuit, kNone,
     {"Stopped by SIGQUIT (Ctrl-\\). Ports are given back first, as after Ctrl-C.",
      "Остановлено сигналом SIGQUIT (Ctrl+\\); порт возвращён, как после Ctrl+C."}},
    {kExitOutputClosed, {"output closed (| head)", "вывод закрыт (| head)"},
     {"The output was closed by the program reading it (`vireo4 card ... --watch | head -1`).",
      "Вывод закрыт читающей его программой (`| head -1`)."}},
    {kExitTerminated, kNone,
     {"Stopped by SIGTERM (a hang-up, SIGHUP, exits with 129). Ports are given back first, as after Ctrl-C.",
      "Остановлено сигналом SIGTERM (SIGHUP — код 129). Порты сначала возвращаются, как после Ctrl+C."}},
};

}  // namespace

const CommandRef* CommandRefs(std::size_t* count) {
    *count = sizeof kCommands / sizeof kCommands[0];
    return kCommands;
}

const CommandRef* FindCommandRef(Command command) {
    for (const CommandRef& entry : kCommands) {
        if (entry.command == command) return &entry;
    }
    return nullptr;
}

const OptionRef* SharedOptionRefs(std::size_t* count) {
    *count = sizeof kShared / sizeof kShared[0];
    return kShared;
}

const StatusRef* StatusRefs(std::size_t* count) {
    *count = sizeof kStatuses / sizeof kStatuses[0];
    return kStatuses;
}

const ExitCodeRef* ExitCodeRefs(std::size_t* count) {
    *count = sizeof kExitCodes / sizeof kExitCodes[0];
    return kExitCodes;
}
