// SPDX-License-Identifier: Apache-2.0
#include <windows.h>
#include <commctrl.h>

#include "gui/app.h"
#include "gui/texts.h"
#include "core/reader_settings.h"
#include "core/setting_table.h"
#include "core/settings.h"
#include "gui/session.h"
#include "gui/workflow.h"
#include "gui/controls.h"
#include "gui/lamps.h"

// The two reader pages: which controls each shows, their default choices, and the
// reactions to a tab change and to clicks on the setting radios.

namespace {

MainControls& c = g_controls;

HWND Radio(int id) { return (id > 0 && id < kRadioSlots) ? c.radio[id] : nullptr; }

void Show(HWND window, int showCommand) { ShowWindow(window, showCommand); }

void Check(int first, int last, int checked) { CheckRadioButton(g_mainWindow, first, last, checked); }

// The group box of a setting, in the order of the setting table.
HWND GroupBox(int family, std::size_t index) {
    const HWND kruKrm[] = {c.groupInterfaces, c.groupIndicationControl, c.groupStandby, c.groupTouchPoll};
    const HWND usb[] = {c.groupOperatingMode, c.groupOutputFormat, c.groupOutputType, c.groupByteCount,
                        c.groupCardForRead};
    if (family == kUsb) return index < sizeof usb / sizeof usb[0] ? usb[index] : nullptr;
    return index < sizeof kruKrm / sizeof kruKrm[0] ? kruKrm[index] : nullptr;
}

void EnableRadios(const SettingFacts& setting, BOOL enable) {
    for (std::size_t k = 0; k < setting.valueCount; ++k) EnableWindow(Radio(setting.values[k].radioId), enable);
}

void CheckValue(const SettingFacts& setting, int value) {
    Check(FirstRadioOf(setting), LastRadioOf(setting), RadioOfValue(setting, value));
}

const SettingFacts& SharedCards() { return *SettingOf(kUsb, kSharedCardsSetting); }

// The card-for-read group is usable only while the USB page is shown.
void EnableCardForRead(BOOL enable) {
    EnableWindow(c.groupCardForRead, enable);
    EnableRadios(SharedCards(), enable);
}

// A firmware rule whose condition lies on the setting chosen: the condition met takes the
// rule's choice away from the firmware it names (its checked radio gives way to the next
// choice); any other value only offers it again, never takes it away (the reply's rule
// without its disabling half), and gives back what the reader last reported (or was last
// written).
void ApplyRuleConditions(int family, std::size_t index, int value) {
    std::size_t count = 0;
    const SettingFacts* settings = SettingsOf(family, &count);
    for (std::size_t i = 0; i < count; ++i) {
        const FirmwareRule* rule = settings[i].rule;
        if (rule == nullptr || !rule->conditional || rule->conditionSetting != index) continue;
        const int first = FirstRadioOf(settings[i]), last = LastRadioOf(settings[i]);
        const HWND ruled = Radio(RadioOfValue(settings[i], rule->value));
        if (value == rule->conditionValue) {
            if (!ConditionTakesAway(*rule, g_session.firmwareVersion)) continue;
            EnableWindow(ruled, FALSE);
            if (SendMessageA(ruled, BM_GETCHECK, 0, 0) == BST_CHECKED)
                Check(first, last, RadioOfValue(settings[i], NextValue(settings[i], rule->value)));
        } else if (RuleAvailability(*rule, g_session.firmwareVersion, g_session.modelLetter) == AvailabilityEnable) {
            EnableWindow(ruled, TRUE);
            if (g_session.cachedSettings[0] == '\0') continue;
            const ReaderSettings cached =
                DecodeReaderSettings(family, g_session.cachedSettings + kFirmwareLabelLength,
                                     static_cast<std::size_t>(SettingsLengthOf(family)));
            const int id = RadioOfValue(settings[i], ReaderSettingValue(cached, i));
            if (id != kNoRadio) Check(first, last, id);
        }
    }
}

// Shows or hides a family's own groups (not the shared card-for-read group). A choice under
// a firmware rule is left disabled whether the page is shown or hidden: only a settings reply
// from a reader that offers it enables it again.
void ShowPage(int family, int showCommand) {
    std::size_t count = 0;
    const SettingFacts* settings = SettingsOf(family, &count);
    for (std::size_t i = 0; i < count; ++i) {
        if (family == kUsb && i == kSharedCardsSetting) continue;
        Show(GroupBox(family, i), showCommand);
        for (std::size_t k = 0; k < settings[i].valueCount; ++k) {
            Show(Radio(settings[i].values[k].radioId), showCommand);
            if (settings[i].rule && settings[i].rule->value == settings[i].values[k].value)
                EnableWindow(Radio(settings[i].values[k].radioId), FALSE);
        }
    }
}

// The lamps are not invalidated here: the callers do, or the first paint draws them.
void ApplyDefaults(int family) {
    ShowPage(family == kUsb ? kKruKrm : kUsb, SW_HIDE);
    ShowPage(family, SW_SHOW);
    std::size_t count = 0;
    const SettingFacts* settings = SettingsOf(family, &count);
    for (std::size_t i = 0; i < count; ++i) CheckValue(settings[i], settings[i].defaultValue);
    if (family != kUsb) CheckValue(SharedCards(), SharedCards().defaultValue);
    for (std::size_t i = 0; i < count; ++i) EnableDependentRadios(family, i, settings[i].defaultValue);
    EnableCardForRead(family == kUsb ? TRUE : FALSE);
    SetDefaultLampColors(family);
}

}  // namespace

bool EnableDependentRadios(int family, std::size_t index, int value) {
    std::size_t count = 0;
    const SettingFacts* settings = SettingsOf(family, &count);
    bool any = false;
    for (std::size_t i = 0; i < count; ++i) {
        const SettingCondition& condition = settings[i].meaningfulWhen;
        if (!condition.present || condition.setting != index) continue;
        EnableRadios(settings[i], condition.value == value ? TRUE : FALSE);
        any = true;
    }
    return any;
}

void ShowKruKrmPage(int showCommand) { ShowPage(kKruKrm, showCommand); }
void ShowUsbPage(int showCommand) { ShowPage(kUsb, showCommand); }
void ApplyKruKrmDefaults() { ApplyDefaults(kKruKrm); }
void ApplyUsbDefaults() { ApplyDefaults(kUsb); }

// A tab change loses the page's unwritten choices and looks for a reader of the new
// family, exactly as SEARCH does.
void OnReaderTabChanged() {
    const LRESULT selection = SendMessageA(c.tabs, TCM_GETCURSEL, 0, 0);
    if (selection == kUsb) {
        g_readerFamily = kUsb;
        SaveConfig();
        ApplyUsbDefaults();
    } else if (selection == kKruKrm) {
        g_readerFamily = kKruKrm;
        SaveConfig();
        ApplyKruKrmDefaults();
    } else {
        return;
    }
    InvalidateLamps();
    ResetSession();
    StartProgress(ProgressSearch, kSearchIntervalMs);
}

void OnSettingRadioClicked(int id) {
    RadioPlace place{};
    if (!FindRadio(id, &place)) return;
    if (EnableDependentRadios(place.family, place.setting, place.choice->value)) {
        ApplyRuleConditions(place.family, place.setting, place.choice->value);
        return;
    }
    int lamp = 0;
    LampColor color = 0;
    if (!LampForRadio(id, &lamp, &color)) return;
    g_lampColors[lamp] = color;
    InvalidateLamps();
}

bool IsRadioChecked(int id) {
    HWND radio = Radio(id);
    return radio && SendMessageA(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
