// The hex keypad.
#include "chip/ui/HexKeypad.h"

namespace qn {

TQnPopSelHex::TQnPopSelHex(QWidget* parent) : QDialog(parent) {
    setModal(true);
}

std::optional<uint32_t> TQnPopSelHex::Execute(const HexQuestion& /*question*/) {
    return std::nullopt;
}

} // namespace qn
