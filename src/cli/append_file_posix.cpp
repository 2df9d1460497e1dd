// SPDX-License-Identifier: Apache-2.0
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "cli/append_file.h"
#include "cli/console.h"

namespace {

constexpr mode_t kNewFileMode = 0666;  // less the umask, as any file the user creates

int FdOf(const AppendFile* file) { return static_cast<int>(file->handle); }

bool Fail(std::string* reason, int code) {
    *reason = SystemErrorText(static_cast<unsigned long>(code));
    return false;
}

// The lock is held for one write; another writer waits microseconds, even across Ctrl-C.
void Lock(int fd, int operation) {
    while (flock(fd, operation) != 0 && errno == EINTR) {
    }
}

bool WriteWhole(int fd, const std::string& text, std::string* reason) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t written = write(fd, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return Fail(reason, errno);
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

bool OpenAppendFile(AppendFile* file, const std::string& path, const std::string& header, std::string* reason) {
    CloseAppendFile(file);
    // Non-blocking only while opening: a FIFO without a reader fails instead of hanging.
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, kNewFileMode);
    if (fd < 0) return Fail(reason, errno);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file->handle = fd;
    Lock(fd, LOCK_EX);
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 || Fail(reason, errno);
    // A pipe or terminal (--csv /dev/stdout) is a new stream each time: it gets a header.
    if (ok && (!S_ISREG(info.st_mode) || info.st_size == 0)) ok = WriteWhole(fd, header, reason);
    Lock(fd, LOCK_UN);
    if (!ok) CloseAppendFile(file);
    return ok;
}

bool AppendToFile(AppendFile* file, const std::string& text, std::string* reason) {
    if (file->handle < 0) return Fail(reason, EBADF);
    int fd = FdOf(file);
    Lock(fd, LOCK_EX);
    bool ok = WriteWhole(fd, text, reason);
    Lock(fd, LOCK_UN);
    return ok;
}

void CloseAppendFile(AppendFile* file) {
    if (file->handle < 0) return;
    close(FdOf(file));
    file->handle = -1;
}
