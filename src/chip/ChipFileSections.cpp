// Reads a chip description file line by line into the chip model: descriptions, fields, gains.
#include "chip/ChipFileReader.h"

#include "files/NumberText.h"

#include <algorithm>

namespace qn {
namespace {

// At most this many selector items fit on a field line (words 5..29).
constexpr uint32_t kMaxItems = ParsedLine::kMaxWords - 4;

template <typename List> int32_t FindKey(const List& list, int32_t key) {
    for (int32_t i = 0; i < list.Count(); ++i)
        if (key >= 0 && list.Address(i) == static_cast<uint32_t>(key)) return i;
    return -1;
}

} // namespace

void ChipFileReader::DescriptionLine(const ParsedLine& line, std::string_view raw,
                                     Directive section) {
    int32_t key = 0;
    if (ParseNumber(line.WordView(1), key)) {
        SelectDescribed(key, section);
        return;
    }
    if (!line.HasTail() || raw.empty()) return;
    const std::string_view text = raw.substr(1);
    if (section == Directive::RegBitStr) return DescribeBitReg(text);
    if (section == Directive::RegByteStr) {
        if (ByteRegRecord* reg = model_.ByteRegs.Get(described_))
            reg->Description = StoredText(text, kRegDescriptionMax);
    } else if (WordRegRecord* reg = model_.WordRegs.Get(described_)) {
        reg->Description = StoredText(text, kRegDescriptionMax);
    }
}

void ChipFileReader::SelectDescribed(int32_t key, Directive section) {
    switch (section) {
    case Directive::RegBitStr:
        described_ = FindKey(model_.BitRegs, key);
        break;
    case Directive::RegByteStr:
        described_ = FindKey(model_.ByteRegs, key);
        break;
    default:
        described_ = FindKey(model_.WordRegs, key);
        break;
    }
    textLines_ = 0;
}

void ChipFileReader::DescribeBitReg(std::string_view text) {
    BitRegRecord* reg = model_.BitRegs.Get(described_);
    if (reg == nullptr || textLines_ > 8) return;
    if (textLines_ == 0)
        reg->Description = StoredText(text, kRegDescriptionMax);
    else
        reg->Bits[static_cast<size_t>(textLines_ - 1)].Description =
            StoredText(text, kBitDescriptionMax);
    ++textLines_;
}

void ChipFileReader::FieldLine(const ParsedLine& line, FieldSet& fields, Directive section) {
    const std::string_view name = line.WordView(2);
    RegFieldDesc* field = fields.Find(name);
    if (field == nullptr) return;
    int32_t address = field->Address;
    if (ParseNumber(line.WordView(1), address) && !InRegImage(address)) return;
    field->Address = static_cast<uint16_t>(address);
    field->Defined = true;
    if (section == Directive::Adc0s && (name == "ADCO" || name == "TSO")) return;
    const int widthWord = section == Directive::Cmp0s && HasCaptionWord(name) ? 4 : 3;
    int32_t width = field->Width;
    int32_t lsb = field->Lsb;
    ParseNumber(line.WordView(widthWord), width);
    ParseNumber(line.WordView(widthWord + 1), lsb);
    field->Width = static_cast<uint8_t>(width);
    field->Lsb = static_cast<uint8_t>(lsb);
    if (section == Directive::Adc0s && ItemsFromFile(name)) TakeItems(line, *field);
}

void ChipFileReader::TakeItems(const ParsedLine& line, RegFieldDesc& field) {
    const uint32_t count = std::min(field.Width >= 31 ? kMaxItems : 1u << field.Width, kMaxItems);
    field.Items.clear();
    for (uint32_t i = 0; i < count; ++i)
        field.Items.push_back(StoredText(line.WordView(5 + static_cast<int>(i))));
}

void ChipFileReader::GainLine(const ParsedLine& line, std::span<uint8_t> table) {
    for (size_t i = 0; i < table.size(); ++i) {
        int32_t value = table[i];
        if (!ParseNumber(line.WordView(static_cast<int>(i) + 1), value)) continue;
        table[i] = static_cast<uint8_t>(value);
        if (table[i] == 0) table[i] = 1;
    }
}

} // namespace qn
