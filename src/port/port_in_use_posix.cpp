// SPDX-License-Identifier: Apache-2.0
// Lock files and holders of a serial port on Linux (see port_in_use.h).
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "port/port_in_use.h"

namespace {

// Both places the convention names; on most systems one is a link to the other.
constexpr const char* kLockDirectories[] = {"/var/lock", "/run/lock"};
constexpr const char kLockPrefix[] = "/LCK..";
constexpr const char kDeviceDirectory[] = "/dev/";
// The HDB form: the process id as ten characters, right-aligned, and a line end.
constexpr int kLockPidWidth = 10;
constexpr std::size_t kLockFileMax = 64;
// PidOfLock: no lock file; a lock file to remove (it names no live process we can tell).
constexpr pid_t kNoLock = -1;
constexpr pid_t kStaleLock = -2;
// Another program writes its lock after making it; one still empty after this long never will be.
constexpr time_t kUnwrittenLockSeconds = 10;
constexpr const char kProcDirectory[] = "/proc";
constexpr std::size_t kInotifyBufferSize = 4096;

constexpr const char kSysfsRoot[] = "/sys";
constexpr const char kSysfsRootVariable[] = "VIREO4_SYSFS";
constexpr const char kActiveConsoles[] = "/class/tty/console/active";
// /dev/console and the virtual consoles /dev/tty0 .. /dev/tty63.
constexpr unsigned kConsoleMajor = 5;
constexpr unsigned kConsoleMinor = 1;
constexpr unsigned kVirtualConsoleMajor = 4;
constexpr unsigned kLastVirtualConsole = 63;

std::string LockName(const std::string& devicePath) {
    std::string name = devicePath.rfind(kDeviceDirectory, 0) == 0 ? devicePath.substr(std::strlen(kDeviceDirectory))
                                                                 : devicePath.substr(devicePath.rfind('/') + 1);
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    return name;
}

// The process a lock file names: the HDB text, or the binary int of old UUCP; -1 when there is
// no lock file. One that names no process is 0 while it may still be being written, and -1
// (stale) once it is older than that.
pid_t PidOfLock(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return kNoLock;
    char text[kLockFileMax + 1];
    ssize_t got = read(fd, text, kLockFileMax);
    struct stat info {};
    const bool young = fstat(fd, &info) == 0 && time(nullptr) - info.st_mtime < kUnwrittenLockSeconds;
    close(fd);
    if (got <= 0) return young ? 0 : kStaleLock;
    text[got] = 0;
    if (got == static_cast<ssize_t>(sizeof(int)) && (text[0] < ' ' || text[3] < ' ')) {
        int binary = 0;
        std::memcpy(&binary, text, sizeof binary);
        return binary > 0 ? binary : 0;
    }
    char* end = nullptr;
    long pid = std::strtol(text, &end, 10);
    if (end != text && pid > 0) return static_cast<pid_t>(pid);
    return young ? 0 : kStaleLock;
}

bool Alive(pid_t pid) { return kill(pid, 0) == 0 || errno == EPERM; }

// True when path is a lock of a live process other than this one; a stale lock is removed.
// This process's own lock is its own port's (one thread per port, a port probed once).
// A lock file that names no process is held while it may be being written, then stale.
bool HeldLock(const std::string& path) {
    pid_t pid = PidOfLock(path);
    if (pid == kNoLock) return false;
    if (pid == 0) return true;
    if (pid == getpid()) return false;  // our own, for this port
    if (pid != kStaleLock && Alive(pid)) return true;
    unlink(path.c_str());
    return false;
}

std::string ReadFirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    if (file) std::getline(file, line);
    return line;
}

