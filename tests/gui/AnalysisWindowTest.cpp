// The analysis window on the simulated bench: grid, result panels, chart and its picture,
// averaging and data file over known samples; a capture and its stop; the histogram and spectrum
// after captures (what they draw, their figures and data files, fitting their views again); the
// noise table page (a sweep from its Start button filling the heat map, Stop from a window
// message the sweep lets through, the CSV file).
#include "ProgramFixture.h"
#include "analysis/AnalysisCsv.h"
#include "analysis/NoiseStatistics.h"
#include "analysis/ui/AnxADC.h"
#include "analysis/ui/HistogramView.h"
#include "analysis/ui/SampleGridModel.h"
#include "analysis/ui/SpectrumView.h"
#include "analysis/ui/TimeChart.h"
#include "shell/Snapshot.h"
#include "shell/ui/NoiseTableModel.h"
#include "shell/ui/NoiseTablePage.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace qn::test {
namespace {

class AnalysisWindowTest : public ProgramFixture {
  protected:
    // `count` samples with codes 37·i − 1000, as a capture keeps them, and their figures.
    void Fill(int count) {
        AnalysisStore& store = bench.Samples();
        store.ClearSamples(bench.Config.Analysis.NPoint);
        for (int i = 0; i < count; ++i) store.KeepSample(37 * i - 1000, 1);
        store.CloseCapture();
        ComputeCaptureStatistics(store, {});
        win.ShowResults();
    }
    QString Cell(int row, int column) const {
        return win.Grid->data(win.Grid->index(row, column)).toString();
    }
    void Choose(QComboBox* combo, int item) {
        combo->setCurrentIndex(item);
        emit combo->activated(item);
    }
    // Connected with the ADC on at `osr` (register 2, bits 5 to 7), one capture of 1024 samples.
    void Start(int osr = -1) {
        Connect(true);
        if (osr >= 0)
            bench.Chip.WriteRegister(
                2, static_cast<uint8_t>((bench.Stnd.RegImage[2] & 0x1F) | osr << 5));
        Capture(4);
    }
    void Capture(int pointIndex) {
        Choose(win.NPointIndex, pointIndex);
        win.CatchADC->click();
        ASSERT_EQ(bench.Samples().SampleCount, 64 << pointIndex);
    }
    // Saves `view`'s data and gives the file's lines, each split at its commas; every line ends
    // in CR LF.
    template <class View> std::vector<QStringList> SavedCsv(View* view) {
        EXPECT_TRUE(view->SaveData(dir.filePath("view.csv").toStdString()));
        const QString text = QString::fromLatin1(ReadFile("view.csv"));
        EXPECT_TRUE(text.endsWith("\r\n") && text.count('\n') == text.count("\r\n"));
        std::vector<QStringList> rows;
        for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts))
            rows.push_back(line.split(','));
        return rows;
    }
    TAnxADC& win = *main->AnxADC;
};

// 64 known samples: the grid under hex headings, the panels, the chart and its picture, the file.
TEST_F(AnalysisWindowTest, SamplesReachGridPanelsChartPictureAndFile) {
    Choose(win.NPointIndex, 0);
    Fill(64);
    EXPECT_EQ(win.Grid->rowCount(), 5);
    EXPECT_EQ((QStringList{Cell(0, 1), Cell(0, 16), Cell(4, 0)}),
              (QStringList{"00", "0F", "0003"}));
    EXPECT_EQ(win.TXNrms->text().toStdString(), bench.Samples().Panels.RmsNoise);

    const QString csv = dir.filePath("out.csv");
    answers.Files = {csv.toStdString(), dir.filePath("missing/out.csv").toStdString(),
                     dir.filePath("chart.png").toStdString()};
    win.SaveData->click();
    EXPECT_EQ(ReadFile("out.csv").toStdString(), AnalysisCsvText(bench.Samples()));
    const SnapshotRead beside = ReadSnapshot(csv.toStdString() + ".snapshot");
    EXPECT_TRUE(beside.Ok) << beside.Error;
    win.SaveData->click();
    EXPECT_EQ(answers.Asked.back().rfind("Cannot write", 0), 0u);

    // The toggle flips grid and chart, also after another tab was shown.
    win.Views->setCurrentWidget(win.HistogramPage);
    win.Views->setCurrentIndex(0);
    win.ShowChart->click();
    EXPECT_TRUE(!win.Chart1->isHidden() && win.MemoryF->isHidden());
    EXPECT_EQ(win.ShowChart->text(), "Chang to vaule");
    EXPECT_EQ(win.Chart1->Plot->graph(0)->data()->at(0)->value, -1000);
    win.Chart1->PopupMenu->actions().first()->trigger();
    EXPECT_EQ(QImage(dir.filePath("chart.png")).size(), win.Chart1->size());
    win.ShowChart->click();
    EXPECT_FALSE(win.MemoryF->isHidden());
    EXPECT_EQ(win.ShowChart->text(), "Chang to Chart");
}

