// SPDX-License-Identifier: Apache-2.0
#include "core/outcome_text.h"

#include "core/messages.h"
#include "core/text_cp1251.h"
#include "core/ui_text.h"

std::string OutcomeDetail(int language, const EngineOutcome& outcome) {
    switch (outcome.status) {
        case Status::Mismatch:
            return Format(MessageText(language, Msg::Mismatch), outcome.written, outcome.readBack.chars);
        case Status::Unconfirmed:
            return std::string(MessageText(language, Msg::Unconfirmed)) + " (" + StatusText(language, outcome.cause) +
                   ")";
        case Status::NotRecognized:
            if (outcome.tooLarge == CardIdField::None) break;
            return Format(MessageText(language, Msg::CardNumberTooLarge),
                          Cp1251ToUtf8(UiTextIn(language, outcome.tooLarge == CardIdField::Barcode ? TextBarcode
                                                                                                   : TextCipherId)));
        default: break;
    }
    return std::string();
}

std::string OutcomeText(int language, const EngineOutcome& outcome) {
    const std::string detail = OutcomeDetail(language, outcome);
    return detail.empty() ? StatusText(language, outcome.status) : detail;
}
