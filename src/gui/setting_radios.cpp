#include "gui/setting_radios.h"

#include <cstddef>

#include "gui/control_ids.h"

namespace {

template <typename E>
struct RadioOf {
    E value;
    int radio;
};

// In page order: the order in which a write looks for each group's checked radio.
constexpr RadioOf<Interface> kInterfaceRadios[] = {
    {Interface::TouchMemory, IdTouchMemory}, {Interface::Wiegand26, IdWiegand26},
    {Interface::Wiegand44, IdWiegand44},     {Interface::Wiegand58, IdWiegand58},
};
constexpr RadioOf<Indication> kIndicationRadios[] = {{Indication::Direct, IdDirect}, {Indication::Inverse, IdInverse}};
constexpr RadioOf<Standby> kStandbyRadios[] = {
    {Standby::Dynamic, IdDynamic}, {Standby::Static, IdStatic}, {Standby::Off, IdStandbyOff}};
constexpr RadioOf<TouchPoll> kTouchPollRadios[] = {{TouchPoll::On, IdPollOn}, {TouchPoll::Off, IdPollOff}};
constexpr RadioOf<UsbMode> kModeRadios[] = {{UsbMode::Windows, IdModeWindows}, {UsbMode::All, IdModeAll}};
constexpr RadioOf<OutputFormat> kFormatRadios[] = {
    {OutputFormat::HexOrDec, IdHexOrDec}, {OutputFormat::TouchMemory, IdFormatTouchMemory}};
constexpr RadioOf<OutputType> kTypeRadios[] = {{OutputType::Hex, IdHex}, {OutputType::Dec, IdDec}};
constexpr RadioOf<ByteCount> kByteCountRadios[] = {
    {ByteCount::Bytes7, IdBytes7}, {ByteCount::Bytes5, IdBytes5}, {ByteCount::Bytes4, IdBytes4},
    {ByteCount::Bytes3, IdBytes3}, {ByteCount::Bytes2, IdBytes2},
};
constexpr RadioOf<CardsToRead> kCardsRadios[] = {
    {CardsToRead::All, IdCardsAll}, {CardsToRead::EmHid, IdCardsEmHid}, {CardsToRead::Mifare, IdCardsMifare}};

template <typename E, std::size_t N>
int Lookup(const RadioOf<E> (&table)[N], E value) {
    for (const RadioOf<E>& row : table)
        if (row.value == value) return row.radio;
    return kNoRadio;
}

template <typename E, std::size_t N>
E FirstChecked(const RadioOf<E> (&table)[N], RadioCheckedFn isChecked) {
    for (const RadioOf<E>& row : table)
        if (isChecked(row.radio)) return row.value;
    return E::NotRecognized;
}

}  // namespace

int RadioFor(Interface value) { return Lookup(kInterfaceRadios, value); }
int RadioFor(Indication value) { return Lookup(kIndicationRadios, value); }
int RadioFor(Standby value) { return Lookup(kStandbyRadios, value); }
int RadioFor(TouchPoll value) { return Lookup(kTouchPollRadios, value); }
int RadioFor(UsbMode value) { return Lookup(kModeRadios, value); }
int RadioFor(OutputFormat value) { return Lookup(kFormatRadios, value); }
int RadioFor(OutputType value) { return Lookup(kTypeRadios, value); }
int RadioFor(ByteCount value) { return Lookup(kByteCountRadios, value); }
int RadioFor(CardsToRead value) { return Lookup(kCardsRadios, value); }

KruKrmSettings KruKrmFromRadios(RadioCheckedFn isChecked) {
    return KruKrmSettings{FirstChecked(kInterfaceRadios, isChecked), FirstChecked(kIndicationRadios, isChecked),
                          FirstChecked(kStandbyRadios, isChecked), FirstChecked(kTouchPollRadios, isChecked)};
}

UsbSettings UsbFromRadios(RadioCheckedFn isChecked) {
    return UsbSettings{FirstChecked(kModeRadios, isChecked), FirstChecked(kFormatRadios, isChecked),
                       FirstChecked(kTypeRadios, isChecked), FirstChecked(kByteCountRadios, isChecked),
                       FirstChecked(kCardsRadios, isChecked)};
}
