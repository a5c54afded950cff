// Register fields: a run of bits in one register byte, read from the image and written back whole.
#include "chip/RegField.h"

#include <algorithm>

namespace qn {
namespace {

constexpr std::string_view kAdcNames[] = {
    "OSCS",  "LDO",  "ENLDO", "REFO", "ENREFO", "ENOP",  "TS", "INP", "INN",   "VRPS", "VRNS",
    "DCSET", "FSRB", "PGA",   "ADGN", "OSM",    "IRQEN", "HS", "OSR", "ADCEN", "ADCO", "TSO"};
constexpr std::string_view kOpNames[] = {"OP0P",  "OP0N",   "ENOP", "OP0M",
                                         "OP0IS", "ENVDDA", "VDDAX"};
constexpr std::string_view kCmpNames[] = {
    "CPIH",  "CPIL",  "ENCPA", "CPIST", "CPIX",   "CPOIES", "CPOX",  "CPOFR",  "CS1",   "CS2",
    "CAPAT", "CPVCS", "CPVRS", "PTMX",  "TRISCX", "PTDAX",  "CPOIF", "ENVDDA", "VDDAX", "ENREF"};

const RegFieldDesc kUndefined{};

} // namespace

uint32_t RegFieldDesc::MaxValue() const {
    return Width >= 32 ? 0xFFFFFFFFu : (1u << Width) - 1u;
}

uint8_t RegFieldDesc::ByteMask() const {
    return Lsb >= 8 ? uint8_t{0} : static_cast<uint8_t>((MaxValue() << Lsb) & 0xFFu);
}

uint32_t RegFieldDesc::Extract(uint8_t byte) const {
    return Lsb >= 8 ? 0u : (static_cast<uint32_t>(byte) >> Lsb) & MaxValue();
}

uint8_t RegFieldDesc::Merge(uint8_t oldByte, uint32_t value) const {
    const uint32_t placed = Lsb >= 32 ? 0u : (value & MaxValue()) << Lsb;
    return static_cast<uint8_t>((oldByte & ~ByteMask()) | (placed & 0xFFu));
}

uint8_t ImageByte(const RegImageBytes& image, int address) {
    return InRegImage(address) ? image[static_cast<size_t>(address)] : uint8_t{0};
}

uint32_t ReadField(const RegFieldDesc& field, const RegImageBytes& image) {
    return field.Extract(ImageByte(image, field.Address));
}

bool WriteField(const RegFieldDesc& field, uint32_t value, const RegImageBytes& image,
                const RegisterWriter& write) {
    if (!field.Defined || !write) return false;
    write(field.Address, field.Merge(ImageByte(image, field.Address), value));
    return true;
}

FieldSet::FieldSet(std::span<const std::string_view> names)
    : names_(names), fields_(names.size()) {}

RegFieldDesc* FieldSet::Find(std::string_view name) {
    const auto at = std::find(names_.begin(), names_.end(), name);
    return at == names_.end() ? nullptr : &fields_[static_cast<size_t>(at - names_.begin())];
}

const RegFieldDesc* FieldSet::Find(std::string_view name) const {
    const auto at = std::find(names_.begin(), names_.end(), name);
    return at == names_.end() ? nullptr : &fields_[static_cast<size_t>(at - names_.begin())];
}

const RegFieldDesc& FieldSet::operator[](std::string_view name) const {
    const RegFieldDesc* field = Find(name);
    return field != nullptr ? *field : kUndefined;
}

std::span<const std::string_view> AdcFieldNames() {
    return kAdcNames;
}
std::span<const std::string_view> OpFieldNames() {
    return kOpNames;
}
std::span<const std::string_view> CmpFieldNames() {
    return kCmpNames;
}

bool ItemsFromFile(std::string_view adcField) {
    return adcField == "OSCS" || adcField == "LDO" || adcField == "INP" || adcField == "INN";
}

bool HasCaptionWord(std::string_view cmpField) {
    return cmpField == "PTMX" || cmpField == "TRISCX" || cmpField == "PTDAX";
}

} // namespace qn
