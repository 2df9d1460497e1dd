// SPDX-License-Identifier: Apache-2.0
// The USB reader locator against fake USB devices written into the test prefix's registry.
#include <doctest/doctest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "registry_fixture.h"
#include "port/usb_locator.h"
#include "gui/session.h"

namespace {

constexpr wchar_t kReaderId[] = L"USB\\VID_2E3C&PID_5750&REV_0200";
constexpr wchar_t kReaderIdMixed[] = L"USB\\Vid_2e3c&Pid_5750&Rev_0200";

std::string Locate(bool* found) {
    char name[kPortNameSize] = "unchanged";
    *found = LocateUsbReader(name);
    return name;
}

FakeUsbDevice Device(const std::wstring& instance, const std::wstring& id, const std::wstring& port) {
    return {L"VID_2E3C&PID_5750", instance, id, port};
}

}  // namespace

TEST_CASE("the reader is found by either identity form and its port name is taken as given") {
    bool found = false;
    {
        UsbDevicesFixture devices({Device(L"T1", kReaderId, L"COM5")});
        CHECK(Locate(&found) == "COM5");
        CHECK(found);
    }
    {
        UsbDevicesFixture devices({Device(L"T1", kReaderIdMixed, L"com7")});
        CHECK(Locate(&found) == "com7");
        CHECK(found);
    }
    {
        UsbDevicesFixture devices({Device(L"T1", kReaderId, L"COM123")});
        CHECK(Locate(&found) == "COM123");
        CHECK(found);
    }
    CHECK(Locate(&found) == "unchanged");  // nothing present: false, the name untouched
    CHECK_FALSE(found);
}

TEST_CASE("other revisions, case mixtures and port names are passed over") {
    bool found = true;
    UsbDevicesFixture devices({
        Device(L"T1", L"USB\\VID_2E3C&PID_5750&REV_0100", L"COM5"),
        Device(L"T2", L"USB\\vid_2e3c&pid_5750&rev_0200", L"COM6"),
        Device(L"T3", kReaderId, L"COM0"),
        Device(L"T4", kReaderId, L"COMX"),
        Device(L"T5", kReaderId, L"LPT1"),
        Device(L"T6", kReaderId, L"COM12345678901234"),  // longer than a session's port name
    });
    CHECK(Locate(&found) == "unchanged");
    CHECK_FALSE(found);
}

TEST_CASE("with two readers the one enumerated last wins") {
    UsbDevicesFixture devices({Device(L"T1", kReaderId, L"COM8"), Device(L"T2", kReaderIdMixed, L"COM9")});
    const std::vector<std::wstring> order = EnumeratedUsbHardwareIds();
    std::wstring last;
    for (const auto& id : order)
        if (id == kReaderId || id == kReaderIdMixed) last = id;
    REQUIRE_FALSE(last.empty());
    bool found = false;
    CHECK(Locate(&found) == (last == kReaderId ? "COM8" : "COM9"));
    CHECK(found);
}

TEST_CASE("a device whose key cannot be opened ends the search before the reader") {
    // Without "Device Parameters" the device key cannot be opened. Which of the two is listed
    // first is the enumeration's business, so both orders are tried.
    for (const auto& names : std::vector<std::pair<std::wstring, std::wstring>>{{L"T1", L"T2"}, {L"T2", L"T1"}}) {
        UsbDevicesFixture devices({Device(names.first, L"USB\\VID_1111&PID_2222&REV_0001", L""),
                                   Device(names.second, kReaderId, L"COM5")});
        const std::vector<std::wstring> order = EnumeratedUsbHardwareIds();
        const bool brokenFirst =
            std::find(order.begin(), order.end(), L"USB\\VID_1111&PID_2222&REV_0001") <
            std::find(order.begin(), order.end(), std::wstring(kReaderId));
        bool found = false;
        const std::string name = Locate(&found);
        CHECK(found == !brokenFirst);
        CHECK(name == (brokenFirst ? "unchanged" : "COM5"));
    }
}
