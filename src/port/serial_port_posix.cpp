// SPDX-License-Identifier: Apache-2.0
// The serial port on Linux: termios raw mode, held exclusively, poll() for replies. vireo4 runs
// as root on hosts with other serial devices (a console on ttyS0, a modem in use), so a port is
// borrowed, never taken: only terminals are opened, never a console; a port another program
// holds (its lock file, TIOCEXCL, an open descriptor) is left alone, and closing gives back the
// line settings and the lock state that were found.
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "port/port_in_use.h"
#include "port/serial_port.h"

namespace {

// The window's read ends after this much silence between bytes.
constexpr int kSilenceMs = kReplySilenceMs;
// A holder seen just after our open must still be there after these looks to make the port busy.
constexpr int kSettleLooks = 10;
constexpr useconds_t kSettleLookUs = 5000;

// What an open port holds besides its descriptor: what closing must give back.
struct BorrowedPort {
    int fd;
    termios found;      // the line settings before we changed them
    bool lockedByUs;    // TIOCEXCL set here, so ours to clear
    std::string lockFile;  // the UUCP lock file made for this port, empty when none
};

BorrowedPort* BorrowedOf(const SerialPort* port) { return reinterpret_cast<BorrowedPort*>(port->handle); }
int FdOf(const SerialPort* port) { return BorrowedOf(port)->fd; }

// Pseudo-terminal slaves (/dev/pts/N, every simulated reader) have no sysfs entry.
constexpr unsigned kPtySlaveFirstMajor = 136;
constexpr unsigned kPtySlaveLastMajor = 143;
// Major 5 holds the controlling terminal (/dev/tty, minor 0) and the pty multiplexer
// (/dev/ptmx, minor 2): tty devices, yet no port (opening ptmx makes a new pty).
constexpr unsigned kTtyAuxMajor = 5;
constexpr unsigned kControllingTtyMinor = 0;
constexpr unsigned kPtyMultiplexerMinor = 2;
// Where sysfs is not mounted: the majors of the usual serial drivers (8250 and virtual
// consoles, USB-serial adapters, CDC-ACM, the low-density serial drivers of ARM boards).
constexpr unsigned kSerialMajors[] = {4, 188, 166, 204};
constexpr const char kSysfsCharDevices[] = "/sys/dev/char";
constexpr const char kTtySubsystem[] = "tty";

bool IsTtyByMajor(unsigned driver) {
    for (unsigned known : kSerialMajors) {
        if (driver == known) return true;
    }
    return false;
}

// A character device whose driver is a tty driver, decided from its device number alone, so
// that a device that acts on open (a watchdog starts its countdown) is never opened.
bool IsTerminalDevice(dev_t device) {
    unsigned driver = major(device);
    unsigned unit = minor(device);
    if (driver >= kPtySlaveFirstMajor && driver <= kPtySlaveLastMajor) return true;
    if (driver == kTtyAuxMajor && (unit == kControllingTtyMinor || unit == kPtyMultiplexerMinor)) return false;
    if (access(kSysfsCharDevices, F_OK) != 0) return IsTtyByMajor(driver);
    std::string link = std::string(kSysfsCharDevices) + "/" + std::to_string(driver) + ":" + std::to_string(unit) +
                       "/subsystem";
    char subsystem[PATH_MAX];
    if (realpath(link.c_str(), subsystem) == nullptr) return false;
    const char* base = std::strrchr(subsystem, '/');
    return base != nullptr && std::strcmp(base + 1, kTtySubsystem) == 0;
}

// Another program holds the port with TIOCEXCL. Only root gets this far (the kernel refuses
// everyone else with EBUSY), so the lock must be read before anything touches the port.
bool HeldExclusivelyByOther(int fd) {
#ifdef TIOCGEXCL
    int exclusive = 0;
    return ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
#else
    (void)fd;
    return false;  // headers older than Linux 3.8: the flock below is the only guard
#endif
}

// Restores what we found; waits for our own bytes to leave at our speed first.
void GiveBack(BorrowedPort* borrowed) {
    if (tcsetattr(borrowed->fd, TCSADRAIN, &borrowed->found) != 0) tcsetattr(borrowed->fd, TCSANOW, &borrowed->found);
    if (borrowed->lockedByUs) ioctl(borrowed->fd, TIOCNXCL);
}

void SetError(PortError* error, PortFailure what, unsigned long code) {
    if (error != nullptr) *error = PortError{what, code};
}

PortFailure OpenFailureOf(int code) {
    switch (code) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return PortFailure::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return PortFailure::Denied;
        case EBUSY:
        case EWOULDBLOCK:
            return PortFailure::Busy;
        default:
            return PortFailure::Open;
    }
}

