// Reads a chip description file line by line into the chip model: directives, settings, registers.
#include "chip/ChipFileReader.h"

#include "chip/ChipText.h"
#include "files/Cp950Text.h"
#include "files/NumberText.h"

#include <algorithm>

namespace qn {
namespace {

// Parses `word` into `target`; a word that does not parse leaves the target as it was.
template <typename T> void ParseInto(std::string_view word, T& target) {
    int32_t value = 0;
    if (ParseNumber(word, value)) target = static_cast<T>(value);
}

void Increment(uint16_t& count) {
    count = static_cast<uint16_t>(count + 1);
}

// Places register k's name in a 9-column grid, opening two blank rows at each new grid row.
void PlaceName(NameGrid& grid, uint16_t k, std::string name) {
    const size_t row = 2 * static_cast<size_t>(k / 9);
    if (k % 9 == 0) {
        grid.SetRowCount(row + 2);
        grid.Rows[row] = {};
        grid.Rows[row + 1] = {};
    }
    if (row < grid.Rows.size()) grid.Rows[row][k % 9] = std::move(name);
}

bool IsDescriptionSection(Directive d) {
    return d == Directive::RegBitStr || d == Directive::RegByteStr || d == Directive::RegWordStr;
}

} // namespace

std::string StoredText(std::string_view text, size_t maxBytes) {
    return Cp950ToUtf8(Cut950(text, maxBytes));
}

void ChipFileReader::ReadLine(std::string_view raw) {
    const ParsedLine line(UpperText950(raw));
    if (const auto directive = FindDirective(line.WordView(1))) {
        if (ShowsControlsOnly(*directive))
            ShowControls(*directive);
        else
            OpenSection(*directive);
        return;
    }
    DataLine(line, raw);
}

void ChipFileReader::OpenSection(Directive directive) {
    section_ = directive;
    described_ = -1;
    textLines_ = 0;
    switch (directive) {
    case Directive::RegBit:
        model_.BitRegs.Clear();
        break;
    case Directive::RegByte:
        model_.ByteRegs.Clear();
        break;
    case Directive::RegWord:
        model_.WordRegs.Clear();
        break;
    case Directive::Adc0s:
        model_.HasAdcSection = true;
        break;
    default:
        break;
    }
}

void ChipFileReader::ShowControls(Directive directive) {
    ChipControls& c = model_.Controls;
    switch (directive) {
    case Directive::Fluke:
        c.Fluke = c.SaveFluke = c.DownLoadFluke = c.CalibratorPort = true;
        break;
    case Directive::Power:
        c.Power = c.SavePower = c.DownloadPower = c.PowerPort = true;
        break;
    case Directive::Enob:
        c.EnobTest = true;
        break;
    case Directive::Continue:
        c.ContinuousRead = true;
        break;
    case Directive::Chamber:
        c.ChamberPort = true;
        break;
    case Directive::RegisterTest:
        c.FileMenu = c.SaveReg = c.DownloadReg = true;
        break;
    default:
        break;
    }
}

void ChipFileReader::DataLine(const ParsedLine& line, std::string_view raw) {
    if (!section_) return;
    const Directive section = *section_;
    if (IsDescriptionSection(section)) return DescriptionLine(line, raw, section);
    if (line.WordCount() == 0) return;
    if (const int page = BitRegPage(section); page >= 0) return BitRegLine(line, page);
    if (const int bank = RamBankOf(section); bank >= 0) return RamBankLine(line, bank);
    switch (section) {
    case Directive::Reg0:
        return RangeLine(line, model_.RegArea[0]);
    case Directive::Reg1:
        return RangeLine(line, model_.RegArea[1]);
    case Directive::RegByte:
        return ByteRegLine(line);
    case Directive::RegWord:
        return WordRegLine(line);
    case Directive::Reg3Byte:
        return Increment(model_.Reg3ByteCount);
    case Directive::Adc0s:
        return FieldLine(line, model_.AdcFields, section);
    case Directive::Op0s:
        return FieldLine(line, model_.OpFields, section);
    case Directive::Cmp0s:
        return FieldLine(line, model_.CmpFields, section);
    case Directive::PgaIndex:
        return GainLine(line, model_.PgaGainTable);
    case Directive::GainIndex:
        return GainLine(line, model_.AdcGainTable);
    default:
        return SettingLine(line, section);
    }
}

void ChipFileReader::SettingLine(const ParsedLine& line, Directive section) {
    const std::string_view word = line.WordView(1);
    int32_t value = 0;
    switch (section) {
    case Directive::Product:
        return ProductLine(line);
    case Directive::Compiler:
        model_.CompilerName = StoredText(word);
        return;
    case Directive::Id:
        return ParseInto(word, model_.ChipId);
    case Directive::SimIc:
        return ParseInto(word, model_.SimIc);
    case Directive::Rom:
        if (ParseNumber(word, value))
            model_.RomSize = value < 0x100 ? 0x1000u : static_cast<uint32_t>(value);
        return;
    case Directive::Stack:
        if (ParseNumber(word, value))
            model_.StackDepth = static_cast<uint8_t>(std::clamp(value, 4, 255));
        return;
    default:
        return; // "#SBMADDR" and the second-language descriptions: accepted, no effect
    }
}

void ChipFileReader::ProductLine(const ParsedLine& line) {
    model_.ProductName = StoredText(line.WordView(1));
    model_.RegisterCaption = model_.ProductName + "Register";
    asksSpecialLink_ = model_.ProductName == "52K12";
    model_.ShortSpecialAddress = asksSpecialLink_ || model_.ProductName == "52K21";
}

void ChipFileReader::RangeLine(const ParsedLine& line, AddressRange& range) {
    ParseInto(line.WordView(1), range.Start);
    ParseInto(line.WordView(2), range.End);
}

void ChipFileReader::RamBankLine(const ParsedLine& line, int bank) {
    AddressRange& range = model_.RamBank[static_cast<size_t>(bank)];
    RangeLine(line, range);
    if (!range.Present()) return;
    const size_t last = std::min<size_t>(range.End, kRegImageSize - 1);
    for (size_t a = range.Start; a <= last; ++a) model_.ImplementedMask[a] = 0xFF;
    model_.Controls.BankButtons[static_cast<size_t>(bank)] = true;
}

void ChipFileReader::BitRegLine(const ParsedLine& line, int page) {
    ParseInto(line.WordView(1), address_);
    if (!InRegImage(address_)) return;
    const auto a = static_cast<size_t>(address_);
    BitRegRecord reg;
    reg.Name = StoredText(line.WordView(2), kRegNameMax);
    reg.Address = static_cast<uint16_t>(address_);
    uint8_t mask = 0xFF;
    for (int bit = 0; bit < 8; ++bit) { // word 3 is bit 7
        const std::string_view name = line.WordView(3 + bit);
        if (name == "-") mask = static_cast<uint8_t>(mask & ~(0x80u >> bit));
        reg.Bits[static_cast<size_t>(bit)].Name = StoredText(name, kRegNameMax);
    }
    model_.ImplementedMask[a] = mask;
    model_.PreviousValue[a] = 0;
    model_.BitRegs.Add(reg);
    Increment(model_.BitRegCount[static_cast<size_t>(page)]);
    model_.Controls.PageButtons[static_cast<size_t>(page)] = true;
}

void ChipFileReader::ByteRegLine(const ParsedLine& line) {
    ParseInto(line.WordView(1), address_);
    ParseInto(line.WordView(3), mask_);
    if (!InRegImage(address_)) return;
    const auto a = static_cast<size_t>(address_);
    model_.ImplementedMask[a] = static_cast<uint8_t>(mask_);
    model_.PreviousValue[a] = 0;
    ByteRegRecord reg;
    reg.Address = static_cast<uint16_t>(address_);
    model_.ByteRegs.Add(reg);
    PlaceName(model_.ByteGrid, model_.ByteRegCount, StoredText(line.WordView(2)));
    Increment(model_.ByteRegCount);
}

void ChipFileReader::WordRegLine(const ParsedLine& line) {
    ParseInto(line.WordView(1), address_);
    ParseInto(line.WordView(3), addressL_);
    ParseInto(line.WordView(5), mask_);
    ParseInto(line.WordView(6), maskL_);
    if (!InRegImage(address_) || !InRegImage(addressL_)) return;
    const auto h = static_cast<size_t>(address_);
    const auto l = static_cast<size_t>(addressL_);
    model_.ImplementedMask[h] = static_cast<uint8_t>(mask_);
    model_.ImplementedMask[l] = static_cast<uint8_t>(maskL_);
    model_.PreviousValue[h] = model_.PreviousValue[l] = 0;
    WordRegRecord reg;
    reg.AddressH = static_cast<uint16_t>(address_);
    reg.AddressL = static_cast<uint16_t>(addressL_);
    model_.WordRegs.Add(reg);
    PlaceName(model_.WordGrid, model_.WordRegCount, StoredText(line.WordView(2)));
    Increment(model_.WordRegCount);
}

} // namespace qn
