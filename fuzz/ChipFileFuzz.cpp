// libFuzzer target: the line tokenizer, the number parser and the chip description reader.
#include "FuzzCheck.h"
#include "chip/ChipFileReader.h"
#include "chip/ChipModel.h"
#include "chip/ChipText.h"
#include "chip/ParsedLine.h"
#include "chip/RegisterRefresh.h"
#include "files/NumberText.h"
#include "files/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using qn::fuzz::Require;
using qn::fuzz::sink;

void CheckModel(const qn::ChipModel& model) {
    for (int32_t i = 0; i < model.BitRegs.Count(); ++i)
        Require(model.BitRegs.Get(i)->Address < qn::kRegImageSize);
    for (int32_t i = 0; i < model.ByteRegs.Count(); ++i)
        Require(model.ByteRegs.Get(i)->Address < qn::kRegImageSize);
    for (int32_t i = 0; i < model.WordRegs.Count(); ++i) {
        Require(model.WordRegs.Get(i)->AddressH < qn::kRegImageSize);
        Require(model.WordRegs.Get(i)->AddressL < qn::kRegImageSize);
    }
    for (const std::string_view name : model.AdcFields.Names()) {
        const qn::RegFieldDesc& field = model.AdcFields[name];
        Require(!field.Defined || field.Address < qn::kRegImageSize);
        Require(field.Items.size() <= qn::ParsedLine::kMaxWords);
    }
    for (const auto& row : model.ByteGrid.Rows)
        for (const std::string& cell : row) Require(cell.size() <= 3 * qn::ParsedLine::kMaxLength);
    for (uint8_t gain : model.PgaGainTable) Require(gain != 0);
    for (uint8_t gain : model.AdcGainTable) Require(gain != 0);
}

void TokenizeLine(std::string_view line) {
    const qn::ParsedLine parsed(qn::UpperText950(line));
    Require(parsed.Text().size() <= qn::ParsedLine::kMaxLength);
    Require(parsed.WordCount() <= qn::ParsedLine::kMaxWords);
    sink = sink + static_cast<size_t>(parsed.WordCount()) + parsed.Tail().size();
    for (int n = 1; n <= parsed.WordCount(); ++n) {
        Require(!parsed.WordView(n).empty());
        int32_t value = 0;
        if (qn::ParseNumber(parsed.WordView(n), value)) sink = sink + static_cast<size_t>(value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    qn::ChipModel model;
    qn::ChipFileReader reader(model);
    for (std::string_view line : qn::SplitTextLines(content)) {
        TokenizeLine(line);
        reader.ReadLine(line);
    }
    CheckModel(model);
    qn::RegImageBytes image{};
    image.fill(static_cast<uint8_t>(size));
    qn::RefreshRegisterValues(model, image);
    for (int page = 0; page < qn::kRegPageCount; ++page)
        sink = sink + qn::BitGridRows(model, page).size();
    sink = sink + model.ByteGrid.Rows.size() + model.WordGrid.Rows.size() +
           (reader.AsksSpecialLink() ? 1u : 0u);
    return 0;
}
