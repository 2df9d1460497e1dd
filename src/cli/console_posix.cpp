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

constexpr int kSleepSliceMs = 20;

void OnSignal(int) { g_interrupted.store(true); }

void WriteAll(int fd, const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t written = write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return;  // a closed pipe (| head): nothing more to say
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

}  // namespace

int main(int argc, char** argv) { return Vireo4Main(argc, argv); }

void WriteOut(const std::string& utf8) { WriteAll(STDOUT_FILENO, utf8); }
void WriteErr(const std::string& utf8) { WriteAll(STDERR_FILENO, utf8); }

// The terminal and every file take UTF-8 here.
void SetJsonOutput(bool) {}

std::FILE* OpenFile(const std::string& utf8Path, const char* mode) { return std::fopen(utf8Path.c_str(), mode); }

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

const std::atomic<bool>& InterruptFlag() { return g_interrupted; }

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
