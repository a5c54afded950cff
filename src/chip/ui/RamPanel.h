// The RAM panel TQn_RAM: one 256-byte bank of the chip's memory as a 16 × 16 hex grid.
#pragma once

#include "chip/ChipPanelContext.h"

#include <QWidget>

namespace qn {

class TQn_RAM : public QWidget {
    Q_OBJECT
  public:
    TQn_RAM(const ChipPanelContext& context, QWidget* parent = nullptr);

    // Re-reads the shown bank from the image; marks changed cells unless `suppressMarks`.
    void RefreshRam(bool suppressMarks);
    // After a chip selection: bank buttons and popup items of the banks the chip defines.
    void ApplyChip();

  private:
    ChipPanelContext context_;
};

} // namespace qn
