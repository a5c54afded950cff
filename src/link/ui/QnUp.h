// The hidden link-centre window: its 10 ms timer supervises the bridge through the link centre.
#pragma once

#include "link/LinkCentre.h"

#include <QTimer>
#include <QWidget>

namespace qn {

class TQn_UP : public QWidget {
    Q_OBJECT
  public:
    TQn_UP(LinkCentre& centre, QWidget* parent = nullptr);
    QTimer Timer1;

  private:
    LinkCentre& centre_;
};

} // namespace qn
