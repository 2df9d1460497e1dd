// SPDX-License-Identifier: Apache-2.0
#pragma once
// The radio buttons of a page as the codec harnesses see them: a check state per control id,
// read through the same function pointer the Windows side passes (BM_GETCHECK there).
#include <cstring>

#include "gui/control_ids.h"

constexpr int kRadioIdLimit = 64;
inline bool g_checked[kRadioIdLimit];

inline bool IsRadioChecked(int radioId) { return radioId > 0 && radioId < kRadioIdLimit && g_checked[radioId]; }

inline void ClearRadios() { std::memset(g_checked, 0, sizeof g_checked); }

// Checks one radio of a group and clears the others, as CheckRadioButton does: the decoded
// radio when the field was recognised, otherwise the one the group held before (any of the
// group, chosen by the fuzzer, or none at all).
inline void CheckInGroup(const int* group, int groupSize, int decoded, unsigned char previous) {
    for (int i = 0; i < groupSize; ++i) g_checked[group[i]] = false;
    int chosen = decoded;
    if (chosen == 0) {
        int index = previous % (groupSize + 1);
        chosen = index < groupSize ? group[index] : 0;
    }
    if (chosen != 0) g_checked[chosen] = true;
}

// The checked radio of a group, or fallback when none is.
template <int N>
int CheckedOr(const int (&group)[N], int fallback) {
    for (int id : group)
        if (g_checked[id]) return id;
    return fallback;
}

// The window's codec path in radio terms: a payload decoded into named settings and shown as
// one radio per group, and the checked radios turned back into a write command.
#include "core/settings.h"
#include "gui/setting_radios.h"
#include "gui/settings_cache.h"

constexpr int kNotRecognized = kNoRadio;

struct KruKrmFields {
    int interfaceRadio, indicationRadio, standbyRadio, touchPollRadio;
};
inline KruKrmFields ParseKruKrmSettings(const unsigned char* bytes, int length) {
    const KruKrmSettings s = DecodeKruKrmPayload(bytes, length);
    return {RadioFor(s.interface), RadioFor(s.indication), RadioFor(s.standby), RadioFor(s.touchPoll)};
}
inline int BuildKruKrmCommand(RadioCheckedFn isChecked, char* command) {
    return EncodeKruKrmCommand(KruKrmFromRadios(isChecked), command);
}

struct UsbFields {
    int modeRadio, formatRadio, typeRadio, byteCountRadio, cardsRadio;
};
inline UsbFields ParseUsbSettings(const unsigned char* bytes, int length) {
    const UsbSettings s = DecodeUsbPayload(bytes, length);
    return {RadioFor(s.mode), RadioFor(s.format), RadioFor(s.type), RadioFor(s.bytes), RadioFor(s.cards)};
}
inline int BuildUsbCommand(RadioCheckedFn isChecked, char* command) {
    return EncodeUsbCommand(UsbFromRadios(isChecked), command);
}
