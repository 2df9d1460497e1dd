// SPDX-License-Identifier: Apache-2.0
#include <doctest/doctest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/usb_identity.h"

namespace {

std::vector<std::uint16_t> Wide(const std::string& text) {
    std::vector<std::uint16_t> wide(text.begin(), text.end());
    wide.push_back(0);
    return wide;
}

struct Identities {
    char upper[kUsbIdentitySize];
    char mixed[kUsbIdentitySize];
    Identities() {
        BuildUsbIdentity(upper, "2E3C", "5750", "0200");
        BuildUsbIdentityAlt(mixed, "2e3c", "5750", "0200");
    }
    bool Matches(const char* id) const { return HardwareIdMatches(id, upper, mixed); }
};

}  // namespace

TEST_CASE("both identity forms are built from their parts, 30 characters each") {
    Identities ids;
    CHECK(std::string(ids.upper) == "USB\\VID_2E3C&PID_5750&REV_0200");
    CHECK(std::string(ids.mixed) == "USB\\Vid_2e3c&Pid_5750&Rev_0200");
    CHECK(std::string(ids.upper).size() == static_cast<size_t>(kUsbIdentityCompare));
    CHECK(std::string(ids.mixed).size() == static_cast<size_t>(kUsbIdentityCompare));

    char other[kUsbIdentitySize];
    BuildUsbIdentity(other, "1234", "ABCD", "0001");
    CHECK(std::string(other) == "USB\\VID_1234&PID_ABCD&REV_0001");
    const std::string huge(200, 'F');  // parts too long for the buffer are cut, not overflowing
    BuildUsbIdentity(other, huge.c_str(), "5750", "0200");
    CHECK(std::string(other).size() == static_cast<size_t>(kUsbIdentitySize - 1));
}

TEST_CASE("only the two identity forms match, with or without a continuation") {
    Identities ids;
    CHECK(ids.Matches("USB\\VID_2E3C&PID_5750&REV_0200"));
    CHECK(ids.Matches("USB\\Vid_2e3c&Pid_5750&Rev_0200"));
    CHECK(ids.Matches("USB\\VID_2E3C&PID_5750&REV_0200&MI_00"));
    CHECK_FALSE(ids.Matches("USB\\VID_2E3C&PID_5750&REV_0100"));
    CHECK_FALSE(ids.Matches("USB\\vid_2e3c&pid_5750&rev_0200"));  // another mixture of case
    CHECK_FALSE(ids.Matches("USB\\VID_2e3c&PID_5750&REV_0200"));
    CHECK_FALSE(ids.Matches("USB\\Vid_2E3C&Pid_5750&Rev_0200"));
    CHECK_FALSE(ids.Matches("USB\\VID_2E3C&PID_5751&REV_0200"));
    CHECK_FALSE(ids.Matches("USB\\VID_2E3C&PID_5750"));  // shorter than the identity
    CHECK_FALSE(ids.Matches(""));
}

TEST_CASE("a USB port name must be COM in any case followed by a non-zero number") {
    CHECK(UsbPortNameAcceptable(Wide("COM5").data()));
    CHECK(UsbPortNameAcceptable(Wide("com7").data()));
    CHECK(UsbPortNameAcceptable(Wide("cOm12").data()));
    CHECK(UsbPortNameAcceptable(Wide("COM123").data()));
    CHECK(UsbPortNameAcceptable(Wide("COM 4").data()));  // white space before the digits, like _wtoi
    CHECK_FALSE(UsbPortNameAcceptable(Wide("COM0").data()));
    CHECK_FALSE(UsbPortNameAcceptable(Wide("COMX").data()));
    CHECK_FALSE(UsbPortNameAcceptable(Wide("COM").data()));
    CHECK_FALSE(UsbPortNameAcceptable(Wide("CO").data()));  // stops at the terminator
    CHECK_FALSE(UsbPortNameAcceptable(Wide("").data()));
    CHECK_FALSE(UsbPortNameAcceptable(Wide("LPT1").data()));
    const std::uint16_t notAscii[] = {0x0143, 'O', 'M', '3', 0};  // only ASCII letters fold
    CHECK_FALSE(UsbPortNameAcceptable(notAscii));
}

TEST_CASE("the USB serial number is the instance id's last component, unless Windows made it up") {
    CHECK(UsbSerialFromInstanceId("USB\\VID_2E3C&PID_5750\\VR0001") == "VR0001");
    CHECK(UsbSerialFromInstanceId("USB\\VID_0403&PID_6001\\6&1A2B3C4D&0&2").empty());
    CHECK(UsbSerialFromInstanceId("USB\\VID_2E3C&PID_5750\\").empty());
    CHECK(UsbSerialFromInstanceId("VR0001").empty());  // no component at all
    CHECK(UsbSerialFromInstanceId("").empty());
    CHECK(UsbSerialFromInstanceId(nullptr).empty());
}
