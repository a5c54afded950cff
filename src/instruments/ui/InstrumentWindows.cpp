// Captions and sizes of the instrument windows.
#include "instruments/ui/InstrumentWindows.h"

namespace qn {

TFLUKE::TFLUKE(QWidget* parent) : QWidget(parent) {
    setWindowTitle("FLUKE-5500");
    resize(338, 622);
}

TFPower::TFPower(QWidget* parent) : QWidget(parent) {
    setWindowTitle("Power Supply");
    resize(338, 622);
}

TTMP::TTMP(QWidget* parent) : QWidget(parent) {
    setWindowTitle("Temperature Test");
    resize(800, 560);
}

} // namespace qn