bool IsDir(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool LockedByOther(const std::string& devicePath) {
    const std::string name = LockName(devicePath);
    for (const char* directory : kLockDirectories) {
        if (HeldLock(directory + std::string(kLockPrefix) + name)) return true;
    }
    return false;
}

bool TakeLockFile(const std::string& devicePath, std::string* lockFile) {
    lockFile->clear();
    for (const char* directory : kLockDirectories) {
        if (!IsDir(directory)) continue;
        const std::string path = directory + std::string(kLockPrefix) + LockName(devicePath);
        // Written whole under a name of our own, then linked: a reader never sees half a lock.
        const std::string scratch = std::string(directory) + "/LTMP." + std::to_string(getpid()) + "." + LockName(devicePath);
        int fd = open(scratch.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) continue;  // not ours to write: the next place, or no lock
        char text[kLockFileMax];
        int length = std::snprintf(text, sizeof text, "%*ld\n", kLockPidWidth, static_cast<long>(getpid()));
        bool written = write(fd, text, static_cast<std::size_t>(length)) == length;
        close(fd);
        bool linked = false;
        bool othersLock = false;
        // A lock already there is another's, or stale: then it is removed and tried once more.
        for (int attempt = 0; written && attempt < 2 && !linked && !othersLock; ++attempt) {
            if (link(scratch.c_str(), path.c_str()) == 0) {
                linked = true;
            } else if (errno != EEXIST) {
                break;
            } else {
                othersLock = HeldLock(path);
            }
        }
        unlink(scratch.c_str());
        if (linked) {
            *lockFile = path;
            return true;
        }
        if (othersLock) return false;
    }
    return true;
}

void ReleaseLockFile(std::string* lockFile) {
    if (lockFile->empty()) return;
    if (PidOfLock(*lockFile) == getpid()) unlink(lockFile->c_str());
    lockFile->clear();
}

namespace {

// What every other process has open under /dev: each link text with the /proc path of a
// descriptor that shows it, so that a match can be confirmed by the device's number (a
// container's /dev/pts/3 is another device than ours).
struct OpenFiles {
    std::unordered_multimap<std::string, std::string> devices;  // "/dev/ttyUSB0" -> "/proc/7/fd/4"
    unsigned unseen = 0;
};

void AddDescriptors(int procFd, const char* pid, OpenFiles* files) {
    const std::string fdDirectory = std::string(pid) + "/fd";
    int directoryFd = openat(procFd, fdDirectory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* fds = directoryFd >= 0 ? fdopendir(directoryFd) : nullptr;
    if (fds == nullptr) {
        if (errno == EACCES || errno == EPERM) ++files->unseen;
        if (directoryFd >= 0) close(directoryFd);
        return;  // ENOENT: the process has ended
    }
    while (dirent* entry = readdir(fds)) {
        if (entry->d_name[0] == '.') continue;
        char target[PATH_MAX];
        ssize_t length = readlinkat(directoryFd, entry->d_name, target, sizeof target - 1);
        if (length <= 0) continue;
        target[length] = 0;
        if (std::strncmp(target, kDeviceDirectory, std::strlen(kDeviceDirectory)) != 0) continue;
        files->devices.emplace(target, std::string(kProcDirectory) + "/" + fdDirectory + "/" + entry->d_name);
    }
    closedir(fds);
}

std::shared_ptr<const OpenFiles> ScanProcesses() {
    auto files = std::make_shared<OpenFiles>();
    int procFd = open(kProcDirectory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* processes = procFd >= 0 ? fdopendir(dup(procFd)) : nullptr;
    if (processes == nullptr) {
        if (procFd >= 0) close(procFd);
        return files;
    }
    const std::string self = std::to_string(getpid());
    while (dirent* process = readdir(processes)) {
        const char* pid = process->d_name;
        if (*pid < '1' || *pid > '9' || self == pid) continue;
        AddDescriptors(procFd, pid, files.get());
    }
    closedir(processes);
    close(procFd);
    return files;
}

// A look at /proc that began after the caller asked: the threads that probe many ports at once
// share one look instead of each walking every process's descriptors.
std::shared_ptr<const OpenFiles> FreshOpenFiles() {
    static std::mutex guard;
    static std::condition_variable finished;
    static std::uint64_t started = 0;
    static std::uint64_t done = 0;
    static bool scanning = false;
    static std::shared_ptr<const OpenFiles> latest;
    std::unique_lock<std::mutex> lock(guard);
    const std::uint64_t wanted = started + 1;  // the next look to begin will do
    for (;;) {
        if (done >= wanted) return latest;
        if (!scanning) {
            scanning = true;
            const std::uint64_t mine = ++started;
            lock.unlock();
            std::shared_ptr<const OpenFiles> files;
            try {
                files = ScanProcesses();
            } catch (...) {
                // Out of memory: the waiting threads take their own turn, this one reports it.
                lock.lock();
                scanning = false;
                finished.notify_all();
                throw;
            }
            lock.lock();
            latest = files;
            done = mine;
            scanning = false;
            finished.notify_all();
            return files;
        }
        finished.wait(lock);
    }
}

}  // namespace

bool OpenByOther(const std::string& devicePath, dev_t device, unsigned* unseen) {
    std::shared_ptr<const OpenFiles> files = FreshOpenFiles();
    *unseen = files->unseen;
    const auto found = files->devices.equal_range(devicePath);
    for (auto each = found.first; each != found.second; ++each) {
        struct stat info {};
        if (stat(each->second.c_str(), &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == device) return true;
    }
    return false;
}

OpenCounter::OpenCounter(const std::string& devicePath) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0 && inotify_add_watch(fd_, devicePath.c_str(), IN_OPEN) < 0) {
        close(fd_);
        fd_ = -1;
    }
}

// Closing an inotify instance waits for the kernel's grace period of its marks (15 ms and more on
// a loaded machine): it is closed beside the exchange that follows, not before it.
OpenCounter::~OpenCounter() {
    if (fd_ < 0) return;
    const int fd = fd_;
    try {
        std::thread([fd] { close(fd); }).detach();
    } catch (const std::system_error&) {
        close(fd);  // no thread to spare: the wait is ours
    }
}

int OpenCounter::Opens() {
    if (fd_ < 0) return -1;
    alignas(inotify_event) char events[kInotifyBufferSize];
    for (;;) {
        ssize_t got = read(fd_, events, sizeof events);
        if (got <= 0) return got < 0 && errno == EAGAIN ? opens_ : -1;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if ((event->mask & IN_Q_OVERFLOW) != 0) return -1;
            if ((event->mask & IN_OPEN) != 0) ++opens_;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

bool IsConsoleDevice(dev_t device) {
    const unsigned driver = major(device);
    const unsigned unit = minor(device);
    if (driver == kConsoleMajor && unit == kConsoleMinor) return true;
    if (driver == kVirtualConsoleMajor && unit <= kLastVirtualConsole) return true;
    std::istringstream names(ReadFirstLine(SysfsRoot() + kActiveConsoles));
    std::string name;
    while (names >> name) {
        struct stat info {};
        if (stat((kDeviceDirectory + name).c_str(), &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == device) {
            return true;
        }
    }
    return false;
}

std::string SysfsRoot() {
    const char* override = std::getenv(kSysfsRootVariable);
    return override != nullptr && *override != 0 ? override : kSysfsRoot;
}
