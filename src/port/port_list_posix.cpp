// SPDX-License-Identifier: Apache-2.0
// The serial ports of a Linux system: the tty class devices that have a real device behind
// them (a UART, a USB adapter, the USB reader), and the USB identity of their device's parents.
#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/usb_identity.h"
#include "port/port_in_use.h"
#include "port/port_list.h"

namespace {

constexpr const char kDeviceDirectory[] = "/dev/";
// A legacy UART slot that the kernel found no chip behind reports this type.
constexpr const char kUnknownUartType[] = "0";

std::string ReadFirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    if (file) std::getline(file, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Walks from the tty's device up to the first parent that is a USB device (has idVendor).
void FillUsbIdentity(const std::string& classEntry, const std::string& root, PortInfo* info) {
    char resolved[PATH_MAX];
    std::string device = classEntry + "/device";
    if (realpath(device.c_str(), resolved) == nullptr) return;
    char rootResolved[PATH_MAX];
    std::string stop = realpath(root.c_str(), rootResolved) != nullptr ? rootResolved : root;
    for (std::string dir = resolved; dir.size() > stop.size(); dir = dir.substr(0, dir.rfind('/'))) {
        if (Exists(dir + "/idVendor") && Exists(dir + "/idProduct")) {
            info->usbVendor = Upper(ReadFirstLine(dir + "/idVendor"));
            info->usbProduct = Upper(ReadFirstLine(dir + "/idProduct"));
            info->usbSerial = ReadFirstLine(dir + "/serial");
            info->isUsbReader = IsUsbReaderDevice(info->usbVendor.c_str(), info->usbProduct.c_str(),
                                                  ReadFirstLine(dir + "/bcdDevice").c_str());
            return;
        }
    }
}

// "ttyUSB10" after "ttyUSB9": names compare by their text, trailing numbers by value.
bool NameOrder(const PortInfo& a, const PortInfo& b) {
    auto split = [](const std::string& name, std::string* stem, long* number) {
        std::size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
        *stem = name.substr(0, digits);
        *number = digits < name.size() ? std::strtol(name.c_str() + digits, nullptr, 10) : -1;
    };
    std::string stemA, stemB;
    long numberA = 0, numberB = 0;
    split(a.name, &stemA, &numberA);
    split(b.name, &stemB, &numberB);
    if (stemA != stemB) return stemA < stemB;
    return numberA < numberB;
}

}  // namespace

std::vector<PortInfo> ListSerialPorts() {
    const std::string root = SysfsRoot();
    std::string classDir = root + "/class/tty";
    std::vector<PortInfo> ports;
    DIR* dir = opendir(classDir.c_str());
    if (dir == nullptr) return ports;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::string classEntry = classDir + "/" + name;
        // Virtual terminals, ptys and the console have no device link.
        if (!Exists(classEntry + "/device")) continue;
        if (Exists(classEntry + "/type") && ReadFirstLine(classEntry + "/type") == kUnknownUartType) continue;
        PortInfo info{name, kDeviceDirectory + name, "", "", "", false};
        FillUsbIdentity(classEntry, root, &info);
        info.isConsole = IsConsolePort(info.path);
        ports.push_back(info);
    }
    closedir(dir);
    std::sort(ports.begin(), ports.end(), NameOrder);
    return ports;
}

bool IsConsolePort(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode) && IsConsoleDevice(info.st_rdev);
}
