// The link centre's timer, enabled when the window is created.
#include "link/ui/QnUp.h"

namespace qn {

TQn_UP::TQn_UP(LinkCentre& centre, QWidget* parent) : QWidget(parent), centre_(centre) {
    setWindowTitle("uP Center");
    Timer1.setInterval(10);
    connect(&Timer1, &QTimer::timeout, this, [this] { centre_.Timer1Timer(); });
    Timer1.start();
}

} // namespace qn
