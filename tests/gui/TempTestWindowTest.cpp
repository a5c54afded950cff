// The temperature test window on the simulated bench: its edits, grids and buttons reach the plan,
// the calibrator and the run, and the run's results and progress reach the window; SIGTERM
// closes the main window. The results chart follows the program folder's journal as a run
// appends to it, draws over the board's temperature when asked, draws another run dashed over
// it, switches figures, keeps its legend off the points, fits the view again, and tells why a
// file that is not a run cannot be shown.
#include "run/ui/TempTestWindow.h"
#include "ProgramFixture.h"
#include "analysis/ui/AnxADC.h"
#include "files/TextFile.h"
#include "instruments/ui/InstrumentWindows.h"
#include "run/RunJournal.h"
#include "run/ui/TempResultsChart.h"
#include "shell/StepFiles.h"
#include "shell/ui/TermSignal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <qcustomplot.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <tuple>

namespace qn::test {
namespace {

class TempTestWindowTest : public ProgramFixture {
  protected:
    static void Type(QLineEdit* edit, const char* text) {
        edit->selectAll();
        edit->insert(text);
    }
    static QString Cell(const QTableView* grid, int row, int column) {
        return grid->model()->index(row, column).data().toString();
    }
    static void SetCell(const QTableView* grid, int row, int column, const char* text) {
        QAbstractItemModel& model = *grid->model();
        ASSERT_TRUE(model.setData(model.index(row, column), text));
    }
    void Rows(const char* count, const char* start) {
        Type(win.TMPCNT, count);
        Type(win.TMPStart, start);
        win.TMPCNTSET->click();
    }
    TTMP& win = *main->TMP;
};

// The step count typed into its edit sizes the register, calibrator and supply grids; one that
// is no usable count is shown as the default. "SET" fills the temperature grid within the set
// point limits: a start or a cell past them is refused with a message and the rows stay.
TEST_F(TempTestWindowTest, EditsSizeTheGridsWithinTheirLimits) {
    for (const auto& [typed, steps] : {std::pair{"12", 12}, {"0", 48}, {"20000", 48}, {"x", 48}}) {
        Type(win.EModenum, typed);
        emit win.EModenum->returnPressed();
        EXPECT_EQ(win.EModenum->text(), QString::number(steps)) << typed;
        EXPECT_EQ(Cell(win.RegChg, steps, 0), QString("Value-%1").arg(steps)) << typed;
        EXPECT_EQ(win.RegChg->model()->rowCount(), steps + 1) << typed;
        EXPECT_EQ(main->FLUKE->FlukeGd->model()->rowCount(), steps) << typed;
        EXPECT_EQ(main->FPower->PowerGd->model()->rowCount(), steps) << typed;
    }
    // The "Delay" column tells its unit.
    const QAbstractItemModel& steps = *win.RegChg->model();
    EXPECT_TRUE(steps.index(1, 11).data(Qt::ToolTipRole).toString().contains("seconds"));
    EXPECT_FALSE(steps.index(1, 12).data(Qt::ToolTipRole).isValid());

    Rows("3", "25");
    Rows("3", "200");
    EXPECT_EQ(answers.Asked.at(0), "輸入開始溫度 \"200\" is above 150 °C");
    EXPECT_EQ(win.TMPGrid->model()->rowCount(), 3);
    EXPECT_EQ(Cell(win.TMPGrid, 2, 1), "45.00");
    Type(win.ELowest, "-55");
    QAbstractItemModel& grid = *win.TMPGrid->model();
    EXPECT_FALSE(grid.setData(grid.index(1, 1), "-60"));
    EXPECT_EQ(answers.Asked.at(1), "溫度 of row 2 \"-60\" is below the lowest set point, -55 °C");
    EXPECT_EQ(Cell(win.TMPGrid, 1, 1), "35.00");
    EXPECT_TRUE(grid.setData(grid.index(1, 1), "-55"));
}

// The two lockouts exclude each other; ENTER locks the range the checked one names.
TEST_F(TempTestWindowTest, LockoutsExcludeEachOtherAndEnterLocksTheRange) {
    bench.Instruments.Select(InstrumentKind::Fluke, 0);
    for (const auto& [clicked, on330mV, on3V] : {std::tuple{win.Lock330mV, true, false},
                                                 {win.Lock3V, false, true},
                                                 {win.Lock330mV, true, false},
                                                 {win.Lock330mV, false, false}}) {
        clicked->click();
        EXPECT_EQ(win.Lock330mV->isChecked(), on330mV) << on330mV << on3V;
        EXPECT_EQ(win.Lock3V->isChecked(), on3V) << on330mV << on3V;
        win.BtEnter->click();
        EXPECT_EQ(world.Calibrator.RangeLocked(), on330mV || on3V) << on330mV << on3V;
    }
}

// Two steps at one row: the result grid gets a column per step with the stored means and the
// analysis window the last step's reference text. Run again without any capture, the progress
// line names the unmeasured steps and their cells stay empty.
TEST_F(TempTestWindowTest, TTestFillsTheResultGridOrNamesTheUnmeasuredSteps) {
    Connect(true);
    Rows("1", "25");
    Type(win.EModenum, "4");
    SetCell(win.RegChg, 0, 1, "31");
    for (const auto& [step, value, reference] : {std::tuple{1, "01", "2.4"}, {2, "02", "2.5"}}) {
        SetCell(win.RegChg, step, 1, value);
        SetCell(win.RegChg, step, 11, "1");
        SetCell(win.RegChg, step, 12, reference);
    }
    win.TTest->click();

    EXPECT_TRUE(win.TTest->isEnabled() && win.TBg->isEnabled());
    const QAbstractItemModel& data = *win.TMPData->model();
    ASSERT_EQ(data.columnCount(), 3);
    EXPECT_EQ(data.headerData(2, Qt::Horizontal).toString(), "D - 2");
    for (int step = 1; step <= 2; ++step) {
        const double mean = bench.Temp.Results().Result(1, static_cast<size_t>(step)).Adc.Average;
        EXPECT_EQ(Cell(win.TMPData, 0, step), QString::number(mean, 'f', 2)) << step;
    }
    EXPECT_EQ(main->AnxADC->EREFV->text(), "2.5");
    EXPECT_TRUE(main->AnxADC->CatchADC->isEnabled());
    EXPECT_TRUE(win.Progress->format().startsWith("Every step measured"));

    win.CBSource->setCurrentText("Brymen"); // no capture at all
    win.TTest->click();
    EXPECT_TRUE(win.Progress->format().startsWith("Row 1/1 · Not measured: row 1 step 1"))
        << win.Progress->format().toStdString();
    EXPECT_EQ(Cell(win.TMPData, 0, 1), "");
}

// Twelve steps: the preview wraps after ten columns of steps. A missing file is named.
TEST_F(TempTestWindowTest, DownloadRegFillsTheGridAndLaysOutThePreview) {
    QByteArray reg = "  31  32\r\n";
    for (int s = 1; s <= 12; ++s) reg += QString("%1  07\r\n").arg(s, 4).toLatin1();
    WriteFile(kRegisterFile, reg);
    Trigger("Download Reg");
    EXPECT_EQ(Cell(win.RegChg, 12, 2), "07");
    const QAbstractItemModel& preview = *win.TMPData->model();
    EXPECT_EQ(std::pair(preview.columnCount(), preview.rowCount()), std::pair(11, 2));
    QFile::remove(dir.filePath(kRegisterFile));
    Trigger("Download Reg");
    EXPECT_NE(answers.Asked.at(0).find(kRegisterFile), std::string::npos);
}

// "Save plan…" keeps the window's settings, end options and steps; "Load plan…" brings them back;
// a plan that cannot be read changes nothing.
TEST_F(TempTestWindowTest, PlanFileKeepsTheSettingsAndEndOptions) {
    Type(win.ESoak, "7");
    win.CHSupplyOff->setChecked(true);
    win.CHHold->setChecked(true);
    Type(win.EHold, "31.5");
    SetCell(win.RegChg, 0, 1, "31");
    SetCell(win.RegChg, 1, 1, "0A");
    SetCell(win.RegChg, 1, 11, "1");
    SetCell(win.RegChg, 1, 12, "2.4");
    const std::string path = dir.filePath("night.plan").toStdString();
    answers.Files = {path, path, dir.filePath("bad.plan").toStdString()};
    win.BtSavePlan->click();
    EXPECT_TRUE(answers.Asked.size() == 1 && QFile::exists(QString::fromStdString(path)))
        << "a plan that reads back is saved without a word";

    Type(win.ESoak, "20");
    win.CHSupplyOff->setChecked(false);
    win.CHHold->setChecked(false);
    SetCell(win.RegChg, 1, 1, "0B");
    win.BtLoadPlan->click();
    EXPECT_EQ((QStringList{win.ESoak->text(), win.EHold->text(), Cell(win.RegChg, 1, 1)}),
              (QStringList{"7", "31.5", "0A"}));
    EXPECT_TRUE(win.CHSupplyOff->isChecked() && win.CHHold->isChecked());
    EXPECT_TRUE(bench.Plan.Settings.SupplyOffAtEnd);

    WriteFile("bad.plan", "[run]\nSoakMinutes\n");
    win.BtLoadPlan->click();
    EXPECT_NE(answers.Asked.back().find("line 2"), std::string::npos) << answers.Asked.back();
    EXPECT_EQ(win.ESoak->text(), "7") << "a bad plan changes nothing";
}

// The soak gate's controls reach the plan, and its state shows in the progress bar.
TEST_F(TempTestWindowTest, GateControlsReachThePlanAndItsStateShows) {
    const TempRunSettings& s = bench.Plan.Settings;
    EXPECT_FALSE(win.EGateMinutes->isEnabled()) << "the band rule uses no gate setting";
    for (const auto& [item, rule, spread, board] :
         {std::tuple{"Board stable", SoakRule::Board, false, true},
          {"Chamber stable", SoakRule::Chamber, true, false},
          {"Band ±1.5 °C", SoakRule::Band, false, false}}) {
        win.CBGate->setCurrentText(item);
        EXPECT_EQ(s.Gate, rule) << item;
        EXPECT_EQ(win.EGateSpread->isEnabled(), spread) << item;
        EXPECT_EQ(win.EBoardChange->isEnabled(), board) << item;
    }
    Type(win.EGateLimit, "45");
    EXPECT_EQ(s.GateLimitMinutes, "45");

    TempTestProgress p;
    p.Soaking = true;
    p.Gate = "board stable 3.2 of 5 min, spread 0.12 °C";
    bench.Temp.ProgressChanged.Notify(p);
    EXPECT_TRUE(win.Progress->format().contains(QString::fromStdString(p.Gate)))
        << win.Progress->format().toStdString();
}

// "T-Begin" runs the plan; closing the main window during the soak ends the run first, then the
// window closes. Before the run, "連續讀取" shows the chamber's air.
TEST_F(TempTestWindowTest, ClosingTheMainWindowDuringASoakEndsTheRunFirst) {
    bench.Instruments.Select(InstrumentKind::Fluke, 0);
    bench.Instruments.Select(InstrumentKind::Chamber, 2);
    Trigger("連續讀取");
    EXPECT_TRUE(win.ReadTimer.isActive() && win.isVisible());
    win.ReadChamber(); // the timer's tick
    const QString reading = win.ChamberTemp->text();
    ASSERT_TRUE(reading.startsWith("Chamber ") && reading.endsWith(" °C")) << reading.toStdString();
    EXPECT_NEAR(reading.mid(8).chopped(3).toDouble(), kSimRoomCelsius, 1.5);

    Rows("1", "25");
    bool closing = false;
    const Subscription closer =
        bench.Temp.ProgressChanged.Subscribe([&](const TempTestProgress& progress) {
            if (!progress.Soaking || closing) return;
            closing = true;
            QTimer::singleShot(0, main, &QWidget::close);
        });
    win.TBg->click();
    EXPECT_TRUE(closing);
    EXPECT_FALSE(bench.Temp.Running());
    EXPECT_TRUE(main->isVisible()) << "the window waits for the run to end";
    QCoreApplication::processEvents();
    EXPECT_FALSE(main->isVisible());
}

// A burst of signals while no events are handled neither blocks the handler on a full pipe nor
// changes errno under the code it interrupted; the window then closes.
TEST_F(TempTestWindowTest, SignalBurstKeepsErrnoAndNeverBlocks) {
    TermSignal term(*main);
    for (int i = 0; i < 100'000; ++i) {
        errno = ERANGE;
        std::raise(SIGTERM);
        ASSERT_EQ(errno, ERANGE) << "signal " << i;
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(main->isVisible());
}

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
    ASSERT_TRUE(chart != nullptr && chart->isVisible());

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
    EXPECT_EQ(chart->Plot->xAxis->label(), "Chamber temperature (°C)");

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
