// The base form holding the grids' font.
#pragma once

#include <QFont>
#include <QWidget>

namespace qn {

// Holds the shared panel font of the register and RAM grids.
class TQn_BASE : public QWidget {
    Q_OBJECT
  public:
    explicit TQn_BASE(QWidget* parent = nullptr);
    QFont PanelFont;
};

} // namespace qn
