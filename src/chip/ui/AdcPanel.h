// The ADC panel TADCForm: the chip's analog front end as a schematic with its controls.
#pragma once

#include "chip/ChipPanelContext.h"

#include <QWidget>

#include <string>

namespace qn {

class TADCForm : public QWidget {
    Q_OBJECT
  public:
    TADCForm(const ChipPanelContext& context, const AdcPanelLink& link, QWidget* parent = nullptr);

    // Re-reads every field from the image and the results, and updates every control.
    void DataUpdate();
    // The link timer's continuous read produced a new result text.
    void ShowAdcResult(const std::string& text);
    // After a chip selection: controls of the fields the chip defines, names of combo items.
    void ApplyChip();

  private:
    ChipPanelContext context_;
    AdcPanelLink link_;
};

} // namespace qn
