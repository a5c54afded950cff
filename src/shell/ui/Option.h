// The setup dialog; chip, interface and instrument port choices come with the setup dialog's work.
#pragma once

#include <QDialog>

namespace qn {

class TOption : public QDialog {
    Q_OBJECT
  public:
    explicit TOption(QWidget* parent = nullptr) : QDialog(parent) { setWindowTitle("選項"); }
};

} // namespace qn
