// The register panel TQn_Reg2: bit, byte and word registers of the chip and its core registers.
#pragma once

#include "chip/ChipPanelContext.h"

#include <QWidget>

namespace qn {

class TQn_Reg2 : public QWidget {
    Q_OBJECT
  public:
    TQn_Reg2(const ChipPanelContext& context, QWidget* parent = nullptr);

    // Shows the image in every grid and figure; marks changes unless `suppressMarks`.
    void RefreshRegisters(bool suppressMarks);
    // Fills the bit grid for the current page, then refreshes without marks.
    void RebuildBitGrid();
    // After a chip selection: grid sizes, names and page buttons.
    void ApplyChip();

  private:
    ChipPanelContext context_;
};

} // namespace qn
