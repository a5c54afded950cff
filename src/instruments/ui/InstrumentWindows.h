// The instrument step windows: the calibrator's and the power supply's step tables.
#pragma once

#include "instruments/Calibrator.h"
#include "instruments/StepTable.h"

#include <QWidget>

#include <cstddef>

class QPushButton;
class QTableView;
class QVBoxLayout;

namespace qn {

class StepTableModel;

// A window holding one editable step grid over a step table.
class StepTableWindow : public QWidget {
    Q_OBJECT
  public:
    // M steps in the table and the grid (the temperature test's step count).
    void SetStepCount(size_t steps);
    // The table was filled from a step file: the grid shows it again.
    void RefreshGrid();

  protected:
    StepTableWindow(StepTable& steps, const QString& caption, const char* gridName,
                    QWidget* parent);

    QTableView* grid_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    StepTableModel* model_ = nullptr;
    StepTable& steps_;
};

// "FLUKE-5500": one calibrator command per test step.
class TFLUKE : public StepTableWindow {
    Q_OBJECT
  public:
    TFLUKE(StepTable& steps, Calibrator& fluke, QWidget* parent = nullptr);

    QTableView* FlukeGd = nullptr;
    // Hidden test button: sends the command of step 2.
    QPushButton* Button3 = nullptr;

  private:
    Calibrator& fluke_;
};

// "Power Supply": one power-supply command per test step.
class TFPower : public StepTableWindow {
    Q_OBJECT
  public:
    explicit TFPower(StepTable& steps, QWidget* parent = nullptr);

    QTableView* PowerGd = nullptr;
};

} // namespace qn
