// SPDX-License-Identifier: Apache-2.0
#pragma once
// Many ports at once: names and globs turned into ports, and worker threads that take them one
// after another (as many at once as the descriptors allow), each port with its own result slot,
// so one reader's failure never touches another's.
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
// Consoles are left out of the walk and of what a glob matches.
// A glob or name that matches nothing becomes a PortNotFound outcome in *unmatched. A port
// named twice (a link and its target, a glob and a name) is one target.
std::vector<PortTarget> ResolvePorts(int language, const std::vector<std::string>& names,
                                     std::vector<PortOutcome>* unmatched);

// Runs work for every target, up to 128 at the same time (fewer under a low limit of open
// files), and returns the outcomes in target order. Under a thread limit fewer workers do the
// work; when not one can be started, every target is a PortError that says why.
std::vector<PortOutcome> RunOnEach(int language, const std::vector<PortTarget>& targets,
                                   const std::function<PortOutcome(const PortTarget&)>& work);
