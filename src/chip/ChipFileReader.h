// Reads a chip description file line by line into the chip model.
#pragma once

#include "chip/ChipDirectives.h"
#include "chip/ChipModel.h"
#include "chip/ParsedLine.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qn {

// Feeds the lines of one chip description file into a model that chip selection has prepared.
// Every address must lie in the 1024-byte image: a register or field line naming an address
// outside it is ignored, and a RAM bank marks only its addresses inside the image.
class ChipFileReader {
  public:
    explicit ChipFileReader(ChipModel& model) : model_(model) {}

    // Handles one line as stored in the file (code page 950, no line ending).
    void ReadLine(std::string_view raw);

    // The product "52K12" works on the "Special" link; the selection step switches the link.
    bool AsksSpecialLink() const { return asksSpecialLink_; }

  private:
    void OpenSection(Directive directive);
    void ShowControls(Directive directive);
    void DataLine(const ParsedLine& line, std::string_view raw);
    void SettingLine(const ParsedLine& line, Directive section);
    void ProductLine(const ParsedLine& line);
    void RangeLine(const ParsedLine& line, AddressRange& range);
    void RamBankLine(const ParsedLine& line, int bank);
    void BitRegLine(const ParsedLine& line, int page);
    void ByteRegLine(const ParsedLine& line);
    void WordRegLine(const ParsedLine& line);
    void DescriptionLine(const ParsedLine& line, std::string_view raw, Directive section);
    void SelectDescribed(int32_t key, Directive section);
    void DescribeBitReg(std::string_view text);
    void FieldLine(const ParsedLine& line, FieldSet& fields, Directive section);
    void TakeItems(const ParsedLine& line, RegFieldDesc& field);
    static void GainLine(const ParsedLine& line, std::span<uint8_t> table);

    ChipModel& model_;
    bool asksSpecialLink_ = false;
    std::optional<Directive> section_;
    // Last numbers of the register lines: a word that does not parse keeps the previous one.
    int32_t address_ = 0;
    int32_t addressL_ = 0;
    int32_t mask_ = 0;
    int32_t maskL_ = 0;
    // Record that the description lines describe (-1: none) and the text lines it has taken.
    int32_t described_ = -1;
    int textLines_ = 0;
};

// Texts kept by the model: cut to `maxBytes` of the file's code page 950, stored as UTF-8.
std::string StoredText(std::string_view text, size_t maxBytes = ParsedLine::kMaxLength);

} // namespace qn
