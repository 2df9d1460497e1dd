// SPDX-License-Identifier: Apache-2.0
#pragma once
// Whether another program uses a serial port, on Linux: the UUCP lock files that minicom,
// picocom, ModemManager and lockdev make, and the open descriptors that fuser finds. A port in
// use is never opened, so that even the opening (which raises DTR on a real port) leaves it be.
#include <sys/types.h>

#include <string>

// /var/lock/LCK..NAME (or /run/lock): NAME is the device's name under /dev, "/" made "_"
// ("ttyUSB0", "pts_3"). A lock whose process is gone is stale and removed.
bool LockedByOther(const std::string& devicePath);

// Makes the lock file for this process; true with *lockFile set, or when no lock directory can
// be written (then *lockFile stays empty and the port goes unlocked); false when another
// process's lock came first.
bool TakeLockFile(const std::string& devicePath, std::string* lockFile);
// Removes the lock file if it still names this process. Idempotent.
void ReleaseLockFile(std::string* lockFile);

// Other processes with the device open, found as fuser finds them: the /proc/PID/fd links
// that name it. *unseen counts the processes whose descriptors could not be read.
bool OpenByOther(const std::string& devicePath, dev_t device, unsigned* unseen);

// Counts the opens of a device from its making on (inotify), so that the second look for holders
// is needed only when someone besides us opened it meanwhile.
class OpenCounter {
public:
    explicit OpenCounter(const std::string& devicePath);
    ~OpenCounter();
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;
    // The opens so far, or -1 when they cannot be counted.
    int Opens();

private:
    int fd_;
    int opens_ = 0;
};

// The console: /dev/console, the virtual consoles /dev/tty0 to /dev/tty63, and each port the
// kernel writes its messages to (class/tty/console/active under the sysfs root, which tests
// point at a tree of their own with VIREO4_SYSFS).
bool IsConsoleDevice(dev_t device);

// "/sys", or the folder VIREO4_SYSFS names: tests point the port list and the console check at
// a tree of their own making.
std::string SysfsRoot();