speed_t SpeedOf(unsigned baudRate) {
    switch (baudRate) {
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        default: return B0;
    }
}

bool Configure(int fd, unsigned baudRate) {
    termios line{};
    if (tcgetattr(fd, &line) != 0) return false;
    cfmakeraw(&line);
    line.c_cflag &= ~(CSTOPB | PARENB | CSIZE | CRTSCTS);
    line.c_cflag |= CS8 | CLOCAL | CREAD;
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    speed_t speed = SpeedOf(baudRate);
    if (speed == B0 || cfsetispeed(&line, speed) != 0 || cfsetospeed(&line, speed) != 0) return false;
    if (tcsetattr(fd, TCSANOW, &line) != 0) return false;
    // A real port starts empty: bytes that came before we opened it belong to nobody.
    tcflush(fd, TCIOFLUSH);
    return true;
}

// Waits up to timeoutMs for the port to become readable. 1 ready, 0 time out, -1 error.
int WaitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    for (;;) {
        int ready = poll(&entry, 1, timeoutMs);
        if (ready >= 0) {
            // A hung-up pty or an unplugged adapter reports POLLHUP/POLLERR: the read tells why.
            return ready;
        }
        if (errno != EINTR) return -1;
    }
}

// Another process has the port: its lock file or an open descriptor. A process that holds the
// port only for a moment (udev, a simulator flushing its queue as the port is opened) is let go.
bool InUseByOther(const std::string& devicePath, dev_t device, PortError* error) {
    unsigned unseen = 0;
    if (LockedByOther(devicePath)) return true;
    bool held = OpenByOther(devicePath, device, &unseen);
    for (int look = 0; held && look < kSettleLooks; ++look) {
        usleep(kSettleLookUs);
        held = OpenByOther(devicePath, device, &unseen);
    }
    if (error != nullptr) error->unseenProcesses = unseen;
    return held;
}

void Refuse(int fd, PortError* error, PortFailure what, unsigned long code) {
    if (fd >= 0) close(fd);
    unsigned unseen = error != nullptr ? error->unseenProcesses : 0;
    SetError(error, what, code);
    if (error != nullptr) error->unseenProcesses = unseen;
}

}  // namespace

