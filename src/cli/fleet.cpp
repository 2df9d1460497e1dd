#include "cli/fleet.h"

#include <algorithm>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <cctype>
#else
#include <glob.h>
#include <limits.h>
#include <stdlib.h>
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
    if (names.empty()) {
        for (const PortInfo& port : known) targets.push_back(PortTarget{port.path, port.isUsbReader, false});
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
        for (const std::string& path : paths) add(path, false);
    }
    return targets;
}

std::vector<PortOutcome> RunOnEach(int language, const std::vector<PortTarget>& targets,
                                   const std::function<PortOutcome(const PortTarget&)>& work) {
    std::vector<PortOutcome> outcomes(targets.size());
    std::vector<std::thread> threads;
    threads.reserve(targets.size());
    for (std::size_t k = 0; k < targets.size(); ++k) {
        outcomes[k].port = targets[k].path;
        outcomes[k].explicitlyNamed = targets[k].named;
        try {
            threads.emplace_back([&, k] {
                try {
                    outcomes[k] = work(targets[k]);
                } catch (...) {
                    outcomes[k].status = Status::PortError;
                }
                outcomes[k].port = targets[k].path;
                outcomes[k].explicitlyNamed = targets[k].named;
            });
        } catch (const std::system_error& failure) {
            // A process or thread limit: this port goes unprobed, the others run on.
            outcomes[k].status = Status::PortError;
            outcomes[k].detail = Format(MessageText(language, Msg::ThreadFailed), failure.code().message());
        }
    }
    for (std::thread& thread : threads) thread.join();
    return outcomes;
}
