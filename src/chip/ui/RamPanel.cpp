// The RAM panel.
#include "chip/ui/RamPanel.h"

namespace qn {

TQn_RAM::TQn_RAM(const ChipPanelContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setWindowTitle("記憶體");
    resize(620, 420);
}

void TQn_RAM::RefreshRam(bool /*suppressMarks*/) {}

void TQn_RAM::ApplyChip() {}

} // namespace qn