TEST_F(AnalysisWindowTest, AveragingOver32Of100SamplesLeavesThreeValues) {
    Fill(100);
    const std::string enob = bench.Samples().Panels.Enob;
    Choose(win.CMAVR, 5);
    EXPECT_TRUE(Cell(1, 3).contains('.'));
    EXPECT_EQ(Cell(1, 4), "");
    EXPECT_NE(win.TXENOB->text().toStdString(), enob);
    Fill(20);
    Choose(win.CMAVR, 5);
    EXPECT_FALSE(main->PanelText(2).isEmpty()) << "too few samples is told on the status bar";
}

// While capturing the button reads "Stop"; a stopped capture's figures say how much they cover,
// and after any capture "Avr. Times" is back at 1.
TEST_F(AnalysisWindowTest, CatchAdcFillsGridAndPanelsAndASecondPressStops) {
    Connect(true);
    Fill(64);
    Choose(win.CMAVR, 2);
    Capture(0);
    EXPECT_EQ(win.CMAVR->currentText(), "1");
    EXPECT_EQ(Cell(4, 16), QString::fromStdString(bench.Samples().Cells[63].Text()));
    QTimer::singleShot(0, win.CatchADC, [&] {
        EXPECT_FALSE(win.SaveData->isEnabled() || win.ShowChart->isEnabled())
            << "saving and the chart wait for the capture";
        EXPECT_EQ(win.CatchADC->text(), "Stop");
        win.CatchADC->click();
    });
    win.CatchADC->click();
    EXPECT_LT(bench.Samples().SampleCount, 64) << "the second press stopped the capture";
    EXPECT_EQ(win.TXShortfall->text().toStdString(), bench.Samples().ShortfallText());
    EXPECT_EQ(win.CatchADC->text(), "Catch ADC");
    EXPECT_TRUE(win.SaveData->isEnabled());
}

using NoiseViewsTest = AnalysisWindowTest;

TEST_F(NoiseViewsTest, HistogramDrawsTheCaptureItsSigmaAndItsData) {
    Start();
    HistogramView& view = *win.HistogramPage;
    win.Views->setCurrentWidget(&view);
    const auto bars = view.Bars->data();
    const double rms = bench.Samples().Figures.RmsCount;
    EXPECT_NEAR(view.Sigma->text().split(' ').last().toDouble(), rms, 0.01 * rms);
    EXPECT_TRUE(view.Outside->text().startsWith("outside ±3.3σ: "));
    // The title carries σ and p-p, so a saved picture has them.
    const QString title = view.Title->text();
    EXPECT_TRUE(title.contains(view.Sigma->text()) && title.contains(view.PeakToPeak->text()))
        << title.toStdString();

    const auto rows = SavedCsv(&view);
    ASSERT_EQ(rows.size(), static_cast<size_t>(bars->size()) + 1);
    EXPECT_EQ(rows[0].join(','), "bin centre,count,gaussian");
    EXPECT_EQ(rows[1].value(1).toDouble(), bars->at(0)->value);
    EXPECT_EQ(rows[1].value(2).toDouble(), view.Gaussian->data()->at(0)->value);
    // Zoomed in on the middle half of the bins, the file holds those bins only (which bins a
    // range shows, the histogram test checks).
    const int from = bars->size() / 4;
    const int to = 3 * bars->size() / 4;
    view.Plot->xAxis->setRange(bars->at(from)->key, bars->at(to)->key);
    const auto zoomed = SavedCsv(&view);
    EXPECT_EQ(zoomed.size(), static_cast<size_t>(to - from + 1) + 1);

    // A capture while the histogram is on show draws it again.
    Capture(0);
    double sum = 0;
    for (auto bar = bars->constBegin(); bar != bars->constEnd(); ++bar) sum += bar->value;
    EXPECT_EQ(sum, 64);
}

