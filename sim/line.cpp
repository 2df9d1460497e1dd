// SPDX-License-Identifier: Apache-2.0
#include "line.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "control.h"

namespace {

using Micros = int64_t;

constexpr Micros kMicrosPerMs = 1000;
constexpr Micros kNoListenerPollUs = 5 * kMicrosPerMs;  // how often an unopened pty is checked
constexpr Micros kWriteRetryUs = 1 * kMicrosPerMs;      // after the pty buffer was full
constexpr size_t kReadChunk = 256;

volatile sig_atomic_t g_stopRequested = 0;

void OnStopSignal(int) { g_stopRequested = 1; }

Micros NowUs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<Micros>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// Bytes of one reply that go out without a pause; byte k is due at due + k byte times
// when the line is paced.
struct Segment {
    Micros due;
    std::string bytes;
    size_t sent;
    bool paced;
};

struct Line {
    ReaderState* reader;
    LineOptions options;
    Micros startUs;
    FILE* log;

    int master;                // -1 while the reader has vanished
    std::string slavePath;
    bool listener;             // the program holds the slave side open

    std::string pending;       // bytes of the command being received
    Micros pendingFirstUs;
    Micros pendingLastUs;

    std::deque<Segment> output;
    Micros outputEndUs;        // when the last queued byte is due
    bool writeBlocked;

