// The ADC panel on the simulated QN7401 over the QN740x link: selectors and switches reach the
// chip's registers and relabel the drawing, continuous reading follows the input until the panel
// goes away, and the drawing is painted at pixel ratios 1 and 2 with every control on it.
#include "ProgramFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <set>

namespace qn::test {
namespace {

class AdcPanelTest : public ProgramFixture {
  protected:
    AdcPanelTest() {
        Connect();
        Trigger("ADC Panel");
    }
    uint8_t Chip(size_t address) const { return world.Bridge.Registers[address]; }
    // Shown in the highlight colours (a selected label or a switch that is on).
    bool Lit(const QWidget* control) const {
        return control->styleSheet().contains(adc.palette().color(QPalette::Highlight).name());
    }
    TADCForm& adc = *main->ADCForm;
};

TEST_F(AdcPanelTest, SelectorsAndSwitchesWriteTheChipAndRelabel) {
    adc.TXPGAGN->setCurrentIndex(3);
    EXPECT_EQ(Chip(3) >> 5, 3);
    EXPECT_EQ(adc.TXPGAGNS->text(), "x 8");
    adc.TXINP->setCurrentIndex(5);
    EXPECT_EQ(Chip(1) >> 5, 5);
    EXPECT_TRUE(Lit(adc.LINP[5]));
    EXPECT_FALSE(Lit(adc.LINP[0]));
    EXPECT_EQ(adc.LOSCS[2]->text(), "327KHZ"); // as the chip file names OSCS 0

    const uint8_t control = Chip(2);
    const bool enabled = (control & 0x04) != 0;
    adc.PENADC->click();
    EXPECT_EQ(Chip(2), control ^ 0x04);
    EXPECT_EQ(Lit(adc.PENADC), !enabled);
    EXPECT_EQ(adc.PENADC->isChecked(), !enabled);
    if (enabled) adc.PENADC->click(); // a refresh with the ADC off shows the last result
    EXPECT_EQ(adc.TXADC->text().toStdString(), adc.View().AdcText);
    EXPECT_NE(adc.TXADC->text(), "ADC OFF");

    adc.COMOSR->setCurrentIndex(7);
    const bool fast = (Chip(2) & 0x08) != 0;
    adc.PHS->click();
    EXPECT_EQ((Chip(2) & 0x08) != 0, !fast);
    EXPECT_EQ(adc.TXOSR->text(), fast ? "ADC_CK = 10sps" : "ADC_CK = 30sps");
}

TEST_F(AdcPanelTest, ContinuousReadingFollowsTheInputUntilThePanelHidesOrCloses) {
    adc.TXINN->setCurrentIndex(1); // AI1: the calibrator lies across AI0 and AI1
    adc.TXPGAGN->setCurrentIndex(0);
    if (!adc.PENADC->isChecked()) adc.PENADC->click();
    adc.TXADCOMD->setCurrentIndex(1);   // DEC
    adc.TXADCObit->setCurrentIndex(15); // 23 bits: the whole code
    EXPECT_EQ(bench.Config.AdcPanel.Divisor, 1);
    adc.BRDADC->click();
    ASSERT_TRUE(bench.Centre.ContinuousRead);
    EXPECT_EQ(adc.BRDADC->text(), "Reading");
    world.Bridge.SetInputVoltage(-0.05);
    bench.Centre.Timer1Timer();
    EXPECT_LT(adc.TXADC->text().toDouble(), -10000); // a whole code in decimal

    adc.parentWidget()->hide();
    EXPECT_FALSE(bench.Centre.ContinuousRead);
    EXPECT_EQ(adc.BRDADC->text(), "STOP");
    Trigger("ADC Panel");
    adc.BRDADC->click();
    adc.parentWidget()->close();
    EXPECT_FALSE(bench.Centre.ContinuousRead);
    EXPECT_EQ(adc.BRDADC->text(), "STOP");
}

// The PGA triangle's fill at a point of the 760 × 520 drawing, wherever the panel's scale puts it.
TEST_F(AdcPanelTest, DrawingIsPaintedAtBothPixelRatiosWithEveryControlOnIt) {
    QPixmap twice(adc.size() * 2);
    twice.setDevicePixelRatio(2);
    twice.fill(Qt::black);
    adc.render(&twice);
    const double scale = std::min(adc.width() / 760.0, adc.height() / 520.0);
    const QPointF pga = QPointF(200, 245) * scale;
    for (const QImage& image : {adc.grab().toImage(), twice.toImage()}) {
        const double ratio = image.devicePixelRatio();
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 60u) << ratio;
        EXPECT_EQ(image.pixelColor((pga * ratio).toPoint()), QColor(214, 230, 248)) << ratio;
    }
    for (QWidget* control : adc.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(adc.rect().contains(control->geometry()))
            << control->objectName().toStdString();
}

} // namespace
} // namespace qn::test