// At 1280 sps, which the bridge carries.
TEST_F(NoiseViewsTest, SpectrumDrawsTheDensityInVoltsAtTheConfiguredRate) {
    Start(1);
    SpectrumView& view = *win.SpectrumPage;
    win.Views->setCurrentWidget(&view);
    const auto density = view.Density->data();
    ASSERT_EQ(density->size(), 1024 / 2 + 1);
    EXPECT_EQ(density->at(density->size() - 1)->key, 640);
    EXPECT_TRUE(view.Rate->text().startsWith("fs 1280 Hz (measured 12"));
    // The simulated chip gives noise alone: no tone, no sine figures.
    EXPECT_TRUE(view.Warning->isHidden() && view.Sine->isHidden());

    // The density over the band holds the capture's RMS noise, which the panels give in nV.
    double power = 0;
    for (int i = 1; i < density->size(); ++i) power += std::pow(density->at(i)->value, 2);
    const double rmsNV = bench.Samples().Figures.RmsNV;
    EXPECT_NEAR(std::sqrt(power * density->at(1)->key), rmsNV, 0.25 * rmsNV);

    const auto rows = SavedCsv(&view);
    ASSERT_EQ(rows.size(), static_cast<size_t>(density->size()) + 1);
    EXPECT_EQ(rows[0].join(','), "frequency,nsd");
    EXPECT_EQ(rows[2].value(1).toDouble(), density->at(1)->value);

    // Another window draws another density.
    const double before = density->at(density->size() / 3)->value;
    view.Window->setCurrentIndex(1);
    EXPECT_EQ(view.Shown().Window, SpectrumWindow::Hann);
    EXPECT_NE(density->at(density->size() / 3)->value, before);

    // Averages of 4 codes: a quarter as many values at a quarter of the rate.
    Choose(win.CMAVR, 2);
    EXPECT_EQ(density->size(), 1024 / 8 + 1);
    EXPECT_EQ(density->at(density->size() - 1)->key, 160);
    EXPECT_TRUE(view.Rate->text().startsWith("fs 320 Hz (measured 3"));
}

// At 2560 sps the bridge loses samples: a warning instead of a density.
TEST_F(NoiseViewsTest, SpectrumAboveWhatTheBridgeCarriesDrawsNoDensity) {
    win.Views->setCurrentWidget(win.SpectrumPage);
    Start(0);
    EXPECT_EQ(win.SpectrumPage->Density->data()->size(), 0);
    const QLabel& warning = *win.SpectrumPage->Warning;
    EXPECT_TRUE(!warning.isHidden() &&
                warning.text().startsWith("No density: the samples came 18 %"));
    EXPECT_EQ(win.SpectrumPage->MeanNsd->text(), "mean NSD –");
}

