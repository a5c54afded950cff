// The analysis window's noise table page on the simulated bench: a sweep from its Start button
// filling the heat map, Stop from a window message the sweep lets through, and the CSV file.
#include "ProgramFixture.h"

#include "analysis/ui/AnxADC.h"
#include "shell/ui/NoiseTableModel.h"
#include "shell/ui/NoiseTablePage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace qn::test {
namespace {

class NoiseTablePageTest : public ProgramFixture {
  protected:
    NoiseTablePageTest() {
        Connect(true);
        main->AnxADC->Views->setCurrentWidget(&page);
        page.Samples->setCurrentIndex(0); // 64 samples a point
    }
    NoiseTablePage& page = *main->NoiseTable;
};

TEST_F(NoiseTablePageTest, SweepFillsTheHeatMapAndItsFile) {
    page.Rates->setText("fast");
    page.Start->click();
    EXPECT_EQ(page.State->text(), "Rates: \"fast\" is no rate in sps");
    EXPECT_TRUE(page.Model->Table().Cells.empty());

    page.Rates->setText("10, 1920");
    bool catchHeld = false;
    // While the sweep runs, "Catch ADC" is held.
    QTimer::singleShot(0, [&] { catchHeld = !main->AnxADC->CatchADC->isEnabled(); });
    page.Start->click();
    EXPECT_TRUE(catchHeld);
    EXPECT_TRUE(main->AnxADC->CatchADC->isEnabled());

    const NoiseTable& table = page.Model->Table();
    ASSERT_EQ(table.Rates.size(), 2u);
    EXPECT_EQ(table.Rates[1].Sps, 1920);
    EXPECT_EQ(page.State->text(), QString("Complete: %1 points").arg(table.Cells.size()));
    EXPECT_TRUE(std::all_of(table.Cells.begin(), table.Cells.end(),
                            [](const NoiseCell& c) { return c.Measured; }));
    // The best point is blue, the worst red: the least noise, and (reversed) the most bits.
    for (const int figure : {0, 2}) {
        page.Figure->setCurrentIndex(figure);
        const auto worse = [figure](const NoiseCell& a, const NoiseCell& b) {
            return figure == 0 ? a.RmsNV < b.RmsNV : a.EffectiveBits > b.EffectiveBits;
        };
        const auto [quiet, noisy] =
            std::minmax_element(table.Cells.begin(), table.Cells.end(), worse);
        const auto colourOf = [&](auto cell) {
            const auto at = static_cast<size_t>(cell - table.Cells.begin());
            const QModelIndex index = page.Model->index(static_cast<int>(at / table.Gains.size()),
                                                        static_cast<int>(at % table.Gains.size()));
            return page.Model->data(index, Qt::BackgroundRole).value<QColor>();
        };
        EXPECT_EQ(colourOf(quiet), HeatColour(0)) << figure;
        EXPECT_EQ(colourOf(noisy), HeatColour(1)) << figure;
    }

    const QString csv = dir.filePath("noise.csv");
    answers.Files.push_back(csv.toStdString());
    page.SaveCsv->click();
    EXPECT_EQ(ReadFile("noise.csv").toStdString(), NoiseTableCsv(table));
}

TEST_F(NoiseTablePageTest, StopEndsTheSweep) {
    QTimer::singleShot(0, page.Stop, &QPushButton::click);
    page.Start->click();
    EXPECT_TRUE(page.State->text().startsWith("Stopped after "))
        << page.State->text().toStdString();
    EXPECT_TRUE(page.Start->isEnabled());
    EXPECT_FALSE(page.Stop->isEnabled());
}

} // namespace
} // namespace qn::test
