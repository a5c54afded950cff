// What the command protocol needs to know of the selected chip model.
#pragma once

#include <string>
#include <string_view>

namespace qn {

class ChipLinkInfo {
  public:
    virtual ~ChipLinkInfo() = default;
    // Product name of the selected chip ("52K12" and "52K21" change the "Special" frames).
    virtual std::string ProductName() const = 0;
    // Register address holding the named field ("IRQEN", "TS"); -1 when the chip has none.
    virtual int FieldRegister(std::string_view field) const = 0;
};

// A chip model with a fixed name and field registers, used until a chip has been selected.
class FixedChipInfo final : public ChipLinkInfo {
  public:
    FixedChipInfo(std::string productName, int irqenRegister, int tsRegister)
        : productName_(std::move(productName)), irqen_(irqenRegister), ts_(tsRegister) {}
    std::string ProductName() const override { return productName_; }
    int FieldRegister(std::string_view field) const override {
        if (field == "IRQEN") return irqen_;
        if (field == "TS") return ts_;
        return -1;
    }

  private:
    std::string productName_;
    int irqen_;
    int ts_;
};

} // namespace qn
