// libFuzzer target: the line tokenizer, the number parser and the chip description reader.
#include "FuzzCheck.h"
#include "chip/ChipFileReader.h"
#include "chip/ChipModel.h"
#include "chip/ChipText.h"
#include "chip/ParsedLine.h"
#include "chip/RegisterRefresh.h"
#include "files/NumberText.h"
#include "files/TextFile.h"

void qn::fuzz::Fuzz(const uint8_t* data, size_t size) {
    ChipModel model;
    ChipFileReader reader(model);
    for (std::string_view line : SplitTextLines(Text(data, size))) {
        const ParsedLine parsed(UpperText950(line));
        Require(parsed.Text().size() <= ParsedLine::kMaxLength);
        Require(parsed.WordCount() <= ParsedLine::kMaxWords);
        sink = sink + static_cast<size_t>(parsed.WordCount()) + parsed.Tail().size();
        for (int n = 1; n <= parsed.WordCount(); ++n) {
            Require(!parsed.WordView(n).empty());
            int32_t value = 0;
            if (ParseNumber(parsed.WordView(n), value)) sink = sink + static_cast<size_t>(value);
        }
        reader.ReadLine(line);
    }
    // Every register and field the reader kept lies inside the image.
    for (int32_t i = 0; i < model.BitRegs.Count(); ++i)
        Require(model.BitRegs.Get(i)->Address < kRegImageSize);
    for (int32_t i = 0; i < model.ByteRegs.Count(); ++i)
        Require(model.ByteRegs.Get(i)->Address < kRegImageSize);
    for (int32_t i = 0; i < model.WordRegs.Count(); ++i)
        Require(model.WordRegs.Get(i)->AddressH < kRegImageSize &&
                model.WordRegs.Get(i)->AddressL < kRegImageSize);
    for (const std::string_view name : model.AdcFields.Names()) {
        const RegFieldDesc& field = model.AdcFields[name];
        Require(!field.Defined || field.Address < kRegImageSize);
        Require(field.Items.size() <= ParsedLine::kMaxWords);
    }
    for (const auto& row : model.ByteGrid.Rows)
        for (const std::string& cell : row) Require(cell.size() <= 3 * ParsedLine::kMaxLength);
    for (uint8_t gain : model.PgaGainTable) Require(gain != 0);
    for (uint8_t gain : model.AdcGainTable) Require(gain != 0);
    RegImageBytes image{};
    image.fill(static_cast<uint8_t>(size));
    RefreshRegisterValues(model, image);
    for (int page = 0; page < kRegPageCount; ++page) sink = sink + BitGridRows(model, page).size();
    sink = sink + model.ByteGrid.Rows.size() + model.WordGrid.Rows.size() +
           (reader.AsksSpecialLink() ? 1u : 0u);
}
