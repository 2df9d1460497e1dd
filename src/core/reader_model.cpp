// SPDX-License-Identifier: Apache-2.0
#include "core/reader_model.h"

#include "core/commands.h"

namespace {

struct ModelEntry {
    ReaderModel model;
    char letter;
    const char* shortName;
    const char* fullName;
};

constexpr ModelEntry kModels[] = {
    {ReaderModel::Kru, kModelKru, "KRU", "Vireo-4KRU"},
    {ReaderModel::Krm, kModelKrm, "KRM", "Vireo-4KRM"},
    {ReaderModel::Usb, kModelUsb, "USB", "Vireo-4-USB"},
};
constexpr const char kUnnamedModel[] = "Vireo-4xxx";

const ModelEntry* EntryOf(ReaderModel model) {
    for (const ModelEntry& entry : kModels)
        if (entry.model == model) return &entry;
    return nullptr;
}

}  // namespace

ReaderModel ModelOfLetter(char modelLetter) {
    for (const ModelEntry& entry : kModels)
        if (entry.letter == modelLetter) return entry.model;
    return ReaderModel::None;
}

const char* ModelShortName(ReaderModel model) {
    const ModelEntry* entry = EntryOf(model);
    return entry != nullptr ? entry->shortName : nullptr;
}

const char* ModelFullName(ReaderModel model) {
    const ModelEntry* entry = EntryOf(model);
    return entry != nullptr ? entry->fullName : kUnnamedModel;
}
