// The selected chip as the command protocol sees it: its frame capability and its field registers.
#pragma once

#include "chip/ChipModel.h"
#include "link/ChipLinkInfo.h"

namespace qn {

// Answers the link's questions from the chip model; follows every new chip selection.
class SelectedChipInfo final : public ChipLinkInfo {
  public:
    explicit SelectedChipInfo(const ChipModel& model) : model_(model) {}

    bool ShortSpecialAddress() const override { return model_.ShortSpecialAddress; }
    // The register of an "#ADC0S" field; -1 when the chip file does not define it.
    int FieldRegister(std::string_view field) const override {
        const RegFieldDesc* desc = model_.AdcFields.Find(field);
        return desc != nullptr && desc->Defined ? desc->Address : -1;
    }

  private:
    const ChipModel& model_;
};

} // namespace qn
