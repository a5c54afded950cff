// What the analysis window's controls do: sample count, scale, averaging, grid or chart, the
// data file; and how the grid, the panels, the chart, the histogram and the spectrum show the
// store.
#include "analysis/ui/AnxADC.h"

#include "analysis/AnalysisCsv.h"
#include "analysis/NoiseStatistics.h"
#include "analysis/ui/HistogramView.h"
#include "analysis/ui/SampleGridModel.h"
#include "analysis/ui/SpectrumView.h"
#include "analysis/ui/TimeChart.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>

#include <algorithm>
#include <bit>
#include <filesystem>

namespace qn {
namespace {

constexpr StatusPanel kStatusPanel = StatusPanel::Outcome;

void Show(QLabel* panel, const std::string& text) {
    panel->setText(QString::fromStdString(text));
}

} // namespace

void TAnxADC::ApplySettings() {
    NPointIndex->setCurrentIndex(config_.NPointIndex);
    TXScale->setCurrentIndex(config_.TXScale);
    CMAVR->setCurrentIndex(config_.CMAVR);
    EREFV->setText(QString::fromStdString(config_.EREFV));
    store_.Temperature = config_.ChTemper;
    Grid->SetPointCount(config_.NPoint);
}

void TAnxADC::NPointIndexChange(int item) {
    if (!qn::NPointIndexChange(config_, item)) return;
    config_.NPointIndex = item;
    Grid->SetPointCount(config_.NPoint);
}

// The grid keeps its values: a new capture or averaging applies the new scale.
void TAnxADC::TXScaleChange(int item) {
    if (qn::TXScaleChange(config_, item)) config_.TXScale = item;
}

// Averages blocks of 1, 2, 4 … 32 captured codes and shows the figures of the averages.
void TAnxADC::CMAVRChange(int item) {
    config_.CMAVR = item;
    const AnalysisInputs inputs{config_.ScaleDiv, config_.ScaleBits, config_.EREFV, Gain()};
    const AnalysisStatus status =
        ReCalADC(store_, inputs, CMAVR->currentText().toInt(), config_.NPoint);
    if (!status.Ok) status_.SetPanelText(kStatusPanel, status.Message);
    ShowResults();
    if (view_->currentWidget() == Chart1) ChartFun(store_.ChartCount);
    RefreshNoiseViews();
}

// A capture of NPoint codes (23-bit, interrupt read) with its figures; pressed while one runs,
// it ends that capture. Saving and the chart wait until the capture is over.
void TAnxADC::CatchADCClick() {
    AdcCapture& capture = link_.Capture;
    if (!capture.Ready()) {
        capture.Stop();
        return;
    }
    SaveData->setEnabled(false);
    ShowChart->setEnabled(false);
    CatchADC->setText("Stop");
    Grid->SetPointCount(config_.NPoint);
    const CaptureOptions options{config_.NPoint,     config_.ScaleDiv, config_.ScaleBits,
                                 config_.ChangeMode, Gain(),           DecodeOptions{true, false},
                                 OutputRate()};
    capture.CatchACDCOM(config_.EREFV, kMode24Interrupt, options);
    ElapsedMs = capture.ElapsedMs;
    Rates = capture.Rates;
    CatchADC->setText("Catch ADC");
    SaveData->setEnabled(true);
    ShowChart->setEnabled(true);
    ShowResults();
    if (view_->currentWidget() == Chart1) ChartFun(store_.ChartCount);
    RefreshNoiseViews();
    if (!capture.Statistics.Ok) ask_.Tell(capture.Statistics.Message);
}

// "Avr. Times" follows the store: after a capture the figures are those of single codes.
void TAnxADC::ShowResults() {
    Grid->Refresh();
    config_.CMAVR = std::countr_zero(static_cast<uint32_t>(std::max(store_.BlockLength, 1)));
    CMAVR->setCurrentIndex(config_.CMAVR);
    Show(TXShortfall, store_.ShortfallText());
    const ResultPanels& panels = store_.Panels;
    Show(TXENOB, panels.Enob);
    Show(TXNFREE, panels.NoiseFree);
    Show(TXVRMS, panels.Vrms);
    Show(TXOffset, panels.Average);
    Show(TXVPP, panels.VppNoise);
    Show(TXNrms, panels.RmsNoise);
}

void TAnxADC::RefreshNoiseViews() {
    histogramStale_ = true;
    spectrumStale_ = true;
    DrawNoiseView();
}

// The samples in volts at the input convert as the noise figures do.
void TAnxADC::DrawNoiseView() {
    if (Views->currentWidget() == HistogramPage && histogramStale_) {
        HistogramPage->Draw(store_);
        histogramStale_ = false;
    } else if (Views->currentWidget() == SpectrumPage && spectrumStale_) {
        const AnalysisInputs inputs{config_.ScaleDiv, config_.ScaleBits, config_.EREFV, Gain()};
        SpectrumPage->Draw(store_, Rates, VoltsPerCount(inputs));
        spectrumStale_ = false;
    }
}

void TAnxADC::ChartFun(int n) {
    Chart1->Draw(store_, {n, ElapsedMs, config_.ScaleDiv, config_.ChangeMode});
}

void TAnxADC::RedrawLiveChart() {
    Grid->Refresh();
    ChartFun(store_.SampleCount);
}

void TAnxADC::ShowChartClick() {
    if (view_->currentWidget() == Chart1) {
        view_->setCurrentWidget(MemoryF);
        ShowChart->setText("Chang to Chart");
        return;
    }
    ChartFun(store_.ChartCount);
    view_->setCurrentWidget(Chart1);
    ShowChart->setText("Chang to vaule");
}

// Asks for the file (proposing QnADC.CSV in the program's folder), confirms overwriting and
// writes the grid rows and the noise figures.
void TAnxADC::SaveOut() {
    const std::optional<std::string> file = ask_.AskFileToSave("CSV", programDir_ + "QnADC.CSV");
    if (!file) return;
    std::error_code error;
    if (std::filesystem::exists(*file, error) &&
        !ask_.Confirm("File " + *file + " exist! Overwrite?"))
        return;
    if (!SaveAnalysisCsv(*file, store_)) {
        ask_.Tell("Cannot write the data file " + *file);
        return;
    }
    if (link_.SaveSnapshot && !link_.SaveSnapshot(*file))
        ask_.Tell("Cannot write the snapshot file " + *file + ".snapshot");
}

} // namespace qn
