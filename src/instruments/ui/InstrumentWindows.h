// The instrument windows: calibrator and power-supply step tables and the temperature test.
// Their grids and buttons come with the instrument control; for now they exist with captions.
#pragma once

#include <QWidget>

namespace qn {

class TFLUKE : public QWidget {
    Q_OBJECT
  public:
    explicit TFLUKE(QWidget* parent = nullptr);
};

class TFPower : public QWidget {
    Q_OBJECT
  public:
    explicit TFPower(QWidget* parent = nullptr);
};

class TTMP : public QWidget {
    Q_OBJECT
  public:
    explicit TTMP(QWidget* parent = nullptr);
};

} // namespace qn
