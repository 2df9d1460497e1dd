// SPDX-License-Identifier: Apache-2.0
// What a write would change, decided before anything is sent: the target characters, the
// changes by name, and each reason it cannot be done.
#include <doctest/doctest.h>

#include <string>

#include "core/change_plan.h"
#include "core/family.h"
#include "core/settings.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

ReaderFacts Kru(const std::string& chars, char model = 'U', int firmware = 110) {
    return ReaderFacts{kKruKrm, model, firmware, chars};
}
ReaderFacts Usb(const std::string& chars, int firmware = 110) { return ReaderFacts{kUsb, 'B', firmware, chars}; }

std::string Changes(const ChangePlan& plan) {
    std::string text;
    for (const SettingChange& c : plan.changes) text += (text.empty() ? "" : "; ") + c.name + " " + c.before + "->" + c.after;
    return text;
}

ChangeRefusal Refusal(const ReaderFacts& reader, const Pairs& pairs) { return PlanAssignments(reader, pairs).refusal; }

}  // namespace

TEST_CASE("a plan gives the target characters and each change by name; nothing when already held") {
    ChangePlan plan = PlanAssignments(Kru("TMX1DO"), {{"interface", "wiegand-26"}, {"Touch-Poll", "OFF"}});
    CHECK(plan.refusal == ChangeRefusal::None);
    CHECK(plan.chars == "W261DF");
    CHECK(Changes(plan) == "interface touch-memory->wiegand-26; touch-poll on->off");

    plan = PlanAssignments(Kru("W261DF"), {{"interface", "wiegand-26"}});
    CHECK((plan.refusal == ChangeRefusal::None && plan.chars == "W261DF" && plan.changes.empty()));

    // Touch Memory output drops the type; "none" is no type given.
    plan = PlanAssignments(Usb("WHDH5EM"), {{"format", "touch-memory"}, {"type", "none"}});
    CHECK(plan.chars == "WTMX5EM");
    CHECK(Changes(plan) == "format hex-or-dec->touch-memory; type hex->none");

    // A profile section's choices and whole characters come to the same plan.
    plan = PlanChoices(Kru("TMX1DO"), {SettingChoice{0, static_cast<int>(Interface::Wiegand44), 3}});
    CHECK(plan.chars == "W441DO");
    plan = PlanRawCharacters(Usb("WHDH5EM"), "ATMX4XM");
    CHECK(Changes(plan) == "mode windows->all; format hex-or-dec->touch-memory; type hex->none; bytes 5->4; "
                           "cards all->mifare");
}

TEST_CASE("every reason a write cannot be done, as a code") {
    CHECK(Refusal(Usb("ATMX4XM"), {{"type", "hex"}}) == ChangeRefusal::TypeBesideTouchMemory);
    CHECK(Refusal(Usb("WHDH5EM"), {{"format", "touch-memory"}, {"type", "dec"}}) == ChangeRefusal::TypeBesideTouchMemory);
    CHECK(Refusal(Usb("ATMX4XM"), {{"format", "hex-or-dec"}}) == ChangeRefusal::TypeNeeded);

    // A setting the reader holds but no name fits must be given.
    ChangePlan plan = PlanAssignments(Kru("TMX1QO"), {{"interface", "wiegand-26"}});
    CHECK((plan.refusal == ChangeRefusal::SettingNotRecognized && plan.setting == "standby"));
    CHECK(PlanAssignments(Kru("TMX1QO"), {{"standby", "static"}}).chars == "TMX1SO");

    plan = PlanAssignments(Kru("TMX1DO"), {{"mode", "all"}});
    CHECK((plan.refusal == ChangeRefusal::SettingOfOtherFamily && plan.setting == "mode"));
    plan = PlanAssignments(Kru("TMX1DO"), {{"colour", "red"}});
    CHECK((plan.refusal == ChangeRefusal::UnknownSetting && plan.setting == "colour"));
    plan = PlanAssignments(Kru("TMX1DO"), {{"interface", "wiegand-99"}});
    CHECK((plan.refusal == ChangeRefusal::UnknownValue && plan.setting == "interface" && plan.value == "wiegand-99"));

    for (const char* raw : {"W261D", "W261DFX", "W261DX", "", "WHDH5EM"})
        CHECK(PlanRawCharacters(Kru("TMX1DO"), raw).refusal == ChangeRefusal::NotSettingCharacters);
}

TEST_CASE("the firmware and model rules apply to a value being set, not to one already held") {
    const Pairs to58 = {{"interface", "wiegand-58"}};
    CHECK(Refusal(Kru("TMX1DO", 'U', 110), to58) == ChangeRefusal::Wiegand58NotAllowed);
    CHECK(Refusal(Kru("TMX1DO", 'M', 100), to58) == ChangeRefusal::Wiegand58NotAllowed);
    CHECK(Refusal(Kru("TMX1DO", 'M', 110), to58) == ChangeRefusal::None);
    CHECK(Refusal(Kru("W581DO", 'U', 110), {{"standby", "off"}}) == ChangeRefusal::None);

    const Pairs to7 = {{"bytes", "7"}};
    CHECK(Refusal(Usb("WHDH5EM", 100), to7) == ChangeRefusal::Bytes7NotAllowed);
    CHECK(Refusal(Usb("WHDH5EM", 110), to7) == ChangeRefusal::None);
    CHECK(Refusal(Usb("WTMX5EM", 110), to7) == ChangeRefusal::Bytes7WithTouchMemory);
    CHECK(Refusal(Usb("WTMX5EM", 200), to7) == ChangeRefusal::None);
    // Keeping 7 bytes while the format changes to touch-memory is setting it anew.
    CHECK(Refusal(Usb("WHDH7EM", 110), {{"format", "touch-memory"}}) == ChangeRefusal::Bytes7WithTouchMemory);
    CHECK(Refusal(Usb("WTMX7EM", 110), {{"mode", "all"}}) == ChangeRefusal::None);
    CHECK(PlanRawCharacters(Usb("WHDH5EM", 110), "WTMX7EM").refusal == ChangeRefusal::Bytes7WithTouchMemory);
}
