// The results of temperature runs over the chamber temperature: one line with markers per register
// step for the chosen figure, a second run drawn dashed over it for comparison, and the run going
// on in the program folder followed live through its journal.
#pragma once

#include "run/TempSeries.h"
#include "ui/PlotView.h"

#include <QTimer>

#include <cstdint>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;

namespace qn {

class TempResultsChart final : public PlotView {
    Q_OBJECT
  public:
    TempResultsChart(Prompt& ask, std::string programDir, QWidget* parent = nullptr);

    // Reads a journal or an A file as the main run or as the overlay; false, and the reason told,
    // when it cannot be read.
    bool OpenMain(const std::string& path);
    bool OpenOverlay(const std::string& path);
    // Reads the program folder's journal again when its size changed since the last look.
    void FollowTick();
    const TempRun& MainRun() const { return main_; }
    const TempRun& OverlayRun() const { return overlay_; }

    QComboBox* Figure = nullptr; // "Mean", "RMS noise", "ENOB (RMS)"
    // "Chamber temperature" or "Board temperature" along the x axis; points without a board
    // reading are left out of the second.
    QComboBox* Over = nullptr;
    QPushButton* OpenButton = nullptr;
    QPushButton* OverlayButton = nullptr;
    QCheckBox* Follow = nullptr;
    QLabel* Sources = nullptr; // the files shown
    QTimer FollowTimer;

  protected:
    std::string CsvText() const override;

  private:
    void PlaceLegendBesidePlot();
    void SetFollowing(bool on);
    void Redraw();
    void DrawRun(const TempRun& run, bool dashed);
    // The run in the file; none, and the reason told, when it cannot be read.
    std::optional<TempRun> Read(const std::string& path);

    Prompt& ask_;
    const std::string programDir_;
    TempRun main_;
    TempRun overlay_;
    std::string mainName_;
    std::string overlayName_;
    std::intmax_t journalSize_ = -1; // at the last look; -1 when there was none
};

} // namespace qn
