// Caption and least size of the analysis window.
#include "analysis/ui/AnxADC.h"

namespace qn {

TAnxADC::TAnxADC(QWidget* parent) : QWidget(parent) {
    setWindowTitle("Analyse ADC");
    setMinimumSize(714, 277);
}

} // namespace qn
