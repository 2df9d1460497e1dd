// The serial port on Linux: termios raw mode, held exclusively, poll() for replies.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "port/serial_port.h"

namespace {

// The window's read ends after this much silence between bytes.
constexpr int kSilenceMs = kReplySilenceMs;

int FdOf(const SerialPort* port) { return static_cast<int>(port->handle); }

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

}  // namespace

bool OpenSerialPort(SerialPort* port, const char* name, unsigned baudRate, PortError* error) {
    port->handle = kNoPort;
    SetError(error, PortFailure::None, 0);
    if (name == nullptr || *name == 0 || std::strlen(name) >= PATH_MAX) {
        SetError(error, PortFailure::NotFound, ENOENT);
        return false;
    }
    int fd = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, OpenFailureOf(errno), static_cast<unsigned long>(errno));
        return false;
    }
    if (!isatty(fd)) {
        // A plain file or a pipe: there is no port of that name.
        close(fd);
        SetError(error, PortFailure::NotFound, ENOTTY);
        return false;
    }
    // Two locks: flock keeps out every cooperating program (a second vireo4 included, even as
    // root); TIOCEXCL makes the kernel refuse other openers of the device that do not flock.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int code = errno;
        close(fd);
        SetError(error, code == EWOULDBLOCK ? PortFailure::Busy : PortFailure::Open, static_cast<unsigned long>(code));
        return false;
    }
    ioctl(fd, TIOCEXCL);
    if (!Configure(fd, baudRate)) {
        int code = errno;
        close(fd);
        SetError(error, PortFailure::Configure, static_cast<unsigned long>(code));
        return false;
    }
    port->handle = fd;
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
    int fd = FdOf(port);
    ioctl(fd, TIOCNXCL);
    close(fd);  // releases the flock as well
    port->handle = kNoPort;
}
