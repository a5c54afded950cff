// The results chart from the main window: it follows the program folder's journal as a run
// appends to it, draws over the board's temperature when asked, draws another run dashed over
// it, switches figures, keeps its legend off the points, fits the view again, and tells why a
// file that is not a run cannot be shown.
#include "run/ui/TempResultsChart.h"
#include "ProgramFixture.h"
#include "files/TextFile.h"
#include "run/RunJournal.h"
#include "run/ui/TempTestWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <qcustomplot.h>

namespace qn::test {
namespace {

using TempResultsChartTest = ProgramFixture;

JournalAttempt Measured(size_t row, size_t step) {
    const double setPoint = row == 1 ? 25 : 85;
    JournalAttempt a{row, step, 1, true, setPoint, 0, setPoint + 0.5, {}, {}, "", true};
    a.Result.Adc = {1000, 2, 150, 20.5 - static_cast<double>(row), 3, 4, 18};
    return a;
}

TEST_F(TempResultsChartTest, FollowsTheJournalAndDrawsASecondRunDashed) {
    main->TMP->BtChart->click(); // as during a run, when the Option menu is greyed
    TempResultsChart* chart = main->ResultsChart;
    ASSERT_NE(chart, nullptr);
    EXPECT_TRUE(chart->isVisible());

    JournalPlan plan;
    plan.Rows.resize(3);
    plan.Grid.resize(3);
    plan.Fluke.resize(3);
    plan.Power.resize(3);
    RunJournal journal;
    ASSERT_EQ(journal.Begin(bench.ProgramDir(), plan), "");
    ASSERT_TRUE(journal.Attempt(Measured(1, 1)));
    chart->Follow->setChecked(true);
    EXPECT_EQ(chart->Plot->graphCount(), 1);
    ASSERT_TRUE(journal.Attempt(Measured(1, 2)));
    JournalAttempt board = Measured(2, 1);
    board.BoardCelsius = 27.5; // row 1 has no board reading, as in a journal kept before them
    ASSERT_TRUE(journal.Attempt(board));
    chart->FollowTick();
    ASSERT_EQ(chart->Plot->graphCount(), 2);
    EXPECT_EQ(chart->Plot->graph(0)->data()->size(), 2);
    EXPECT_DOUBLE_EQ(chart->Plot->graph(0)->data()->at(1)->key, 85.5);
    chart->Over->setCurrentIndex(1);
    EXPECT_EQ(chart->Plot->graph(0)->data()->size(), 1);
    EXPECT_DOUBLE_EQ(chart->Plot->graph(0)->data()->at(0)->key, 27.5);
    EXPECT_EQ(chart->Plot->xAxis->label(), "Board temperature (°C)");
    chart->Over->setCurrentIndex(0);

    const std::string aFile = bench.ProgramDir() + kTempAFile;
    ASSERT_TRUE(ReplaceFileContents(
        aFile, TempAFileText(JournalResults(ReadRunJournal(bench.ProgramDir())))));
    const std::string notARun = bench.ProgramDir() + "notes.txt";
    ASSERT_TRUE(ReplaceFileContents(notARun, "[Setting]\r\n"));
    answers.Files = {aFile, notARun};
    chart->OverlayButton->click();
    ASSERT_EQ(chart->Plot->graphCount(), 4);
    EXPECT_EQ(chart->Plot->graph(2)->pen().style(), Qt::DashLine);
    EXPECT_DOUBLE_EQ(chart->Plot->graph(2)->data()->at(1)->key, 85); // the A file's set point

    chart->Figure->setCurrentIndex(static_cast<int>(TempFigure::Enob));
    EXPECT_DOUBLE_EQ(chart->Plot->graph(0)->data()->at(1)->value, 18.5);

    // The legend stands beside the plot area, never over a point; "Fit" undoes a zoom.
    chart->Plot->replot();
    EXPECT_FALSE(chart->Plot->axisRect()->outerRect().intersects(chart->Plot->legend->outerRect()));
    const QCPRange all = chart->Plot->xAxis->range();
    chart->Plot->xAxis->scaleRange(0.3);
    chart->FitButton->click();
    EXPECT_EQ(chart->Plot->xAxis->range(), all);

    chart->OpenButton->click();
    EXPECT_EQ(answers.Asked.back(), notARun + ": Line 1: not an A file, whose first line starts "
                                              "\", , , Test #\"");
    EXPECT_EQ(chart->Plot->graphCount(), 4);
    EXPECT_TRUE(chart->Follow->isChecked()); // a file that cannot be shown changes nothing
}

} // namespace
} // namespace qn::test
