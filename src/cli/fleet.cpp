// SPDX-License-Identifier: Apache-2.0
#include "cli/fleet.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <cctype>
#else
#include <glob.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include "cli/messages.h"
#include "core/port_names.h"
#include "port/port_list.h"

namespace {

bool IsPattern(const std::string& name) { return name.find_first_of("*?[") != std::string::npos; }

#ifdef _WIN32
std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// '*' and '?' over port names, without regard to case, as Windows names ports.
bool Matches(const char* pattern, const char* text) {
    if (*pattern == 0) return *text == 0;
    if (*pattern == '*') return Matches(pattern + 1, text) || (*text != 0 && Matches(pattern, text + 1));
    if (*text == 0) return false;
    return (*pattern == '?' || *pattern == *text) && Matches(pattern + 1, text + 1);
}

std::vector<std::string> Expand(const std::string& pattern, const std::vector<PortInfo>& known) {
    std::vector<std::string> paths;
    for (const PortInfo& port : known) {
        if (Matches(Upper(pattern).c_str(), Upper(port.name).c_str())) paths.push_back(CanonicalPortName(port.path));
    }
    return paths;
}

// "com3", "\\.\COM3" and "COM3:" are COM3: one port, probed once.
std::string PathOf(const std::string& name) { return CanonicalPortName(name); }

bool SamePort(const std::string& path, const PortInfo& port) { return path == CanonicalPortName(port.path); }

// Paths are already in their one spelling (PathOf, Expand).
std::string PortIdentity(const std::string& path) { return path; }
#else
std::vector<std::string> Expand(const std::string& pattern, const std::vector<PortInfo>&) {
    std::vector<std::string> paths;
    glob_t found{};
    if (glob(pattern.c_str(), 0, nullptr, &found) == 0) {
        for (std::size_t k = 0; k < found.gl_pathc; ++k) paths.push_back(found.gl_pathv[k]);
    }
    globfree(&found);
    return paths;
}

// "ttyUSB0" is short for "/dev/ttyUSB0".
std::string PathOf(const std::string& name) { return name.find('/') == std::string::npos ? "/dev/" + name : name; }

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

bool SamePort(const std::string& path, const PortInfo& port) { return RealPath(path) == RealPath(port.path); }

// One device under any name (a udev link, its target, a glob's match): its device number.
// A name that does not exist stays itself, to be reported under that name.
std::string PortIdentity(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return "name " + path;
    if (S_ISCHR(info.st_mode)) return "device " + std::to_string(info.st_rdev);
    return "file " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}
#endif

// Ports open at once: a hundred ports probe in one deadline, and a thousand never exhaust the
// descriptors or threads of the process.
constexpr std::size_t kMostPortsAtOnce = 128;

#ifdef _WIN32
std::size_t PortsAtOnce() { return kMostPortsAtOnce; }
#else
// Each port being opened holds its own descriptor, one that counts its opens and, for a moment,
// its lock file being written; the standard streams, a CSV file and the one look at /proc at a
// time keep a few.
constexpr rlim_t kDescriptorsPerPort = 4;
constexpr rlim_t kDescriptorsKept = 8;

std::size_t PortsAtOnce() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kMostPortsAtOnce;
    const rlim_t room = limit.rlim_cur > kDescriptorsKept + kDescriptorsPerPort ? limit.rlim_cur - kDescriptorsKept : kDescriptorsPerPort;
    return std::max<std::size_t>(1, std::min<std::size_t>(kMostPortsAtOnce, room / kDescriptorsPerPort));
}
#endif

bool IsUsbReaderPort(const std::string& path, const std::vector<PortInfo>& known) {
    for (const PortInfo& port : known) {
        if (port.isUsbReader && SamePort(path, port)) return true;
    }
    return false;
}

}  // namespace

std::vector<PortTarget> ResolvePorts(int language, const std::vector<std::string>& names,
                                     std::vector<PortOutcome>* unmatched) {
    std::vector<PortInfo> known = ListSerialPorts();
    std::vector<PortTarget> targets;
    // A console is never probed, nor named by a glob; named on its own it is no serial port.
    if (names.empty()) {
        for (const PortInfo& port : known) {
            if (!port.isConsole) targets.push_back(PortTarget{port.path, port.isUsbReader, false});
        }
        return targets;
    }
    // A port named twice is probed once, under the name it was first given.
    std::vector<std::string> identities;
    auto add = [&](const std::string& path, bool named) {
        std::string identity = PortIdentity(path);
        for (std::size_t k = 0; k < targets.size(); ++k) {
            if (identities[k] != identity) continue;
            targets[k].named = targets[k].named || named;
            return;
        }
        identities.push_back(identity);
        targets.push_back(PortTarget{path, IsUsbReaderPort(path, known), named});
    };
    for (const std::string& name : names) {
        if (!IsPattern(name)) {
            add(PathOf(name), true);
            continue;
        }
        std::vector<std::string> paths = Expand(name, known);
        if (paths.empty()) {
            PortOutcome outcome;
            outcome.port = name;
            outcome.status = Status::PortNotFound;
            outcome.detail = Format(MessageText(language, Msg::NoPortMatches), name);
            outcome.explicitlyNamed = true;
            unmatched->push_back(outcome);
        }
        for (const std::string& path : paths) {
            if (!IsConsolePort(path)) add(path, false);
        }
    }
    return targets;
}

std::vector<PortOutcome> RunOnEach(int language, const std::vector<PortTarget>& targets,
                                   const std::function<PortOutcome(const PortTarget&)>& work) {
    std::vector<PortOutcome> outcomes(targets.size());
    for (std::size_t k = 0; k < targets.size(); ++k) {
        outcomes[k].port = targets[k].path;
        outcomes[k].explicitlyNamed = targets[k].named;
    }
    // Workers take the next target until none is left; each outcome has its own slot.
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (std::size_t k = next++; k < targets.size(); k = next++) {
            try {
                outcomes[k] = work(targets[k]);
            } catch (...) {
                outcomes[k].status = Status::PortError;
            }
            outcomes[k].port = targets[k].path;
            outcomes[k].explicitlyNamed = targets[k].named;
        }
    };
    const std::size_t wanted = std::min(targets.size(), PortsAtOnce());
    std::vector<std::thread> threads;
    threads.reserve(wanted);
    std::string failure;
    for (std::size_t k = 0; k < wanted; ++k) {
        try {
            threads.emplace_back(worker);
        } catch (const std::system_error& error) {
            failure = error.code().message();  // a process or thread limit: fewer workers
            break;
        }
    }
    if (threads.empty()) {
        // Not one worker: every port goes unprobed, and says why.
        for (PortOutcome& outcome : outcomes) {
            outcome.status = Status::PortError;
            outcome.detail = Format(MessageText(language, Msg::ThreadFailed), failure);
        }
        return outcomes;
    }
    for (std::thread& thread : threads) thread.join();
    return outcomes;
}