// After zooming and panning, a double-click on a chart, its "Fit" button or its menu's "Fit"
// shows all the data again.
TEST_F(NoiseViewsTest, DoubleClickOrFitShowsAllTheDataAgain) {
    Start(1);
    // No fit function: a double-click in the plot's middle.
    const std::pair<QCustomPlot*, std::function<void()>> plots[] = {
        {win.Chart1->Plot, nullptr},
        {win.Chart1->Plot, [this] { win.Chart1->PopupMenu->actions().at(1)->trigger(); }}, // "Fit"
        {win.HistogramPage->Plot, nullptr},
        {win.HistogramPage->Plot, [this] { win.HistogramPage->FitButton->click(); }},
        {win.SpectrumPage->Plot, nullptr},
    };
    for (size_t i = 0; i < std::size(plots); ++i) {
        const auto& [plot, fit] = plots[i];
        const QCPRange x = plot->xAxis->range();
        const QCPRange y = plot->yAxis->range();
        ASSERT_GT(x.size(), 0);
        plot->xAxis->scaleRange(0.2);
        plot->yAxis->setRange(y.lower + y.size() / 3, y.upper + y.size());
        const QPointF at(plot->width() / 2.0, plot->height() / 2.0);
        QMouseEvent click(QEvent::MouseButtonDblClick, at, plot->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        if (fit)
            fit();
        else
            QCoreApplication::sendEvent(plot, &click);
        EXPECT_EQ(plot->xAxis->range(), x) << "plot " << i;
        EXPECT_EQ(plot->yAxis->range(), y) << "plot " << i;
    }
}

// The time chart hands its plot at most two points a pixel column, worked out again for the part
// a zoom shows (with one point beyond each end, so the line runs to the edges).
TEST_F(NoiseViewsTest, TheTimeChartDrawsTheColumnsOfTheRangeShown) {
    Start();
    win.show();
    win.ShowChart->click();
    QCustomPlot* plot = win.Chart1->Plot;
    plot->resize(300, 200);
    plot->replot(QCustomPlot::rpImmediateRefresh);
    const int columns = plot->axisRect()->width();
    ASSERT_TRUE(columns > 0 && 2 * columns < 1024) << columns;
    EXPECT_LE(plot->graph(0)->data()->size(), 2 * columns);

    // Zoomed in on a quarter, the columns are worked out again for that quarter alone.
    const QCPRange all = plot->xAxis->range();
    plot->xAxis->setRange(all.lower + all.size() / 4, all.lower + all.size() / 2);
    plot->replot(QCustomPlot::rpImmediateRefresh);
    const auto data = plot->graph(0)->data();
    EXPECT_LE(data->size(), 2 * columns + 2);
    EXPECT_GT(data->constBegin()->key, all.lower + all.size() / 8);
}

// The noise table page: a sweep from its Start button fills the heat map and its file, and Stop
// from a window message the sweep lets through ends the next one.
TEST_F(NoiseViewsTest, NoiseTableSweepFillsTheHeatMapAndItsFileAndStopEndsIt) {
    Connect(true);
    NoiseTablePage& page = *main->NoiseTable;
    win.Views->setCurrentWidget(&page);
    page.Samples->setCurrentIndex(0); // 64 samples a point
    page.Rates->setText("fast");
    page.Start->click();
    EXPECT_EQ(page.State->text(), "Rates: \"fast\" is no rate in sps");
    EXPECT_TRUE(page.Model->Table().Cells.empty());

    page.Rates->setText("10, 1920");
    bool catchHeld = false;
    // While the sweep runs, "Catch ADC" is held.
    QTimer::singleShot(0, [&] { catchHeld = !win.CatchADC->isEnabled(); });
    page.Start->click();
    EXPECT_TRUE(catchHeld && win.CatchADC->isEnabled());
    const NoiseTable& table = page.Model->Table();
    ASSERT_EQ(table.Rates.size(), 2u);
    EXPECT_EQ(table.Rates[1].Sps, 1920);
    EXPECT_EQ(page.State->text(), QString("Complete: %1 points").arg(table.Cells.size()));
    // The best point is blue, the worst red: the least noise, and (reversed) the most bits.
    const auto gains = static_cast<int>(table.Gains.size());
    for (const int figure : {0, 2}) {
        page.Figure->setCurrentIndex(figure);
        const auto [quiet, noisy] = std::minmax_element(
            table.Cells.begin(), table.Cells.end(),
            [figure](const NoiseCell& a, const NoiseCell& b) {
                return figure == 0 ? a.RmsNV < b.RmsNV : a.EffectiveBits > b.EffectiveBits;
            });
        for (const auto& [cell, fraction] : {std::pair{quiet, 0.0}, {noisy, 1.0}}) {
            const auto at = static_cast<int>(cell - table.Cells.begin());
            const QModelIndex shown = page.Model->index(at / gains, at % gains);
            EXPECT_EQ(shown.data(Qt::BackgroundRole), HeatColour(fraction)) << figure;
        }
    }
    answers.Files.push_back(dir.filePath("noise.csv").toStdString());
    page.SaveCsv->click();
    EXPECT_EQ(ReadFile("noise.csv").toStdString(), NoiseTableCsv(table));

    QTimer::singleShot(0, page.Stop, &QPushButton::click);
    page.Start->click();
    EXPECT_TRUE(page.State->text().startsWith("Stopped after "))
        << page.State->text().toStdString();
    EXPECT_TRUE(page.Start->isEnabled() && !page.Stop->isEnabled());
}

} // namespace
} // namespace qn::test
