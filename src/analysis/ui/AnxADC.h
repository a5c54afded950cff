// The analysis window "Analyse ADC": sample count, display scale, averaging and reference
// voltage; the value grid or the time-domain chart of the last capture; the six result panels;
// the data file; beside them the histogram and the noise spectrum of that capture.
#pragma once

#include "analysis/AdcCapture.h"
#include "analysis/AnalysisSettings.h"
#include "analysis/AnalysisStore.h"
#include "host/Prompt.h"
#include "host/StatusBar.h"

#include <QWidget>

#include <functional>
#include <string>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTableView;

namespace qn {

class HistogramView;
class SampleGridModel;
class SpectrumView;
class TimeChart;

// What the window needs of the bench: the capture, the front end's gain from the register image,
// the state snapshot written beside a saved data file (false when it cannot be written) and the
// chip's configured output data rate from the register image (0 when the chip sets none).
struct AnalysisLink {
    AdcCapture& Capture;
    std::function<double()> Gain;
    std::function<bool(const std::string& dataPath)> SaveSnapshot;
    std::function<double()> OutputRate;
};

class TAnxADC : public QWidget {
    Q_OBJECT
  public:
    TAnxADC(AnalysisStore& store, AnalysisSettings& config, AnalysisLink link, Prompt& ask,
            StatusBar& status, const std::string& programDir, QWidget* parent = nullptr);

    // After QnADC.cfg was loaded: the selectors and the edit show the settings, the grid gets
    // NPoint/16 + 1 rows.
    void ApplySettings();
    // The chart over the first n samples.
    void ChartFun(int n);
    // The link timer's redraw while a capture runs: the grid and the chart over the samples taken.
    void RedrawLiveChart();
    // Grid and result panels show the store again.
    void ShowResults();
    // After a capture or averaging: the histogram or spectrum on show is drawn again, the other
    // when it is next shown.
    void RefreshNoiseViews();

    QComboBox* NPointIndex = nullptr; // "Sample Point"
    QComboBox* TXScale = nullptr;     // "Scale"
    QComboBox* CMAVR = nullptr;       // "Avr. Times"
    QLineEdit* EREFV = nullptr;       // "Ref Volt"
    QLabel* TXENOB = nullptr;
    QLabel* TXNFREE = nullptr; // placed over TXVRMS, which stays hidden
    QLabel* TXVRMS = nullptr;
    QLabel* TXOffset = nullptr;
    QLabel* TXVPP = nullptr;
    QLabel* TXNrms = nullptr;
    QLabel* TXShortfall = nullptr;    // "1630 of 4096 samples" after a capture that ended short
    QPushButton* CatchADC = nullptr;  // "Catch ADC"; "Stop" during a capture, which it then ends
    QPushButton* SaveData = nullptr;  // "Save to CSV"
    QPushButton* ShowChart = nullptr; // "Chang to Chart" / "Chang to vaule"
    QTableView* MemoryF = nullptr;
    SampleGridModel* Grid = nullptr;
    TimeChart* Chart1 = nullptr;
    QTabWidget* Views = nullptr; // "Time" (grid or chart), "Histogram", "Spectrum"
    HistogramView* HistogramPage = nullptr;
    SpectrumView* SpectrumPage = nullptr;
    // Duration of the last capture in milliseconds.
    double ElapsedMs = 0;
    // The last capture's configured and measured sample rates.
    CaptureRates Rates;

  private:
    QWidget* BuildHeader();
    QWidget* BuildSelectors();
    QWidget* BuildPanels();
    QLabel* AddPanel(QGridLayout* grid, int column, const char* caption);
    void BuildView();
    void NPointIndexChange(int item);
    void TXScaleChange(int item);
    void CMAVRChange(int item);
    void CatchADCClick();
    double Gain() const { return link_.Gain ? link_.Gain() : 1.0; }
    double OutputRate() const { return link_.OutputRate ? link_.OutputRate() : 0.0; }
    void ShowChartClick();
    void SaveOut();
    void DrawNoiseView();

    AnalysisStore& store_;
    AnalysisSettings& config_;
    AnalysisLink link_;
    Prompt& ask_;
    StatusBar& status_;
    const std::string programDir_;
    QStackedWidget* view_ = nullptr;
    bool histogramStale_ = false;
    bool spectrumStale_ = false;
};

} // namespace qn