    int controlFd;
    int controlKeepFd;         // our own writer, so the FIFO never reports end of file
    bool createdFifo;
    std::string controlBuffer;
};

void Log(Line* line, Micros atUs, const char* tag, const std::string& text) {
    if (line->log == nullptr) return;
    long long ms = static_cast<long long>((atUs - line->startUs) / kMicrosPerMs);
    std::fprintf(line->log, "%lld %s %s\n", ms, tag, text.c_str());
    std::fflush(line->log);
}

void Complain(Line* line, const std::string& text) {
    std::fprintf(stderr, "vireo-sim: %s\n", text.c_str());
    Log(line, NowUs(), "ERR", text);
}

// Points the link at the pty: a new symlink renamed over the old one, so a reader of the
// link never finds it missing half-way.
bool UpdateLink(Line* line) {
    const std::string& link = line->options.linkPath;
    if (link.empty()) return true;
    struct stat info;
    if (lstat(link.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        Complain(line, "refusing to replace " + link + ": not a symlink");
        return false;
    }
    std::string temporary = link + ".new";
    unlink(temporary.c_str());
    if (symlink(line->slavePath.c_str(), temporary.c_str()) != 0 ||
        rename(temporary.c_str(), link.c_str()) != 0) {
        Complain(line, "cannot link " + link + ": " + std::strerror(errno));
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

void RemoveLink(Line* line) {
    const std::string& link = line->options.linkPath;
    struct stat info;
    if (!link.empty() && lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        unlink(link.c_str());
    }
}

bool OpenPty(Line* line) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        Complain(line, std::string("cannot create a pty: ") + std::strerror(errno));
        if (master >= 0) close(master);
        return false;
    }
    const char* name = ptsname(master);
    termios raw;
    if (name == nullptr || tcgetattr(master, &raw) != 0) {
        Complain(line, "cannot configure the pty");
        close(master);
        return false;
    }
    // Raw bytes both ways: no echo, no line editing, no CR/LF translation.
    cfmakeraw(&raw);
    cfsetispeed(&raw, B19200);
    cfsetospeed(&raw, B19200);
    tcsetattr(master, TCSANOW, &raw);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    line->master = master;
    line->slavePath = name;
    line->listener = false;
    return true;
}

void DropOutput(Line* line, Micros now) {
    std::string dropped;
    for (const Segment& segment : line->output) dropped += segment.bytes.substr(segment.sent);
    if (!dropped.empty()) Log(line, now, "DROP", EscapeBytes(dropped));
    line->output.clear();
    line->outputEndUs = 0;
    line->writeBlocked = false;
}

void ClosePty(Line* line, Micros now) {
    DropOutput(line, now);
    line->pending.clear();
    if (line->master >= 0) close(line->master);
    line->master = -1;
    line->listener = false;
}

// Bytes written to the pty while nobody held it stay queued for the next opener; a real
// port starts empty, so they are thrown away when the program opens it.
void FlushStaleInput(Line* line) {
    int slave = open(line->slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave >= 0) {
        tcflush(slave, TCIFLUSH);
        close(slave);
    }
}

// The master reports a hang-up while no process holds the slave side open.
void CheckListener(Line* line, Micros now) {
    if (line->master < 0) return;
    pollfd probe = {line->master, POLLIN, 0};
    poll(&probe, 1, 0);
    bool present = (probe.revents & POLLHUP) == 0;
    if (present == line->listener) return;
    line->listener = present;
    if (present) {
        FlushStaleInput(line);
        Log(line, now, "OPEN", line->slavePath);
    } else {
        line->pending.clear();
        DropOutput(line, now);
        Log(line, now, "CLOSE", line->slavePath);
    }
}

void QueueSegment(Line* line, Micros due, const std::string& bytes) {
    Segment segment = {due, bytes, 0, line->reader->baudDelay};
    Micros length = segment.paced ? static_cast<Micros>(bytes.size() * kByteTimeUs) : 0;
    line->outputEndUs = due + length;
    line->output.push_back(segment);
}

void FrameCommand(Line* line, Micros now) {
    std::string command = line->pending;
    line->pending.clear();
    Log(line, line->pendingFirstUs, "RX", EscapeBytes(command));
    ReplyPlan plan = PlanReply(line->reader, command);
    if (plan.bytes.empty()) return;
    // A reply never overtakes the one before it on the line.
    Micros start = now + plan.delayMs * kMicrosPerMs;
    if (!line->output.empty() && line->outputEndUs > start) start = line->outputEndUs;
    if (plan.splitAt < 0) {
        QueueSegment(line, start, plan.bytes);
        return;
    }
    size_t at = static_cast<size_t>(plan.splitAt);
    QueueSegment(line, start, plan.bytes.substr(0, at));
    QueueSegment(line, line->outputEndUs + plan.splitMs * kMicrosPerMs, plan.bytes.substr(at));
}

Micros ByteDue(const Segment& segment, size_t index) {
    if (!segment.paced) return segment.due;
    return segment.due + static_cast<Micros>(index * kByteTimeUs);
}

void SendDueOutput(Line* line, Micros now) {
    line->writeBlocked = false;
    while (!line->output.empty() && line->listener) {
        Segment& segment = line->output.front();
        size_t count = 0;
        while (segment.sent + count < segment.bytes.size() && ByteDue(segment, segment.sent + count) <= now) {
            ++count;
        }
        if (count == 0) return;
        if (segment.sent == 0) Log(line, now, "TX", EscapeBytes(segment.bytes));
        ssize_t written = write(line->master, segment.bytes.data() + segment.sent, count);
        if (written < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                line->writeBlocked = true;
                return;
            }
            DropOutput(line, now);
            return;
        }
        segment.sent += static_cast<size_t>(written);
        if (segment.sent < segment.bytes.size()) {
            if (static_cast<size_t>(written) < count) line->writeBlocked = true;
            return;
        }
        line->output.pop_front();
    }
}

void ReadCommandBytes(Line* line, Micros now) {
    char chunk[kReadChunk];
    ssize_t got = read(line->master, chunk, sizeof chunk);
    if (got <= 0) return;
    for (ssize_t k = 0; k < got; ++k) {
        if (line->pending.empty()) line->pendingFirstUs = now;
        line->pending += chunk[k];
        line->pendingLastUs = now;
        if (IsCompleteCommand(line->pending) ||
            line->pending.size() >= static_cast<size_t>(kMaxCommandLength)) {
            FrameCommand(line, now);
        }
    }
}

void ReturnPty(Line* line, Micros now) {
    if (line->master >= 0) {
        Complain(line, "return: the reader is present");
        return;
    }
    if (!OpenPty(line)) return;
    std::printf("%s\n", line->slavePath.c_str());
    std::fflush(stdout);
    UpdateLink(line);
    Log(line, now, "PTY", line->slavePath);
}

void Vanish(Line* line, Micros now) {
    if (line->master < 0) {
        Complain(line, "vanish: the reader is gone already");
        return;
    }
    ClosePty(line, now);
    RemoveLink(line);
    Log(line, now, "VANISH", line->slavePath);
}

void HandleControlLine(Line* line, const std::string& text, Micros now) {
    if (SplitWords(text).empty()) return;
    Log(line, now, "CTL", text);
    std::string error;
    switch (ApplyControlLine(line->reader, text, &error)) {
        case ControlVanish: Vanish(line, now); break;
        case ControlReturn: ReturnPty(line, now); break;
        case ControlError: Complain(line, error); break;
        case ControlDone: break;
    }
}

void ReadControl(Line* line, Micros now) {
    char chunk[kReadChunk];
    ssize_t got = read(line->controlFd, chunk, sizeof chunk);
    if (got <= 0) return;
    line->controlBuffer.append(chunk, static_cast<size_t>(got));
    size_t end;
    while ((end = line->controlBuffer.find('\n')) != std::string::npos) {
        std::string text = line->controlBuffer.substr(0, end);
        line->controlBuffer.erase(0, end + 1);
        HandleControlLine(line, text, now);
    }
}

bool OpenControl(Line* line) {
    const std::string& path = line->options.controlPath;
    if (path.empty()) return true;
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        if (!S_ISFIFO(info.st_mode)) {
            Complain(line, path + " exists and is not a FIFO");
            return false;
        }
    } else if (mkfifo(path.c_str(), 0600) == 0) {
        line->createdFifo = true;
    } else {
        Complain(line, "cannot create " + path + ": " + std::strerror(errno));
        return false;
    }
    line->controlFd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    line->controlKeepFd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
    if (line->controlFd < 0 || line->controlKeepFd < 0) {
        Complain(line, "cannot open " + path + ": " + std::strerror(errno));
        return false;
    }
    return true;
}

