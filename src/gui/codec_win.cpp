// SPDX-License-Identifier: Apache-2.0
#include "gui/codec.h"

#include <windows.h>

#include <cstring>

#include "gui/app.h"
#include "gui/message.h"
#include "gui/texts.h"
#include "core/setting_names.h"
#include "core/setting_table.h"
#include "core/settings.h"
#include "gui/setting_radios.h"
#include "gui/settings_cache.h"
#include "gui/session.h"
#include "gui/workflow.h"
#include "gui/control_ids.h"
#include "gui/controls.h"
#include "gui/lamps.h"

namespace {

void ShowFirmwareLabel(const char* payload) {
    char label[kFirmwareLabelLength + 1] = {};
    std::memcpy(label, payload, kFirmwareLabelLength);
    SendMessageA(GetDlgItem(g_mainWindow, IdVersionValue), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(label));
}

void EnableRadio(int radioId, bool enable) {
    EnableWindow(GetDlgItem(g_mainWindow, radioId), enable ? TRUE : FALSE);
}

void ApplyAvailability(int radioId, Availability availability) {
    if (availability != AvailabilityKeep) EnableRadio(radioId, availability == AvailabilityEnable);
}

// Checks the radio of a setting's value within its group and gives the group's lamp, if it
// colours one, the colour of that choice; a value naming no choice is reported and its group
// left alone. The radio is checked even when it is disabled.
bool SelectField(int family, std::size_t index, int value) {
    const SettingFacts& setting = *SettingOf(family, index);
    const ChoiceFacts* choice = ChoiceOf(setting, value);
    if (choice == nullptr) {
        Report(UiText[setting.notRecognizedTextId], IconError);
        return false;
    }
    CheckRadioButton(g_mainWindow, FirstRadioOf(setting), LastRadioOf(setting), choice->radioId);
    if (setting.colorsLamp && setting.lamp >= 0 && setting.lamp < kLampCount) g_lampColors[setting.lamp] = choice->lamp;
    return true;
}

// Read whether the radio is enabled or not.
bool IsCheckedOnMainWindow(int radioId) {
    return SendDlgItemMessageA(g_mainWindow, radioId, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

void DecodeSettings(const char* payload) {
    if (payload == nullptr) return;
    if (g_readerFamily == kKruKrm) DecodeKruKrmSettings(payload);
    else if (g_readerFamily == kUsb) DecodeUsbSettings(payload);
}

void EncodeSettings(char* command, int* length) {
    if (g_readerFamily == kKruKrm) EncodeKruKrmSettings(command, length);
    else if (g_readerFamily == kUsb) EncodeUsbSettings(command, length);
    else *length = 0;  // nothing to send rather than a stale length
}

void DecodeKruKrmSettings(const char* payload) {
    // A refused firmware keeps the session (and its open port) as it is.
    if (!CheckFirmwareVersion(g_readerFamily, payload)) {
        Report(UiText[TextFirmwareUnsupported], IconError);
        g_session.firmwareSupported = false;
        return;
    }
    g_session.firmwareSupported = true;
    ShowFirmwareLabel(payload);
    ApplyAvailability(IdWiegand58, Wiegand58Availability(g_session.firmwareVersion, g_session.modelLetter));

    unsigned char bytes[kKruKrmPayloadLength];
    std::memcpy(bytes, payload, sizeof bytes);
    const KruKrmSettings settings = DecodeKruKrmPayload(bytes, kKruKrmPayloadLength);
    std::size_t count = 0;
    SettingsOf(kKruKrm, &count);
    for (std::size_t index = 0; index < count; ++index)
        SelectField(kKruKrm, index, KruKrmSettingValue(settings, index));

    CachePayload(bytes, kKruKrmPayloadLength, kKruKrmPayloadLength, g_session.cachedSettings);
    InvalidateLamps();
}

void EncodeKruKrmSettings(char* command, int* length) {
    *length = EncodeKruKrmCommand(KruKrmFromRadios(IsCheckedOnMainWindow), command);
    // Kept as the reader's settings as soon as the command is built, acknowledged or not.
    CacheCommandSettings(command, *length, g_session.cachedSettings);
}

void DecodeUsbSettings(const char* payload) {
    // Unlike the serial-line readers, a refused USB firmware ends the session.
    if (!CheckFirmwareVersion(g_readerFamily, payload)) {
        Report(UiText[TextFirmwareUnsupported], IconError);
        ResetSession();
        return;
    }
    g_session.firmwareSupported = true;
    ShowFirmwareLabel(payload);
    ApplyAvailability(IdBytes7, Bytes7Availability(g_session.firmwareVersion, g_session.modelLetter));

    unsigned char bytes[kUsbPayloadLength];
    std::memcpy(bytes, payload, sizeof bytes);
    const UsbSettings settings = DecodeUsbPayload(bytes, kUsbPayloadLength);

    // Only the operating mode has a lamp; it is repainted at once.
    if (SelectField(kUsb, kModeIndex, UsbSettingValue(settings, kModeIndex))) InvalidateLamps();

    // The type is usable beside hex-or-dec output only, and its radio checked only then.
    const int format = UsbSettingValue(settings, kFormatIndex);
    if (SelectField(kUsb, kFormatIndex, format)) {
        EnableDependentRadios(kUsb, kFormatIndex, format);
        if (format == SettingOf(kUsb, kTypeIndex)->meaningfulWhen.value) {
            SelectField(kUsb, kTypeIndex, UsbSettingValue(settings, kTypeIndex));
        } else if (TouchMemoryDisablesBytes7(g_session.firmwareVersion)) {
            EnableRadio(IdBytes7, false);
        }
    }

    SelectField(kUsb, kBytesIndex, UsbSettingValue(settings, kBytesIndex));
    SelectField(kUsb, kCardsIndex, UsbSettingValue(settings, kCardsIndex));

    CachePayload(bytes, kUsbPayloadLength, kUsbPayloadLength, g_session.cachedSettings);
}

void EncodeUsbSettings(char* command, int* length) {
    *length = EncodeUsbCommand(UsbFromRadios(IsCheckedOnMainWindow), command);
    CacheCommandSettings(command, *length, g_session.cachedSettings);
}
