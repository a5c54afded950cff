// The register panel.
#include "chip/ui/RegisterPanel.h"

namespace qn {

TQn_Reg2::TQn_Reg2(const ChipPanelContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setWindowTitle("暫存器");
    resize(700, 480);
}

void TQn_Reg2::RefreshRegisters(bool /*suppressMarks*/) {}

void TQn_Reg2::RebuildBitGrid() {}

void TQn_Reg2::ApplyChip() {}

} // namespace qn
