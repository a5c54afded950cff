// Register fields: a run of bits in one register byte, read from the image and written back whole.
#pragma once

#include "link/RegImage.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// Hands one whole register byte to the chip (ChipLink::WriteRegister in the program).
using RegisterWriter = std::function<void(int address, uint8_t value)>;

// One field of one register byte, as a chip description file defines it.
struct RegFieldDesc {
    uint16_t Address = 0;
    uint8_t Width = 0;
    uint8_t Lsb = 0;
    uint8_t Value = 0; // last value the ADC panel read or chose
    bool Defined = false;
    // Selector texts the chip file supplies for this field; empty keeps the panel's own texts.
    std::vector<std::string> Items;

    // Largest field value: 2^Width - 1.
    uint32_t MaxValue() const;
    // The field's bits within its byte.
    uint8_t ByteMask() const;
    // The field's value within `byte`.
    uint32_t Extract(uint8_t byte) const;
    // `oldByte` with the field replaced by `value` (cut to the field's width).
    uint8_t Merge(uint8_t oldByte, uint32_t value) const;
};

// The image byte at `address`; 0 outside the image.
uint8_t ImageByte(const RegImageBytes& image, int address);

// The field's value from the register image.
uint32_t ReadField(const RegFieldDesc& field, const RegImageBytes& image);
// Read-modify-write of the field's byte: merges `value` into the image byte and hands the new
// byte to `write`. A field the chip file never defined writes nothing and returns false.
bool WriteField(const RegFieldDesc& field, uint32_t value, const RegImageBytes& image,
                const RegisterWriter& write);

// A named group of field descriptors (the ADC, op-amp or comparator fields of the chip).
class FieldSet {
  public:
    explicit FieldSet(std::span<const std::string_view> names);

    // The descriptor of `name`, or none when the group has no such field.
    RegFieldDesc* Find(std::string_view name);
    const RegFieldDesc* Find(std::string_view name) const;
    // The descriptor of `name`; an all-zero undefined descriptor for unknown names.
    const RegFieldDesc& operator[](std::string_view name) const;

    std::span<const std::string_view> Names() const { return names_; }

  private:
    std::span<const std::string_view> names_;
    std::vector<RegFieldDesc> fields_;
};

// Field names of the "#ADC0S", "#OP0S" and "#CMP0S" sections.
std::span<const std::string_view> AdcFieldNames();
std::span<const std::string_view> OpFieldNames();
std::span<const std::string_view> CmpFieldNames();
// ADC fields whose selector items come from the chip file.
bool ItemsFromFile(std::string_view adcField);
// Comparator fields whose line carries a caption word before width and lsb.
bool HasCaptionWord(std::string_view cmpField);

} // namespace qn
