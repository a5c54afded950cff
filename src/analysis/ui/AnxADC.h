// The ADC analysis window; capture, grid, figures and chart come with the capture and statistics.
#pragma once

#include <QWidget>

namespace qn {

class TAnxADC : public QWidget {
    Q_OBJECT
  public:
    explicit TAnxADC(QWidget* parent = nullptr);
};

} // namespace qn
