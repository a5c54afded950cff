// The analysis window on the simulated bench: grid, result panels, chart and its picture,
// averaging and data file over known samples; a capture and its stop.
#include "ProgramFixture.h"

#include "analysis/AnalysisCsv.h"
#include "analysis/NoiseStatistics.h"
#include "analysis/ui/AnxADC.h"
#include "analysis/ui/HistogramView.h"
#include "analysis/ui/SampleGridModel.h"
#include "analysis/ui/TimeChart.h"
#include "shell/Snapshot.h"

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <qcustomplot.h>

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
    TAnxADC& win = *main->AnxADC;
};

// 64 known samples: the grid under hex headings, the panels, the chart and its picture, the file.
TEST_F(AnalysisWindowTest, SamplesReachGridPanelsChartPictureAndFile) {
    Choose(win.NPointIndex, 0);
    Fill(64);
    EXPECT_EQ(win.Grid->rowCount(), 5);
    EXPECT_EQ(Cell(0, 1), "00");
    EXPECT_EQ(Cell(0, 16), "0F");
    EXPECT_EQ(Cell(4, 0), "0003");
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
    EXPECT_FALSE(win.Chart1->isHidden());
    EXPECT_TRUE(win.MemoryF->isHidden());
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
    Choose(win.NPointIndex, 0);
    Fill(64);
    Choose(win.CMAVR, 2);
    win.CatchADC->click();
    EXPECT_EQ(bench.Samples().SampleCount, 64);
    EXPECT_EQ(main->PanelText(2), "Read Compelete");
    EXPECT_EQ(win.CMAVR->currentText(), "1");
    EXPECT_EQ(win.TXShortfall->text(), "");
    EXPECT_EQ(win.CatchADC->text(), "Catch ADC");
    EXPECT_EQ(Cell(4, 16), QString::fromStdString(bench.Samples().Cells[63].Text()));
    bool saveEnabled = true;
    QString caption;
    QTimer::singleShot(0, win.CatchADC, [&] {
        saveEnabled = win.SaveData->isEnabled() || win.ShowChart->isEnabled();
        caption = win.CatchADC->text();
        win.CatchADC->click();
    });
    win.CatchADC->click();
    EXPECT_FALSE(saveEnabled) << "saving and the chart wait for the capture";
    EXPECT_EQ(caption, "Stop");
    EXPECT_LT(bench.Samples().SampleCount, 64);
    EXPECT_EQ(main->PanelText(2), "Read Error !!!!!");
    EXPECT_EQ(win.TXShortfall->text(),
              QString("%1 of 64 samples").arg(bench.Samples().SampleCount));
    EXPECT_EQ(win.CatchADC->text(), "Catch ADC");
    EXPECT_TRUE(win.SaveData->isEnabled());
}

} // namespace
} // namespace qn::test
