// What the command protocol needs to know of the selected chip model.
#pragma once

#include <string_view>

namespace qn {

class ChipLinkInfo {
  public:
    virtual ~ChipLinkInfo() = default;
    // The chip takes "Special" frames with the low address byte only, under their own command
    // bits (C0 reads, 40 writes).
    virtual bool ShortSpecialAddress() const = 0;
    // Register address holding the named field ("IRQEN", "TS"); -1 when the chip has none.
    virtual int FieldRegister(std::string_view field) const = 0;
};

// A chip model with fixed field registers, used until a chip has been selected.
class FixedChipInfo final : public ChipLinkInfo {
  public:
    FixedChipInfo(int irqenRegister, int tsRegister, bool shortSpecialAddress = false)
        : irqen_(irqenRegister), ts_(tsRegister), shortSpecialAddress_(shortSpecialAddress) {}
    bool ShortSpecialAddress() const override { return shortSpecialAddress_; }
    int FieldRegister(std::string_view field) const override {
        if (field == "IRQEN") return irqen_;
        if (field == "TS") return ts_;
        return -1;
    }

  private:
    int irqen_;
    int ts_;
    bool shortSpecialAddress_;
};

} // namespace qn
