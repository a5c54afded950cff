// The analysis window over known samples on the simulated bench: grid, result panels, chart,
// averaging, data file and chart picture.
#include "ProgramFixture.h"

#include "analysis/NoiseStatistics.h"
#include "analysis/ui/AnxADC.h"
#include "analysis/ui/SampleGridModel.h"
#include "analysis/ui/TimeChart.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace qn::test {
namespace {

class AnalysisWindowTest : public ProgramFixture {
  protected:
    // `count` samples with codes 37·i − 1000, as a capture keeps them, and their figures.
    void Fill(int count) {
        AnalysisStore& store = bench.Samples;
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

TEST_F(AnalysisWindowTest, GridShowsTheSamplesUnderHexHeadingsAndThePanelsTheFigures) {
    EXPECT_EQ(win.Grid->rowCount(), 256 / 16 + 1);
    Choose(win.NPointIndex, 0);
    EXPECT_EQ(bench.Config.Analysis.NPoint, 64);
    Fill(64);
    EXPECT_EQ(win.Grid->rowCount(), 5);
    EXPECT_EQ(win.Grid->columnCount(), 17);
    EXPECT_EQ(Cell(0, 1), "00");
    EXPECT_EQ(Cell(0, 16), "0F");
    EXPECT_EQ(Cell(4, 0), "0003");
    EXPECT_EQ(Cell(2, 2), QString::number(37 * 17 - 1000));
    EXPECT_FALSE(win.TXENOB->text().isEmpty());
    EXPECT_EQ(win.TXENOB->text().toStdString(), bench.Samples.Panels.Enob);
    EXPECT_EQ(win.TXNrms->text().toStdString(), bench.Samples.Panels.RmsNoise);
}

TEST_F(AnalysisWindowTest, ChartShowsEverySampleAndGivesWayToTheGrid) {
    Fill(64);
    bench.Samples.ADCData[1] = 16777215; // a negative 24-bit code
    win.ShowChart->click();
    EXPECT_FALSE(win.Chart1->isHidden());
    EXPECT_TRUE(win.MemoryF->isHidden());
    EXPECT_EQ(win.ShowChart->text(), "Chang to vaule");
    const auto data = win.Chart1->graph(0)->data();
    ASSERT_EQ(data->size(), 64);
    EXPECT_EQ(data->at(0)->value, -1000);
    EXPECT_EQ(data->at(1)->value, -1);
    win.ShowChart->click();
    EXPECT_FALSE(win.MemoryF->isHidden());
    EXPECT_TRUE(win.Chart1->isHidden());
    EXPECT_EQ(win.ShowChart->text(), "Chang to Chart");
}

TEST_F(AnalysisWindowTest, AveragingOver32Of100SamplesLeavesThreeValues) {
    Fill(100);
    const std::string enob = bench.Samples.Panels.Enob;
    Choose(win.CMAVR, 5);
    EXPECT_EQ(bench.Config.Analysis.CMAVR, 5);
    EXPECT_TRUE(Cell(1, 3).contains('.'));
    EXPECT_EQ(Cell(1, 4), "");
    EXPECT_NE(win.TXENOB->text().toStdString(), enob);
    Fill(20);
    Choose(win.CMAVR, 5);
    EXPECT_FALSE(main->PanelText(2).isEmpty()) << "too few samples is told on the status bar";
}

TEST_F(AnalysisWindowTest, SaveToCsvWritesTheGridRows) {
    Fill(64);
    const QString path = dir.filePath("out.csv");
    answers.Files = {path.toStdString()};
    win.SaveData->click();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString first;
    for (size_t i = 0; i < 16; ++i)
        first += QString::fromStdString(bench.Samples.Cells[i].Text()) + ", ";
    EXPECT_EQ(QString::fromLatin1(file.readLine()), first + "\r\n");
    answers.Files = {dir.filePath("missing/out.csv").toStdString()};
    win.SaveData->click();
    EXPECT_EQ(answers.Asked.back().rfind("Cannot write", 0), 0u);
}

TEST_F(AnalysisWindowTest, ChartPictureIsSavedAsPng) {
    Fill(64);
    win.ShowChart->click();
    const QString path = dir.filePath("chart.png");
    answers.Files = {path.toStdString()};
    win.Chart1->PopupMenu->actions().first()->trigger();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(4), QByteArray("\x89PNG"));
}

} // namespace
} // namespace qn::test
