// The analysis window's histogram and spectrum after captures on the simulated bench: what they
// draw, their figures, their data files, and the grid/chart toggle beside them.
#include "ProgramFixture.h"

#include "analysis/ui/AnxADC.h"
#include "analysis/ui/HistogramView.h"
#include "analysis/ui/SpectrumView.h"
#include "analysis/ui/TimeChart.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <cmath>

namespace qn::test {
namespace {

class NoiseViewsTest : public ProgramFixture {
  protected:
    void Capture(int pointIndex) {
        win.NPointIndex->setCurrentIndex(pointIndex);
        emit win.NPointIndex->activated(pointIndex);
        win.CatchADC->click();
    }
    // The file's lines, each split at its commas; every line must end in CR LF.
    std::vector<QStringList> ReadCsv(const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(file.readAll());
        EXPECT_TRUE(text.endsWith("\r\n"));
        std::vector<QStringList> rows;
        for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts)) {
            EXPECT_FALSE(line.contains('\n'));
            rows.push_back(line.split(','));
        }
        return rows;
    }
    // The number after the last space of a label.
    static double Figure(const QLabel* label) { return label->text().split(' ').last().toDouble(); }
    TAnxADC& win = *main->AnxADC;
};

TEST_F(NoiseViewsTest, HistogramDrawsTheCaptureItsSigmaAndItsData) {
    Connect(true);
    Capture(4); // 1024 samples
    const int count = bench.Samples.SampleCount;
    ASSERT_EQ(count, 1024);
    win.Views->setCurrentWidget(win.HistogramPage);
    const auto bars = win.HistogramPage->Bars->data();
    double sum = 0;
    for (auto bar = bars->constBegin(); bar != bars->constEnd(); ++bar) sum += bar->value;
    EXPECT_EQ(sum, count);
    const double rms = bench.Samples.Figures.RmsCount;
    ASSERT_GT(rms, 0);
    EXPECT_NEAR(Figure(win.HistogramPage->Sigma), rms, 0.01 * rms);
    EXPECT_TRUE(win.HistogramPage->Outside->text().startsWith("outside ±3.3σ: "));

    const QString csv = dir.filePath("histogram.csv");
    ASSERT_TRUE(win.HistogramPage->SaveData(csv.toStdString()));
    const auto rows = ReadCsv(csv);
    ASSERT_EQ(rows.size(), static_cast<size_t>(bars->size()) + 1);
    EXPECT_EQ(rows[0].join(','), "bin centre,count,gaussian");
    const auto gaussian = win.HistogramPage->Gaussian->data();
    for (int i = 0; i < bars->size(); ++i) {
        const QStringList& row = rows[static_cast<size_t>(i) + 1];
        ASSERT_EQ(row.size(), 3);
        EXPECT_EQ(row[0].toDouble(), bars->at(i)->key);
        EXPECT_EQ(row[1].toDouble(), bars->at(i)->value);
        EXPECT_EQ(row[2].toDouble(), gaussian->at(i)->value);
    }

    // A capture while the histogram is on show draws it again.
    Capture(0); // 64 samples
    sum = 0;
    for (auto bar = bars->constBegin(); bar != bars->constEnd(); ++bar) sum += bar->value;
    EXPECT_EQ(sum, 64);
}

TEST_F(NoiseViewsTest, SpectrumDrawsTheDensityInVoltsAtTheMeasuredRate) {
    Connect(true);
    Capture(4);
    const int count = bench.Samples.SampleCount;
    ASSERT_EQ(count, 1024);
    ASSERT_GT(win.ElapsedMs, 0);
    win.Views->setCurrentWidget(win.SpectrumPage);
    const auto density = win.SpectrumPage->Density->data();
    ASSERT_EQ(density->size(), count / 2 + 1);
    const double rate = count * 1000.0 / win.ElapsedMs;
    EXPECT_NEAR(density->at(density->size() - 1)->key, rate / 2, 1e-9 * rate);
    // The simulated chip gives noise alone: no tone, no sine figures.
    EXPECT_TRUE(win.SpectrumPage->Sine->isHidden());

    // The density over the band holds the capture's RMS noise, which the panels give in nV.
    double power = 0;
    for (int i = 1; i < density->size(); ++i) power += std::pow(density->at(i)->value, 2);
    const double binWidth = density->at(1)->key;
    const double rmsNV = bench.Samples.Figures.RmsNV;
    EXPECT_NEAR(std::sqrt(power * binWidth), rmsNV, 0.25 * rmsNV);

    const QString csv = dir.filePath("spectrum.csv");
    ASSERT_TRUE(win.SpectrumPage->SaveData(csv.toStdString()));
    auto rows = ReadCsv(csv);
    ASSERT_EQ(rows.size(), static_cast<size_t>(density->size()) + 1);
    EXPECT_EQ(rows[0].join(','), "frequency,nsd");
    for (int i = 0; i < density->size(); ++i) {
        const QStringList& row = rows[static_cast<size_t>(i) + 1];
        ASSERT_EQ(row.size(), 2);
        EXPECT_EQ(row[0].toDouble(), density->at(i)->key);
        EXPECT_EQ(row[1].toDouble(), density->at(i)->value);
    }

    // Another window draws another density, and the file follows it.
    const double before = density->at(density->size() / 3)->value;
    win.SpectrumPage->Window->setCurrentIndex(1);
    EXPECT_EQ(win.SpectrumPage->Shown().Window, SpectrumWindow::Hann);
    EXPECT_NE(density->at(density->size() / 3)->value, before);
    ASSERT_TRUE(win.SpectrumPage->SaveData(csv.toStdString()));
    rows = ReadCsv(csv);
    EXPECT_EQ(rows[static_cast<size_t>(density->size()) / 3 + 1][1].toDouble(),
              density->at(density->size() / 3)->value);
}

TEST_F(NoiseViewsTest, TheToggleStillFlipsGridAndChartUnderTime) {
    win.show();
    win.Views->setCurrentWidget(win.HistogramPage);
    win.Views->setCurrentIndex(0);
    EXPECT_TRUE(win.MemoryF->isVisible());
    win.ShowChart->click();
    EXPECT_TRUE(win.Chart1->isVisible());
    EXPECT_FALSE(win.MemoryF->isVisible());
    EXPECT_EQ(win.ShowChart->text(), "Chang to vaule");
    win.ShowChart->click();
    EXPECT_TRUE(win.MemoryF->isVisible());
    EXPECT_EQ(win.ShowChart->text(), "Chang to Chart");
}

} // namespace
} // namespace qn::test
