// The soak gate in the windows: its controls reach the plan, its state shows in the progress bar,
// and the results chart draws over the board's temperature when asked.
#include "ProgramFixture.h"
#include "run/RunJournal.h"
#include "run/ui/TempResultsChart.h"
#include "run/ui/TempTestWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <qcustomplot.h>

namespace qn::test {
namespace {

using SoakGateWindowTest = ProgramFixture;

TEST_F(SoakGateWindowTest, GateControlsReachThePlanAndItsStateShows) {
    TTMP& win = *main->TMP;
    const TempRunSettings& s = bench.Plan.Settings;
    EXPECT_FALSE(win.EGateMinutes->isEnabled()) << "the band rule uses no gate setting";
    const struct {
        const char* Item;
        SoakRule Rule;
        bool Spread;
        bool Board;
    } gates[] = {{"Board stable", SoakRule::Board, false, true},
                 {"Chamber stable", SoakRule::Chamber, true, false},
                 {"Band ±1.5 °C", SoakRule::Band, false, false}};
    for (const auto& g : gates) {
        win.CBGate->setCurrentText(g.Item);
        EXPECT_EQ(s.Gate, g.Rule) << g.Item;
        EXPECT_EQ(win.EGateSpread->isEnabled(), g.Spread) << g.Item;
        EXPECT_EQ(win.EBoardChange->isEnabled(), g.Board) << g.Item;
    }
    win.EGateLimit->selectAll();
    win.EGateLimit->insert("45");
    EXPECT_EQ(s.GateLimitMinutes, "45");

    TempTestProgress p;
    p.Row = p.Rows = 1;
    p.Soaking = true;
    p.Gate = "board stable 3.2 of 5 min, spread 0.12 °C";
    bench.Temp.ProgressChanged.Notify(p);
    EXPECT_TRUE(win.Progress->format().contains("board stable 3.2 of 5 min, spread 0.12 °C"))
        << win.Progress->format().toStdString();
}

TEST_F(SoakGateWindowTest, ChartDrawsOverTheBoardTemperature) {
    main->TMP->BtChart->click();
    TempResultsChart* chart = main->ResultsChart;
    ASSERT_NE(chart, nullptr);
    JournalPlan plan;
    plan.Rows.resize(3);
    plan.Grid.resize(2);
    plan.Fluke.resize(2);
    plan.Power.resize(2);
    RunJournal journal;
    ASSERT_EQ(journal.Begin(bench.ProgramDir(), plan), "");
    // Row 1 has the board's reading, row 2 none (as in a journal written before it was kept).
    ASSERT_TRUE(journal.Attempt({1, 1, 1, true, 25, 0, 25.2, {}, {}, "", true, 27.5}));
    ASSERT_TRUE(journal.Attempt({2, 1, 1, true, 85, 0, 85.1, {}, {}, "", true}));
    chart->Follow->setChecked(true);
    const struct {
        int Over;
        std::vector<double> Keys;
        const char* Axis;
    } cases[] = {{1, {27.5}, "Board temperature (°C)"},
                 {0, {25.2, 85.1}, "Chamber temperature (°C)"}};
    for (const auto& c : cases) {
        chart->Over->setCurrentIndex(c.Over);
        ASSERT_EQ(chart->Plot->graphCount(), 1);
        const auto* data = chart->Plot->graph(0)->data().data();
        ASSERT_EQ(data->size(), static_cast<int>(c.Keys.size())) << c.Axis;
        for (size_t i = 0; i < c.Keys.size(); ++i)
            EXPECT_DOUBLE_EQ(data->at(static_cast<int>(i))->key, c.Keys[i]) << c.Axis;
        EXPECT_EQ(chart->Plot->xAxis->label(), c.Axis);
    }
}

} // namespace
} // namespace qn::test
