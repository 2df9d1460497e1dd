#pragma once
// One reader's settings whatever its family, for the face.
// TODO(core-rules): the core's family-agnostic reader settings replace this file.
#include <cstddef>
#include <string>

#include "core/settings.h"

struct FamilySettings {
    int family;
    KruKrmSettings kruKrm;
    UsbSettings usb;
};

FamilySettings DecodeFamilySettings(int family, const std::string& payload);
int SettingValueAt(const FamilySettings& settings, std::size_t index);
void SetSettingValueAt(FamilySettings* settings, std::size_t index, int value);
// A setting whose value means something: the USB type only with HEX or DEC output.
bool SettingMeaningful(const FamilySettings& settings, std::size_t index);
// The setting characters of the family's write command for these settings.
std::string EncodeFamilySettings(const FamilySettings& settings);
bool FamilySettingsComplete(const FamilySettings& settings);

// Whether the firmware rules let a choice be made on this reader, given the other settings
// shown: Wiegand 58 and 7 ID bytes by model and firmware; the USB type only with HEX or DEC.
bool ChoiceAllowed(const FamilySettings& shown, int firmwareVersion, char model, std::size_t index, int value);
