// The chip's smaller windows: the base form holding the grids' font, and the ADC panel, whose
// switches and selectors come with the ADC panel's work.
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

class TADCForm : public QWidget {
    Q_OBJECT
  public:
    explicit TADCForm(QWidget* parent = nullptr);
};

} // namespace qn
