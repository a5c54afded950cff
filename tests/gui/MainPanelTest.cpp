// The main window offscreen on the simulated bench: menus, "USB Scan", captions and panel places.
#include "ProgramFixture.h"
#include "analysis/ui/AnxADC.h"
#include "chip/ui/AdcPanel.h"
#include "chip/ui/ChipWindows.h"

#include <QApplication>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace qn::test {
namespace {

using MainPanelTest = ProgramFixture;

TEST_F(MainPanelTest, MenuBarInOrder) {
    QStringList bar;
    for (QAction* a : main->menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar, (QStringList{"File", "Option", "USB Scan", "Read RAM", "ENOB Test", "連續讀取",
                                "Fluke", "Power"}));
    QStringList file;
    for (QAction* a : main->Menu_File->actions()) file << a->text();
    EXPECT_EQ(file, (QStringList{"Save Fluke", "Save Reg", "Save Power", "DownLoad Fluke",
                                 "Download Reg", "Download Power"}));
    EXPECT_EQ(main->windowTitle(), "Qn-740xTEST V1.3");
    EXPECT_FALSE(main->Gauge->isVisible());
    EXPECT_EQ(main->StatusPanels[2]->width(), 50);
}

TEST_F(MainPanelTest, UsbScanConnectsAndRetitlesThePanels) {
    bench.Stnd.Interface = kLinkQn740x;
    Trigger("USB Scan");
    EXPECT_EQ(main->PanelText(0), "USB On Line");
    const QString name = "QN7401  (ADC)";
    EXPECT_EQ(main->windowTitle(), "Qn-740xTEST V1.3 ---- Now Chip is  " + name);
    EXPECT_EQ(main->Qn_RAM->windowTitle(), "記憶體 - " + name);
    EXPECT_EQ(main->Qn_Reg2->windowTitle(), "暫存器 - " + name);
    EXPECT_EQ(main->ADCForm->windowTitle(), "ADC - " + name);
    EXPECT_EQ(main->AnxADC->windowTitle(), "Analyse ADC - " + name);
}

bool Shown(TMainPanel& m, const char* caption) {
    return m.MenuItems.at(caption)->isVisible();
}

// What the chip's description file offers decides which menu items are there.
TEST_F(MainPanelTest, MenusFollowTheSelectedChip) {
    main->SelectChip(0); // QN7401: ADC only
    EXPECT_TRUE(Shown(*main, "ENOB Test"));
    EXPECT_TRUE(Shown(*main, "連續讀取"));
    EXPECT_FALSE(Shown(*main, "Fluke"));
    EXPECT_FALSE(Shown(*main, "Power"));
    EXPECT_FALSE(main->Menu_File->menuAction()->isVisible());
    EXPECT_TRUE(Shown(*main, "USB Scan"));
    main->SelectChip(2); // QN7403: instruments and register test
    EXPECT_TRUE(Shown(*main, "Fluke"));
    EXPECT_TRUE(Shown(*main, "Power"));
    EXPECT_TRUE(main->Menu_File->menuAction()->isVisible());
    EXPECT_TRUE(Shown(*main, "Save Reg"));
    EXPECT_TRUE(Shown(*main, "DownLoad Fluke"));
    EXPECT_EQ(bench.Stnd.Chip, 2);
    EXPECT_EQ(bench.Model.ProductName, "QN7403");
}

TEST_F(MainPanelTest, A52K12ChipWorksOnTheSpecialLinkAfterConnecting) {
    main->SelectChip(3);
    bench.Stnd.Interface = kLinkQn740x;
    Trigger("USB Scan");
    EXPECT_EQ(main->PanelText(0), "USB On Line");
    EXPECT_EQ(bench.Stnd.Interface, kLinkSpecial);
    EXPECT_TRUE(main->windowTitle().endsWith("Now Chip is  52K12  (2K)"));
}

TEST_F(MainPanelTest, ShowPanelKeepsAShownPanelsPlace) {
    Trigger("RAM Panel");
    auto* sub = qobject_cast<QMdiSubWindow*>(main->Qn_RAM->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->isVisible());
    sub->setGeometry(37, 41, 300, 200);
    Trigger("RAM Panel");
    EXPECT_EQ(sub->geometry(), QRect(37, 41, 300, 200));
    EXPECT_EQ(main->PanelSlot[1].Left, 37);
    EXPECT_EQ(main->PanelSlot[1].Name, "Qn_RAM");
    sub->close(); // closing a child window only hides it
    Trigger("RAM Panel");
    EXPECT_TRUE(sub->isVisible());
    EXPECT_EQ(sub->geometry(), QRect(37, 41, 300, 200));
}

// The page and bank of QnADC.cfg become the chip model's, checked against the chip selected,
// and are saved from there.
TEST_F(MainPanelTest, SettingsPageAndBankFollowTheChip) {
    QFile cfg(dir.filePath("QnADC.cfg"));
    auto lines = [&cfg] {
        EXPECT_TRUE(cfg.open(QIODevice::ReadOnly));
        const QList<QByteArray> read = cfg.readAll().split('\n');
        cfg.close();
        return read;
    };
    const std::pair<QByteArray, std::pair<int, int>> cases[] = {
        {"2", {3, 4}}, // QN7403 has page 4 and bank 4
        {"0", {0, 0}}, // QN7401 has neither
    };
    for (const auto& [chip, kept] : cases) {
        QList<QByteArray> text = lines();
        text[1] = "   " + chip + "   5  15   5   0\r";
        text[8] = " 3\r";
        text[9] = " 4\r";
        ASSERT_TRUE(cfg.open(QIODevice::WriteOnly));
        cfg.write(text.join('\n'));
        cfg.close();
        main->FormActivate();
        EXPECT_EQ(bench.Model.CurrentPage, kept.first) << chip.toStdString();
        EXPECT_EQ(bench.Model.CurrentBank, kept.second) << chip.toStdString();
    }
    main->close();
    EXPECT_EQ(lines().mid(8, 2), (QList<QByteArray>{" 0\r", " 0\r"}));
}

TEST_F(MainPanelTest, StartLoadsSettingsAndCloseWritesPanelPlaces) {
    EXPECT_EQ(bench.Stnd.Interface, kLinkQn740x) << "settings load forces the QN740x link";
    EXPECT_TRUE(QFile::exists(dir.filePath("QnADC.cfg"))) << "a missing file is written first";
    Trigger("ADC Panel");
    auto* sub = qobject_cast<QMdiSubWindow*>(main->ADCForm->parentWidget());
    sub->setGeometry(12, 34, 400, 300);
    main->close();
    QFile wst(dir.filePath("qn740xtest.wst"));
    ASSERT_TRUE(wst.open(QIODevice::ReadOnly));
    const QByteArray places = wst.readAll();
    EXPECT_TRUE(places.contains("ADCForm\r\n   12   34  400  300    0    1"))
        << places.toStdString();
}

} // namespace
} // namespace qn::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
