// Captions and sizes of the chip's windows.
#include "chip/ui/ChipWindows.h"

namespace qn {

TQn_BASE::TQn_BASE(QWidget* parent) : QWidget(parent), PanelFont("Courier New", 11, QFont::Bold) {}

TQn_RAM::TQn_RAM(QWidget* parent) : QWidget(parent) {
    setWindowTitle("記憶體");
    resize(620, 420);
}

TQn_Reg2::TQn_Reg2(QWidget* parent) : QWidget(parent) {
    setWindowTitle("暫存器");
    resize(700, 480);
}

TADCForm::TADCForm(QWidget* parent) : QWidget(parent) {
    setWindowTitle("ADC");
    resize(760, 520);
}

TQnPopSelHex::TQnPopSelHex(QWidget* parent) : QDialog(parent) {
    setModal(true);
}

} // namespace qn
