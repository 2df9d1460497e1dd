#include "web/settings_face.h"

#include <cstdio>

#include "core/family.h"
#include "core/setting_looks.h"
#include "core/setting_names.h"
#include "core/text_cp1251.h"
#include "core/ui_text.h"
#include "web/family_settings.h"
#include "web/json.h"

namespace {

// What the window's USB page does beside a choice of output format: Touch Memory takes "5" where
// the firmware forbids "7" with it, and HEX or DEC starts with "HEX".
constexpr const char kFormatName[] = "format";
constexpr std::size_t kUsbTypeIndex = 2;
constexpr const char kFallbackBytes[] = "bytes=5\n";
constexpr const char kDefaultType[] = "type=hex\n";

// A lamp whose group holds no recognised choice shows no colour of its own.
constexpr LampColor kNoChoiceLamp = kWhite;
constexpr int kByteMask = 0xFF;

std::string CssColor(LampColor color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", static_cast<int>(color & kByteMask),
                  static_cast<int>((color >> 8) & kByteMask), static_cast<int>((color >> 16) & kByteMask));
    return text;
}

std::string WindowText(int language, int id) { return Cp1251ToUtf8(UiTextIn(language, static_cast<UiTextId>(id))); }

std::string Caption(int language, const ChoiceLook& look) {
    return look.textId == kFixedCaption ? look.caption : WindowText(language, look.textId);
}

FamilySettings Shown(const PageReader& reader, const std::vector<SettingChoice>& choices) {
    FamilySettings shown = DecodeFamilySettings(reader.family, reader.payload);
    for (const SettingChoice& choice : choices) SetSettingValueAt(&shown, choice.index, choice.value);
    return shown;
}

std::string Lines(int family, const std::vector<SettingChoice>& choices) {
    std::size_t count = 0;
    const SettingName* names = SettingNamesOf(family, &count);
    std::string lines;
    for (const SettingChoice& choice : choices)
        if (choice.index < count) lines += std::string(names[choice.index].name) + "=" +
                                           SettingValueText(names[choice.index], choice.value) + "\n";
    return lines;
}

std::vector<SettingChoice> Without(std::vector<SettingChoice> choices, std::size_t index) {
    std::vector<SettingChoice> kept;
    for (const SettingChoice& choice : choices)
        if (choice.index != index) kept.push_back(choice);
    return kept;
}

// One group: its legend, lamp and radios. value is what the group shows (0: no choice).
void Group(Json* json, int language, const char* setting, const SettingLook& look, const SettingName& name,
           int value, bool enabled, const FamilySettings* shown, const PageReader& reader, std::size_t index) {
    LampColor lamp = kNoChoiceLamp;
    json->BeginObject().Field("setting", setting).Field("legend", WindowText(language, look.legendTextId))
        .Field("enabled", enabled).Key("choices").BeginArray();
    for (std::size_t k = 0; k < look.choiceCount && k < name.valueCount; ++k) {
        const int choice = name.values[k].value;
        if (choice == value) lamp = look.choices[k].lamp;
        const bool allowed = shown == nullptr ||
                             ChoiceAllowed(*shown, reader.firmwareVersion, reader.model, index, choice);
        json->BeginObject().Field("value", name.values[k].name).Field("caption", Caption(language, look.choices[k]))
            .Field("checked", choice == value).Field("enabled", enabled && allowed).EndObject();
    }
    json->EndArray().Field("lamp", CssColor(lamp)).EndObject();
}

}  // namespace

std::vector<SettingChoice> ParseChoices(int family, const std::string& lines) {
    std::vector<SettingChoice> choices;
    std::size_t start = 0;
    while (start < lines.size()) {
        std::size_t end = lines.find('\n', start);
        if (end == std::string::npos) end = lines.size();
        const std::string line = lines.substr(start, end - start);
        start = end + 1;
        const std::size_t equals = line.find('=');
        SettingChoice choice{0, 0, 0};
        if (equals == std::string::npos ||
            LookUpSetting(family, line.substr(0, equals), line.substr(equals + 1), &choice) != ProfileProblem::None)
            continue;
        for (auto it = choices.begin(); it != choices.end(); ++it) {
            if (it->index == choice.index) {
                choices.erase(it);
                break;
            }
        }
        choices.push_back(choice);
    }
    return choices;
}

std::string ViewJson(const PageReader& reader, const std::string& choiceLines, int language) {
    std::size_t count = 0, looks = 0;
    const SettingName* names = SettingNamesOf(reader.family, &count);
    const SettingLook* look = SettingLooksOf(reader.family, &looks);
    const FamilySettings held = DecodeFamilySettings(reader.family, reader.payload);
    const FamilySettings shown = Shown(reader, ParseChoices(reader.family, choiceLines));
    Json json;
    json.BeginObject().Key("groups").BeginArray();
    for (std::size_t i = 0; i < count && i < looks; ++i) {
        const int value = SettingMeaningful(shown, i) ? SettingValueAt(shown, i) : 0;
        Group(&json, language, names[i].name, look[i], names[i], value, true, &shown, reader, i);
    }
    if (reader.family == kKruKrm) {
        // The window's card-for-read group stands on this page too, greyed, at its default.
        std::size_t usbCount = 0, usbLooks = 0;
        const SettingName* usbNames = SettingNamesOf(kUsb, &usbCount);
        const SettingLook* usbLook = SettingLooksOf(kUsb, &usbLooks);
        const SettingName& cards = usbNames[kSharedCardsSetting];
        Group(&json, language, cards.name, usbLook[kSharedCardsSetting], cards, cards.values[0].value, false, nullptr,
              reader, kSharedCardsSetting);
    }
    json.EndArray().Key("problems").BeginArray();
    for (std::size_t i = 0; i < count && i < looks; ++i)
        if (SettingMeaningful(held, i) && SettingValueAt(held, i) == 0)
            json.Text(WindowText(language, look[i].notRecognizedTextId));
    json.EndArray().EndObject();
    return json.str();
}

std::string ChooseJson(const PageReader& reader, const std::string& choiceLines, const std::string& setting,
                       const std::string& value) {
    std::string lines = choiceLines + setting + "=" + value + "\n";
    const FamilySettings shown = Shown(reader, ParseChoices(reader.family, lines));
    if (reader.family == kUsb && setting == kFormatName) {
        if (shown.usb.format == OutputFormat::TouchMemory) {
            lines = Lines(reader.family, Without(ParseChoices(reader.family, lines), kUsbTypeIndex));
            if (shown.usb.bytes == ByteCount::Bytes7 && TouchMemoryDisablesBytes7(reader.firmwareVersion))
                lines += kFallbackBytes;
        } else if (shown.usb.format == OutputFormat::HexOrDec && shown.usb.type == OutputType::NotRecognized) {
            lines += kDefaultType;
        }
    }
    Json json;
    json.BeginObject().Field("choices", Lines(reader.family, ParseChoices(reader.family, lines))).EndObject();
    return json.str();
}
