// SPDX-License-Identifier: Apache-2.0
// The face's view of a reader's settings, the user's choices on it, and profiles.
#include <doctest/doctest.h>

#include "web/face_support.h"

namespace {

struct Reader {
    int family;
    char model;
    int version;
    std::string payload;
};

std::string View(const Reader& r, const std::string& choices = "", int language = 1) {
    return Take(vw_view(r.family, r.model, r.version, Bytes(r.payload), Length(r.payload), Bytes(choices),
                        Length(choices), language));
}

std::string Choose(const Reader& r, const std::string& choices, const std::string& pick) {
    return Take(vw_choose(r.family, r.model, r.version, Bytes(r.payload), Length(r.payload), Bytes(choices),
                          Length(choices), Bytes(pick), Length(pick)));
}

// The JSON of one radio as the view writes it.
std::string Radio(const std::string& value, const std::string& caption, bool checked, bool enabled) {
    return "{\"value\":\"" + value + "\",\"caption\":\"" + caption + "\",\"checked\":" + (checked ? "true" : "false") +
           ",\"enabled\":" + (enabled ? "true" : "false") + "}";
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const Reader kKrm{0, 'M', 110, "1.10W441SO"};
const Reader kKru{0, 'U', 110, "1.10W441SO"};
const Reader kUsb110{1, 'B', 110, "1.10WHDH7EM"};

}  // namespace

TEST_CASE("the window's groups: legends, captions, checked choices and lamp colours") {
    const std::string view = View(kKrm);
    CHECK(Contains(view, "\"setting\":\"interface\",\"legend\":\" 1) INTERFACES: \",\"enabled\":true"));
    CHECK(Contains(view, Radio("wiegand-44", "Wiegand 44", true, true) + "," + Radio("wiegand-58", "Wiegand 58", false, true)));
    CHECK(Contains(view, Radio("direct", "Direct (active '1')", true, true)));
    CHECK(Contains(view, "\"lamp\":\"#00ffff\""));  // Wiegand 44: cyan
    CHECK(Contains(view, "\"lamp\":\"#00ff00\""));  // Static: green
    // The card group stands greyed on the KRU/KRM page, at the window's default.
    CHECK(Contains(view, "\"setting\":\"cards\",\"legend\":\" 5) CARD FOR READ: \",\"enabled\":false"));
    CHECK(Contains(view, Radio("all", "HID, EM-Marine + MIFARE, Pay", true, false)));
    CHECK(Contains(view, "\"problems\":[]"));
    // Russian legends and translated captions as UTF-8.
    const std::string russian = View(kKrm, "", 0);
    CHECK(Contains(russian, u8"\" 1) ИНТЕРФЕЙСЫ: \""));
    CHECK(Contains(russian, u8"\"caption\":\"Прямая (активная '1')\""));
    CHECK(Contains(russian, "\"caption\":\"Wiegand 44\""));
}

TEST_CASE("the firmware rules grey the choices a reader cannot take") {
    CHECK(Contains(View(kKru), Radio("wiegand-58", "Wiegand 58", false, false)));
    CHECK(Contains(View(Reader{0, 'M', 100, "1.00TMX1DO"}), Radio("wiegand-58", "Wiegand 58", false, false)));
    CHECK(Contains(View(kUsb110), Radio("7", "7", true, true)));
    CHECK(Contains(View(kUsb110, "format=touch-memory\n"), Radio("7", "7", true, false)));
    CHECK(Contains(View(Reader{1, 'B', 200, "2.00ATMX7XM"}), Radio("7", "7", true, true)));
    CHECK(Contains(View(Reader{1, 'B', 100, "1.00WHDH5EM"}), Radio("7", "7", false, false)));
    // No type with Touch Memory output; the USB groups other than the mode keep white lamps.
    const std::string tm = View(Reader{1, 'B', 110, "1.10ATMX5XM"});
    CHECK(Contains(tm, Radio("hex", "HEX", false, false) + "," + Radio("dec", "DEC", false, false)));
    CHECK(Contains(tm, "\"lamp\":\"#ff00ff\""));
    CHECK_FALSE(Contains(tm, "\"setting\":\"cards\",\"legend\":\" 5) CARD FOR READ: \",\"enabled\":false"));
}

TEST_CASE("values a reader holds that name no choice: the window's messages, no radio checked") {
    const std::string view = View(Reader{0, 'U', 110, "1.10tmx1do"});
    CHECK(Contains(view, "\"problems\":[\"READER INTERFACE - NOT RECOGNIZED!\","
                         "\"INDICATION IN STANDBY MODE - NOT RECOGNIZED!\",\"TOUCH BUTTON POLL - NOT RECOGNIZED!\"]"));
    CHECK(Contains(view, Radio("touch-memory", "Touch Memory", false, true)));
    CHECK(Contains(view, "\"lamp\":\"#ffffff\""));
    // A bad USB format leaves the type unread too, as vireo4 names both.
    const std::string usb = View(Reader{1, 'B', 110, "1.10WHXH5EM"});
    CHECK(Contains(usb, "\"problems\":[\"ID CARD OUTPUT FORMAT - NOT RECOGNIZED!\",\"ID CARD OUTPUT TYPE - NOT RECOGNIZED!\"]"));
    CHECK(Contains(View(Reader{1, 'B', 110, "1.10WHDQ6EM"}),
                   "\"problems\":[\"ID CARD OUTPUT TYPE - NOT RECOGNIZED!\",\"NUMBER OF BYTE ID CARD - NOT RECOGNIZED!\"]"));
}

TEST_CASE("choices: the user's picks on top of the reader's settings, with the window's page rules") {
    CHECK(Has(Choose(kKrm, "", "interface=wiegand-26"), "choices", "\"interface=wiegand-26\\n\""));
    CHECK(Has(Choose(kKrm, "interface=wiegand-26\n", "interface=touch-memory"), "choices",
              "\"interface=touch-memory\\n\""));
    // Touch Memory at 1.10 with 7 bytes takes 5, and drops a type given before.
    CHECK(Has(Choose(kUsb110, "type=dec\n", "format=touch-memory"), "choices",
              "\"format=touch-memory\\nbytes=5\\n\""));
    CHECK(Has(Choose(Reader{1, 'B', 200, "2.00WHDH7EM"}, "", "format=touch-memory"), "choices",
              "\"format=touch-memory\\n\""));
    // HEX or DEC after Touch Memory starts with HEX.
    CHECK(Has(Choose(Reader{1, 'B', 110, "1.10ATMX5XM"}, "", "format=hex-or-dec"), "choices",
              "\"format=hex-or-dec\\ntype=hex\\n\""));
    // Names of the other family, and nonsense, are never taken.
    CHECK(Has(Choose(kKrm, "bytes=5\n", "standby=sideways"), "choices", "\"\""));
}

std::string Target(const Reader& r, const std::string& choices) {
    return Take(vw_target(r.family, r.model, r.version, Bytes(r.payload), Length(r.payload), Bytes(choices),
                          Length(choices), 1));
}

std::string ProfileTarget(const std::string& profile, const Reader& r) {
    return Take(vw_profile_target(Bytes(profile), Length(profile), r.family, r.model, r.version, Bytes(r.payload),
                                  Length(r.payload), 1));
}

TEST_CASE("what a write would change, or why it cannot be, in vireo4's words and statuses") {
    const std::string plan = Target(kKrm, "interface=wiegand-58\nstandby=off\n");
    CHECK(Has(plan, "status", "\"ok\""));
    CHECK(Has(plan, "command", "\"AT+W581AO\""));
    CHECK(Has(plan, "changes", "[{\"name\":\"interface\",\"before\":\"wiegand-44\",\"after\":\"wiegand-58\"},"
                               "{\"name\":\"standby\",\"before\":\"static\",\"after\":\"off\"}]"));
    CHECK(Has(Target(kKrm, "interface=wiegand-44\n"), "changes", "[]"));
    const std::string kru = Target(kKru, "interface=wiegand-58\n");
    CHECK(Has(kru, "status", "\"not-allowed\""));
    CHECK(Has(kru, "detail", "\"wiegand-58 needs a KRM reader with firmware 1.10 or later\""));
    CHECK(Has(Target(Reader{1, 'B', 110, "1.10WHDH5EM"}, "format=touch-memory\nbytes=7\n"), "detail",
              "\"bytes=7 with format touch-memory needs firmware above 1.10\""));
    const std::string odd = Target(Reader{0, 'U', 110, "1.10W271DO"}, "standby=off\n");
    CHECK(Has(odd, "status", "\"not-recognized\""));
    CHECK(Has(odd, "detail", "\"the reader's interface is not recognised: choose a value before writing\""));
    CHECK(Has(Target(Reader{0, 'U', 110, "1.10W271DO"}, "interface=touch-memory\n"), "command", "\"AT+TMX1DO\""));
}

TEST_CASE("a profile on a reader: its family's section planned, the other family skipped") {
    const std::string profile = "[kru-krm]\ninterface = wiegand-26\n";
    CHECK(Has(ProfileTarget(profile, kKrm), "command", "\"AT+W261SO\""));
    const std::string usb = ProfileTarget(profile, kUsb110);
    CHECK(Has(usb, "status", "\"skipped\""));
    CHECK(Has(usb, "detail", "\"the profile has no [usb] section\""));
    CHECK(Has(ProfileTarget("[usb]\nbytes = 6\n", kUsb110), "status", "\"usage\""));
    CHECK(Has(ProfileTarget("[usb]\nbytes = 7\nformat = touch-memory\n", kUsb110), "status", "\"not-allowed\""));
}

TEST_CASE("profiles: written as vireo4 writes them, checked by the core's parser") {
    const std::string label = "Port 1";
    const std::string krm = Take(vw_profile_text(0, 'M', 110, Bytes(kKrm.payload), Length(kKrm.payload), Bytes(label),
                                                 Length(label)));
    CHECK(Has(krm, "text", "\"# Port 1: Vireo-4KRM, 1.10\\n[kru-krm]\\ninterface = wiegand-44\\nindication = direct\\n"
                           "standby = static\\ntouch-poll = on\\n\""));
    CHECK(Has(krm, "fileName", "\"kru-krm.ini\""));
    const std::string tm = "1.10ATMX4XM";
    CHECK(Has(Take(vw_profile_text(1, 'B', 110, Bytes(tm), Length(tm), Bytes(label), Length(label))), "text",
              "\"# Port 1: Vireo-4-USB, 1.10\\n[usb]\\nmode = all\\nformat = touch-memory\\ntype = none\\nbytes = 4\\n"
              "cards = mifare\\n\""));
    // A value the reader holds that names no choice is left out: no profile could set it.
    const std::string odd = "1.10W27XDO";
    CHECK(Has(Take(vw_profile_text(0, 'U', 110, Bytes(odd), Length(odd), Bytes(label), Length(label))), "text",
              "\"# Port 1: Vireo-4KRU, 1.10\\n[kru-krm]\\nstandby = dynamic\\ntouch-poll = on\\n\""));

    auto check = [](const std::string& text) { return Take(vw_profile_check(Bytes(text), Length(text), 1)); };
    CHECK(Has(check("[usb]\nbytes = 4\n[kru-krm]\n"), "sections", "{\"kru-krm\":true,\"usb\":true}"));
    CHECK(Has(check("[usb]\nbytes = 6\n"), "error", "\"line 2: unknown value '6' of bytes\""));
    CHECK(Has(check("\n[<b>x</b>]\n"), "error", "\"line 2: unknown section [<b>x</b>] (use [kru-krm] or [usb])\""));
    CHECK(Has(check("[usb]\nstandby = off\n"), "error",
              "\"line 2: unknown setting 'standby' (settings: mode, format, type, bytes, cards)\""));
    // Notepad's "Unicode" (UTF-16 with its byte order mark) reads as the same profile.
    CHECK(Has(check(std::string("\xFF\xFE[\0u\0s\0b\0]\0\n\0", 14)), "sections", "{\"kru-krm\":false,\"usb\":true}"));
}
