#pragma once
// Many ports at once: names and globs turned into ports, and one thread per port, each with
// its own result slot, so one reader's failure never touches another's.
#include <functional>
#include <string>
#include <vector>

#include "cli/reader.h"

struct PortTarget {
    std::string path;        // what the port layer opens
    bool usbReader = false;  // the port's USB identity is the USB reader's
    bool named = false;      // named on the command line (not a glob or the walk of all ports)
};

// Names as given (paths, "COM3", "ttyUSB0", globs); none means every port of the system.
// A glob or name that matches nothing becomes a PortNotFound outcome in *unmatched. A port
// named twice (a link and its target, a glob and a name) is one target.
std::vector<PortTarget> ResolvePorts(int language, const std::vector<std::string>& names,
                                     std::vector<PortOutcome>* unmatched);

// Runs work for every target at the same time and returns the outcomes in target order. A
// target whose thread cannot be started (a process limit) is a PortError of its own.
std::vector<PortOutcome> RunOnEach(int language, const std::vector<PortTarget>& targets,
                                   const std::function<PortOutcome(const PortTarget&)>& work);
