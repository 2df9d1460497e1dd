// SPDX-License-Identifier: Apache-2.0
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "cli/console.h"
#include "core/family.h"

namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<int> g_signal{0};
// The first failed write of stdout and of stderr, as its errno (0: none).
std::atomic<int> g_outputError[2] = {{0}, {0}};
// stdout and stderr were closed when the process began (they now lead to /dev/null).
bool g_closedAtStart[2] = {false, false};

constexpr const char kNullDevice[] = "/dev/null";

constexpr int kSleepSliceMs = 20;
constexpr int kSignalExitBase = 128;

void OnSignal(int number) {
    g_signal.store(number);
    g_interrupted.store(true);
}

std::atomic<int>& ErrorOf(int fd) { return g_outputError[fd == STDERR_FILENO ? 1 : 0]; }

void NoteFailure(int fd, int code) {
    int none = 0;
    ErrorOf(fd).compare_exchange_strong(none, code);
}

void WriteAll(int fd, const std::string& text) {
    if (ErrorOf(fd).load() != 0) return;
    if (g_closedAtStart[fd == STDERR_FILENO ? 1 : 0]) {
        NoteFailure(fd, EBADF);
        return;
    }
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t written = write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            NoteFailure(fd, errno);
            return;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

// A descriptor 0, 1 or 2 that was closed would be the next file opened, a port or the CSV
// file, and then get the text meant for the terminal: each is taken by /dev/null first.
// Output meant for a closed stdout or stderr still fails, as a write to it would have.
void GuardStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        int null = open(kNullDevice, fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            dup2(null, fd);
            close(null);
        }
        if (fd != STDIN_FILENO) g_closedAtStart[fd == STDERR_FILENO ? 1 : 0] = true;
    }
}

}  // namespace

int main(int argc, char** argv) {
    GuardStandardDescriptors();
    return Vireo4Main(argc, argv);
}

void WriteOut(const std::string& utf8) { WriteAll(STDOUT_FILENO, utf8); }
void WriteErr(const std::string& utf8) { WriteAll(STDERR_FILENO, utf8); }

// The terminal and every file take UTF-8 here.
void SetJsonOutput(bool) {}

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) { return std::fopen(utf8Path.c_str(), mode); }

FileKind KindOfFile(const std::string& utf8Path, unsigned long* code) {
    struct stat info {};
    *code = 0;
    if (stat(utf8Path.c_str(), &info) != 0) {
        *code = static_cast<unsigned long>(errno);
        return FileKind::Missing;
    }
    if (S_ISREG(info.st_mode)) return FileKind::Regular;
    return S_ISDIR(info.st_mode) ? FileKind::Directory : FileKind::Other;
}

std::string FileErrorReason(int language) { return SystemReason(language, static_cast<unsigned long>(errno)); }

OutputFault OutputFaultOf() {
    OutputFault fault = OutputFault::None;
    for (const std::atomic<int>& error : g_outputError) {
        int code = error.load();
        if (code != 0 && code != EPIPE) return OutputFault::Failed;
        if (code == EPIPE) fault = OutputFault::Closed;
    }
    return fault;
}

std::string OutputFaultReason() {
    for (const std::atomic<int>& error : g_outputError) {
        int code = error.load();
        if (code != 0 && code != EPIPE) return SystemErrorText(static_cast<unsigned long>(code));
    }
    return SystemErrorText(EPIPE);
}

std::string SystemErrorText(unsigned long code) {
    char text[256];
    // The GNU strerror_r gives its text back, perhaps not in the buffer; thread-safe either way.
    return strerror_r(static_cast<int>(code), text, sizeof text);
}

std::string SystemReason(int language, unsigned long code) {
    struct Translated {
        int code;
        const char* russian;
    };
    static constexpr Translated kInRussian[] = {
        {ENOENT, "нет такого файла или каталога"},
        {EACCES, "нет доступа"},
        {EPERM, "операция не позволена"},
        {EBUSY, "устройство занято"},
        {EIO, "ошибка ввода-вывода"},
        {ENXIO, "нет такого устройства или адреса"},
        {ENODEV, "нет такого устройства"},
        {EISDIR, "это каталог"},
        {ENOTDIR, "это не каталог"},
        {ELOOP, "слишком много уровней символических ссылок"},
        {ENAMETOOLONG, "слишком длинное имя"},
        {EMFILE, "слишком много открытых файлов"},
        {ENFILE, "слишком много открытых файлов в системе"},
        {ENOMEM, "недостаточно памяти"},
        {EAGAIN, "ресурс временно недоступен"},
        {ENOSPC, "на устройстве не осталось места"},
        {EROFS, "файловая система только для чтения"},
        {EINVAL, "недопустимый аргумент"},
        {ENOTTY, "не терминал"},
        {EBADF, "неверный дескриптор файла"},
        {EPIPE, "канал закрыт"},
    };
    if (language == kRussian) {
        for (const Translated& entry : kInRussian) {
            if (static_cast<unsigned long>(entry.code) == code) return entry.russian;
        }
    }
    return SystemErrorText(code);
}

bool OutputGone() {
    // The writing end of a pipe whose reader has closed it polls as an error (a socket: hang-up).
    pollfd entry{STDOUT_FILENO, 0, 0};
    if (poll(&entry, 1, 0) <= 0 || (entry.revents & (POLLERR | POLLHUP)) == 0) return false;
    NoteFailure(STDOUT_FILENO, EPIPE);
    return true;
}

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        // A signal ignored on entry stays ignored (nohup, a background job of a script).
        struct sigaction inherited {};
        if (sigaction(number, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) continue;
        sigaction(number, &action, nullptr);
    }
    // A closed pipe is seen as EPIPE, so the ports are still given back before the exit.
    signal(SIGPIPE, SIG_IGN);
}

const std::atomic<bool>& InterruptFlag() { return g_interrupted; }

int InterruptedExitCode() {
    int number = g_signal.load();
    return kSignalExitBase + (number != 0 ? number : SIGINT);
}

int LanguageFromLocale() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == 0) continue;
        return std::strncmp(value, "ru", 2) == 0 ? kRussian : kEnglish;
    }
    return kEnglish;
}

void SleepUnlessInterrupted(int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!g_interrupted.load() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kSleepSliceMs));
    }
}