bool OpenSerialPort(SerialPort* port, const char* name, unsigned baudRate, PortError* error) {
    port->handle = kNoPort;
    SetError(error, PortFailure::None, 0);
    if (name == nullptr || *name == 0 || std::strlen(name) >= PATH_MAX) {
        SetError(error, PortFailure::NotFound, ENOENT);
        return false;
    }
    struct stat named {};
    if (stat(name, &named) != 0) {
        SetError(error, OpenFailureOf(errno), static_cast<unsigned long>(errno));
        return false;
    }
    if (!S_ISCHR(named.st_mode) || !IsTerminalDevice(named.st_rdev) || IsConsoleDevice(named.st_rdev)) {
        SetError(error, PortFailure::NotSerial, ENOTTY);
        return false;
    }
    char resolved[PATH_MAX];
    const std::string devicePath = realpath(name, resolved) != nullptr ? resolved : name;
    // Decided before the open: opening a real port raises its modem lines. Opens from the look
    // on are counted, ours one of them.
    OpenCounter opens(devicePath);
    if (InUseByOther(devicePath, named.st_rdev, error)) {
        Refuse(-1, error, PortFailure::Busy, EBUSY);
        return false;
    }
    int fd = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        Refuse(-1, error, OpenFailureOf(errno), static_cast<unsigned long>(errno));
        return false;
    }
    struct stat opened {};
    if (fstat(fd, &opened) != 0 || opened.st_rdev != named.st_rdev || !isatty(fd)) {
        // The name was changed under us: what we opened is not what was checked.
        Refuse(fd, error, PortFailure::NotSerial, ENOTTY);
        return false;
    }
    if (HeldExclusivelyByOther(fd)) {
        Refuse(fd, error, PortFailure::Busy, EBUSY);
        return false;
    }
    // Two locks: flock keeps out every cooperating program (a second vireo4 included, even as
    // root); TIOCEXCL makes the kernel refuse other openers of the device that do not flock.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int code = errno;
        Refuse(fd, error, code == EWOULDBLOCK ? PortFailure::Busy : PortFailure::Open, static_cast<unsigned long>(code));
        return false;
    }
    auto* borrowed = new BorrowedPort{fd, termios{}, false, std::string()};
    // The lock file, and a second look for holders when another open came since the first: a
    // program that opened the port while we did is seen now, before anything has been changed.
    constexpr int kOurOpen = 1;
    const bool othersOpened = opens.Opens() != kOurOpen;
    if (!TakeLockFile(devicePath, &borrowed->lockFile) ||
        (othersOpened && InUseByOther(devicePath, named.st_rdev, error))) {
        ReleaseLockFile(&borrowed->lockFile);
        delete borrowed;
        Refuse(fd, error, PortFailure::Busy, EBUSY);
        return false;
    }
    if (tcgetattr(fd, &borrowed->found) != 0) {
        int code = errno;
        ReleaseLockFile(&borrowed->lockFile);
        delete borrowed;
        Refuse(fd, error, PortFailure::Configure, static_cast<unsigned long>(code));
        return false;
    }
    borrowed->lockedByUs = ioctl(fd, TIOCEXCL) == 0;
    port->handle = reinterpret_cast<std::intptr_t>(borrowed);
    if (!Configure(fd, baudRate)) {
        int code = errno;
        CloseSerialPort(port);
        Refuse(-1, error, PortFailure::Configure, static_cast<unsigned long>(code));
        return false;
    }
    return true;
}

bool ReadAvailable(SerialPort* port, unsigned char* buffer, unsigned capacity, int timeoutMs, int* count,
                   PortError* error) {
    *count = 0;
    SetError(error, PortFailure::None, 0);
    if (port->handle == kNoPort) {
        SetError(error, PortFailure::Read, EBADF);
        return false;
    }
    int fd = FdOf(port);
    int ready = WaitReadable(fd, timeoutMs < 0 ? 0 : timeoutMs);
    if (ready < 0) {
        SetError(error, PortFailure::Read, static_cast<unsigned long>(errno));
        return false;
    }
    if (ready == 0 || capacity == 0) return true;
    ssize_t got = read(fd, buffer, capacity);
    if (got > 0) {
        *count = static_cast<int>(got);
        return true;
    }
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    // Readable yet nothing to read (0 bytes or EIO): the device went away.
    SetError(error, PortFailure::Read, got < 0 ? static_cast<unsigned long>(errno) : static_cast<unsigned long>(EIO));
    return false;
}

bool ReadUntilSilence(SerialPort* port, unsigned char* buffer, unsigned capacity, int* count, PortError* error) {
    *count = 0;
    SetError(error, PortFailure::None, 0);
    while (static_cast<unsigned>(*count) < capacity) {
        int got = 0;
        if (!ReadAvailable(port, buffer + *count, capacity - static_cast<unsigned>(*count), kSilenceMs, &got, error)) {
            return false;
        }
        if (got == 0) break;
        *count += got;
    }
    return true;
}

bool WriteSerialBytes(SerialPort* port, const void* bytes, int length, PortError* error) {
    SetError(error, PortFailure::None, 0);
    if (port->handle == kNoPort) {
        SetError(error, PortFailure::Write, EBADF);
        return false;
    }
    ssize_t written = write(FdOf(port), bytes, static_cast<size_t>(length));
    if (written < 0) {
        SetError(error, PortFailure::Write, static_cast<unsigned long>(errno));
        return false;
    }
    return written == length;
}

void CloseSerialPort(SerialPort* port) {
    if (port->handle == kNoPort) return;
    BorrowedPort* borrowed = BorrowedOf(port);
    GiveBack(borrowed);
    close(borrowed->fd);  // releases the flock as well
    ReleaseLockFile(&borrowed->lockFile);
    delete borrowed;
    port->handle = kNoPort;
}
