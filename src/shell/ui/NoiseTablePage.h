// The analysis window's "Noise table" page: the sweep's settings, Start and Stop, its progress,
// the table as a heat map of the chosen figure, and the CSV file.
#pragma once

#include "shell/Bench.h"
#include "shell/NoiseTable.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace qn {

class NoiseTableModel;

class NoiseTablePage final : public QWidget {
    Q_OBJECT
  public:
    // `running` is told true when a sweep starts and false when it has ended and the chip's
    // registers are back, so the analysis window can hold and then redraw its own controls.
    NoiseTablePage(Bench& bench, std::function<void(bool running)> running,
                   QWidget* parent = nullptr);

    // The selected chip's inputs in the two lists, the first on both sides (a shorted input).
    void ShowChipInputs();
    bool Running() const { return running_; }

    QComboBox* Samples = nullptr; // samples per point
    QComboBox* Inp = nullptr;
    QComboBox* Inn = nullptr;
    QLineEdit* Rates = nullptr;  // data rates in sps, comma separated; empty: every rate
    QComboBox* Figure = nullptr; // the figure the grid shows
    QPushButton* Start = nullptr;
    QPushButton* Stop = nullptr;
    QPushButton* SaveCsv = nullptr;
    QProgressBar* Progress = nullptr;
    QLabel* State = nullptr;
    QTableView* Grid = nullptr;
    NoiseTableModel* Model = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* BuildControls();
    void StartClick();
    void Finished(const NoiseSweepResult& result);
    void SaveCsvClick();

    Bench& bench_;
    std::function<void(bool)> runningChanged_;
    NoiseSweep sweep_;
    bool running_ = false;
};

} // namespace qn
