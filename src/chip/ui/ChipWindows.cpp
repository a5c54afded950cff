// The grids' font.
#include "chip/ui/ChipWindows.h"

namespace qn {

TQn_BASE::TQn_BASE(QWidget* parent) : QWidget(parent), PanelFont("Courier New", 11, QFont::Bold) {}

} // namespace qn
