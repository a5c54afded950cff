// The registers that differ between two register images, with their fields, as the register panel's
// "Compare with snapshot…" lists them.
#include "shell/SnapshotDiff.h"

#include "chip/RegField.h"
#include "chip/RegisterRefresh.h"
#include "files/NumberText.h"

#include <array>

namespace qn {
namespace {

// The register byte at `address` in both images, masked by its implemented bits.
struct BytePair {
    uint8_t Old = 0;
    uint8_t New = 0;
    uint8_t Changed() const { return static_cast<uint8_t>(Old ^ New); }
};

BytePair BytesAt(const ChipModel& model, const RegImageBytes& before, const RegImageBytes& after,
                 int address) {
    return {ShownValue(model, before, address), ShownValue(model, after, address)};
}

// The "#ADC0S", "#OP0S" and "#CMP0S" fields of `address` whose bits changed; their bits are
// added to `covered`.
void AddSetFields(const ChipModel& model, int address, BytePair bytes,
                  std::vector<FieldChange>& fields, uint8_t& covered) {
    const std::array<const FieldSet*, 3> sets = {&model.AdcFields, &model.OpFields,
                                                 &model.CmpFields};
    for (const FieldSet* set : sets) {
        for (std::string_view name : set->Names()) {
            const RegFieldDesc* field = set->Find(name);
            if (field == nullptr || !field->Defined || field->Width == 0 ||
                field->Address != address || (bytes.Changed() & field->ByteMask()) == 0)
                continue;
            fields.push_back(
                {std::string(name), field->Extract(bytes.Old), field->Extract(bytes.New)});
            covered = static_cast<uint8_t>(covered | field->ByteMask());
        }
    }
}

// Changed bits of a bit register that no field covers, by their names ("bit n" when unnamed).
void AddBits(const BitRegRecord& reg, BytePair bytes, uint8_t covered,
             std::vector<FieldChange>& fields) {
    for (int bit = 7; bit >= 0; --bit) {
        if (((bytes.Changed() & ~covered) >> bit & 1) == 0) continue;
        const std::string& name = reg.Bits[static_cast<size_t>(7 - bit)].Name;
        const bool unnamed = name.empty() || name == "-";
        fields.push_back({unnamed ? "bit " + std::to_string(bit) : name,
                          static_cast<uint32_t>(bytes.Old >> bit & 1),
                          static_cast<uint32_t>(bytes.New >> bit & 1)});
    }
}

// Register k's name in a 9-column name grid.
const std::string& GridName(const NameGrid& grid, int32_t k) {
    const auto index = static_cast<size_t>(k);
    return grid.Cell(index / NameGrid::kColumns * 2, index % NameGrid::kColumns);
}

void DiffBitRegisters(const ChipModel& model, const RegImageBytes& before,
                      const RegImageBytes& after, std::vector<RegisterChange>& changes) {
    for (int32_t k = 0; k < model.BitRegs.Count(); ++k) {
        const BitRegRecord& reg = *model.BitRegs.Get(k);
        const BytePair bytes = BytesAt(model, before, after, reg.Address);
        if (bytes.Changed() == 0) continue;
        RegisterChange change{reg.Name, reg.Address, false, bytes.Old, bytes.New, {}};
        uint8_t covered = 0;
        AddSetFields(model, reg.Address, bytes, change.Fields, covered);
        AddBits(reg, bytes, covered, change.Fields);
        changes.push_back(std::move(change));
    }
}

void DiffByteRegisters(const ChipModel& model, const RegImageBytes& before,
                       const RegImageBytes& after, std::vector<RegisterChange>& changes) {
    for (int32_t k = 0; k < model.ByteRegs.Count(); ++k) {
        const int address = model.ByteRegs.Get(k)->Address;
        const BytePair bytes = BytesAt(model, before, after, address);
        if (bytes.Changed() == 0) continue;
        RegisterChange change{
            GridName(model.ByteGrid, k), address, false, bytes.Old, bytes.New, {}};
        uint8_t covered = 0;
        AddSetFields(model, address, bytes, change.Fields, covered);
        changes.push_back(std::move(change));
    }
}

void DiffWordRegisters(const ChipModel& model, const RegImageBytes& before,
                       const RegImageBytes& after, std::vector<RegisterChange>& changes) {
    for (int32_t k = 0; k < model.WordRegs.Count(); ++k) {
        const WordRegRecord& reg = *model.WordRegs.Get(k);
        const BytePair high = BytesAt(model, before, after, reg.AddressH);
        const BytePair low = BytesAt(model, before, after, reg.AddressL);
        if (high.Changed() == 0 && low.Changed() == 0) continue;
        RegisterChange change{GridName(model.WordGrid, k),
                              reg.AddressH,
                              true,
                              static_cast<uint32_t>(high.Old << 8 | low.Old),
                              static_cast<uint32_t>(high.New << 8 | low.New),
                              {}};
        uint8_t covered = 0;
        AddSetFields(model, reg.AddressH, high, change.Fields, covered);
        AddSetFields(model, reg.AddressL, low, change.Fields, covered);
        changes.push_back(std::move(change));
    }
}

} // namespace

std::vector<RegisterChange> DiffRegisters(const ChipModel& model, const RegImageBytes& before,
                                          const RegImageBytes& after) {
    std::vector<RegisterChange> changes;
    DiffBitRegisters(model, before, after, changes);
    DiffByteRegisters(model, before, after, changes);
    DiffWordRegisters(model, before, after, changes);
    return changes;
}

std::string DiffText(const std::vector<RegisterChange>& changes) {
    if (changes.empty()) return "No register differs";
    std::string text;
    for (const RegisterChange& change : changes) {
        const int digits = change.Word ? 4 : 2;
        text += change.Name + " [" + HexPad(static_cast<uint16_t>(change.Address), 3) + "] " +
                HexPad(static_cast<uint16_t>(change.Old), digits) + " → " +
                HexPad(static_cast<uint16_t>(change.New), digits);
        for (size_t i = 0; i < change.Fields.size(); ++i) {
            const FieldChange& field = change.Fields[i];
            text += (i == 0 ? ": " : ", ") + field.Name + " " + std::to_string(field.Old) + " → " +
                    std::to_string(field.New);
        }
        text += "\n";
    }
    return text;
}

} // namespace qn
