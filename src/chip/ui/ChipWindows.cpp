// Caption and size of the ADC panel; the grids' font.
#include "chip/ui/ChipWindows.h"

namespace qn {

TQn_BASE::TQn_BASE(QWidget* parent) : QWidget(parent), PanelFont("Courier New", 11, QFont::Bold) {}

TADCForm::TADCForm(QWidget* parent) : QWidget(parent) {
    setWindowTitle("ADC");
    resize(760, 520);
}

} // namespace qn
