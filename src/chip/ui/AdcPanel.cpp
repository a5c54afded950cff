// The ADC panel.
#include "chip/ui/AdcPanel.h"

namespace qn {

TADCForm::TADCForm(const ChipPanelContext& context, const AdcPanelLink& link, QWidget* parent)
    : QWidget(parent), context_(context), link_(link) {
    setWindowTitle("ADC");
    resize(760, 520);
}

void TADCForm::DataUpdate() {}

void TADCForm::ShowAdcResult(const std::string& /*text*/) {}

void TADCForm::ApplyChip() {}

} // namespace qn