// The earliest moment something has to happen without input: a byte due, a command
// ended by silence, a check of an unopened pty. -1: nothing to wait for.
Micros NextWakeUs(const Line* line, Micros now) {
    Micros wake = -1;
    auto consider = [&wake](Micros at) {
        if (wake < 0 || at < wake) wake = at;
    };
    if (!line->output.empty() && line->listener) {
        const Segment& segment = line->output.front();
        consider(line->writeBlocked ? now + kWriteRetryUs : ByteDue(segment, segment.sent));
    }
    if (!line->pending.empty()) consider(line->pendingLastUs + kCommandGapMs * kMicrosPerMs);
    if (line->master >= 0 && !line->listener) consider(now + kNoListenerPollUs);
    return wake;
}

void Serve(Line* line, const sigset_t* waitMask) {
    while (!g_stopRequested) {
        Micros now = NowUs();
        CheckListener(line, now);
        if (!line->pending.empty() && now - line->pendingLastUs >= kCommandGapMs * kMicrosPerMs) {
            FrameCommand(line, now);
        }
        SendDueOutput(line, now);

        pollfd fds[2];
        nfds_t count = 0;
        int masterSlot = -1;
        int controlSlot = -1;
        if (line->master >= 0 && line->listener) {
            masterSlot = static_cast<int>(count);
            fds[count++] = {line->master, POLLIN, 0};
        }
        if (line->controlFd >= 0) {
            controlSlot = static_cast<int>(count);
            fds[count++] = {line->controlFd, POLLIN, 0};
        }
        Micros wake = NextWakeUs(line, now);
        timespec timeout;
        timespec* timeoutPointer = nullptr;
        if (wake >= 0) {
            Micros wait = wake > now ? wake - now : 0;
            timeout.tv_sec = static_cast<time_t>(wait / 1000000);
            timeout.tv_nsec = static_cast<long>((wait % 1000000) * 1000);
            timeoutPointer = &timeout;
        }
        int ready = ppoll(fds, count, timeoutPointer, waitMask);
        if (ready <= 0) continue;
        now = NowUs();
        if (controlSlot >= 0 && (fds[controlSlot].revents & POLLIN)) ReadControl(line, now);
        if (masterSlot >= 0 && line->master >= 0) {
            short events = fds[masterSlot].revents;
            if (events & POLLIN) ReadCommandBytes(line, now);
            if (events & (POLLHUP | POLLERR)) CheckListener(line, now);
        }
    }
}

}  // namespace

int RunLine(ReaderState* reader, const LineOptions& options) {
    Line line = {};
    line.reader = reader;
    line.options = options;
    line.startUs = NowUs();
    line.master = -1;
    line.controlFd = -1;
    line.controlKeepFd = -1;

    if (!options.logPath.empty()) {
        line.log = std::fopen(options.logPath.c_str(), "a");
        if (line.log == nullptr) {
            std::fprintf(stderr, "vireo-sim: cannot open log %s: %s\n", options.logPath.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }

    // SIGTERM and SIGINT are only delivered inside ppoll, so a stop request is never lost
    // between a check and the wait.
    sigset_t blocked;
    sigset_t waitMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    sigprocmask(SIG_BLOCK, &blocked, &waitMask);
    struct sigaction stop = {};
    stop.sa_handler = OnStopSignal;
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    int status = 1;
    if (OpenPty(&line) && OpenControl(&line) && UpdateLink(&line)) {
        std::printf("%s\n", line.slavePath.c_str());
        std::fflush(stdout);
        Log(&line, line.startUs, "PTY", line.slavePath);
        Serve(&line, &waitMask);
        status = 0;
    }

    ClosePty(&line, NowUs());
    RemoveLink(&line);
    if (line.controlFd >= 0) close(line.controlFd);
    if (line.controlKeepFd >= 0) close(line.controlKeepFd);
    if (line.createdFifo) unlink(options.controlPath.c_str());
    if (line.log != nullptr) std::fclose(line.log);
    return status;
}
