// The main window offscreen on the simulated bench: menus, "USB Scan", captions and panel places.
#include "ProgramFixture.h"
#include "analysis/ui/AnxADC.h"
#include "chip/ui/AdcPanel.h"
#include "chip/ui/ChipWindows.h"
#include "shell/ReadRam.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <gtest/gtest.h>

namespace qn::test {
namespace {

using MainPanelTest = ProgramFixture;

bool Shown(TMainPanel& m, const char* caption) {
    return m.MenuItems.at(caption)->isVisible();
}
QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* a : actions) texts << a->text();
    return texts;
}

TEST_F(MainPanelTest, MenuBarInOrder) {
    EXPECT_EQ(Texts(main->menuBar()->actions()),
              (QStringList{"File", "Option", "USB Scan", "Read RAM", "ENOB Test", "連續讀取",
                           "Fluke", "Power"}));
    EXPECT_EQ(Texts(main->Menu_File->actions()),
              (QStringList{"Save Fluke", "Save Reg", "Save Power", "DownLoad Fluke", "Download Reg",
                           "Download Power"}));
    EXPECT_FALSE(main->Gauge->isVisible());
}

// The 52K12 is switched to the Special link on connecting. The captions name the chip as soon as
// it is selected, and again after the connection.
TEST_F(MainPanelTest, UsbScanConnectsOnTheChipsLinkAndRetitlesThePanels) {
    const struct {
        uint16_t Chip;
        QString Name;
        int Link;
    } cases[] = {{0, "QN7401  (ADC)", kLinkQn740x}, {3, "52K12  (2K)", kLinkSpecial}};
    const auto expectCaptions = [this](const QString& name) {
        EXPECT_EQ(main->windowTitle(), "Qn-740xTEST V1.3 ---- Now Chip is  " + name);
        EXPECT_EQ(main->Qn_RAM->windowTitle(), "記憶體 - " + name);
        EXPECT_EQ(main->Qn_Reg2->windowTitle(), "暫存器 - " + name);
        EXPECT_EQ(main->ADCForm->windowTitle(), "ADC - " + name);
        EXPECT_EQ(main->AnxADC->windowTitle(), "Analyse ADC - " + name);
    };
    for (const auto& c : cases) {
        main->SelectChip(c.Chip);
        expectCaptions(c.Name);
        Connect();
        EXPECT_EQ(main->PanelText(0), "USB On Line") << c.Chip;
        EXPECT_EQ(bench.Stnd.Interface, c.Link) << c.Chip;
        expectCaptions(c.Name);
    }
}

// "Read RAM" tells how it ended; status panel 2 shows each of its outcomes whole.
TEST_F(MainPanelTest, ReadRamIsToldOnAPanelWideEnoughForEveryOutcome) {
    Connect();
    Trigger("Read RAM");
    EXPECT_EQ(main->PanelText(2), kReadRamDone);
    const QLabel* panel = main->StatusPanels[2];
    for (const char* text : {"Read Compelete", "Read Error !!!!!", kReadRamFailed}) {
        main->SetPanelText(StatusPanel::Outcome, text);
        QApplication::processEvents();
        EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(text))
            << text;
    }
}

// What the chip's description file offers decides which menu items are there.
TEST_F(MainPanelTest, MenusFollowTheSelectedChip) {
    const struct {
        uint16_t Chip; // QN7401: ADC only; QN7403: instruments and register test
        std::vector<const char*> Shown, Hidden;
    } cases[] = {{0, {"ENOB Test", "連續讀取", "USB Scan"}, {"Fluke", "Power"}},
                 {2, {"Fluke", "Power", "Save Reg", "DownLoad Fluke"}, {}}};
    for (const auto& c : cases) {
        main->SelectChip(c.Chip);
        for (const char* item : c.Shown) EXPECT_TRUE(Shown(*main, item)) << c.Chip << item;
        for (const char* item : c.Hidden) EXPECT_FALSE(Shown(*main, item)) << c.Chip << item;
        EXPECT_EQ(main->Menu_File->menuAction()->isVisible(), c.Hidden.empty()) << c.Chip;
    }
}

// The page and bank of QnADC.cfg become the chip model's, checked against the chip selected,
// and are saved from there.
TEST_F(MainPanelTest, SettingsPageAndBankFollowTheChip) {
    const auto lines = [this] { return ReadFile("QnADC.cfg").split('\n'); };
    const std::pair<QByteArray, std::pair<int, int>> cases[] = {
        {"2", {3, 4}}, // QN7403 has page 4 and bank 4
        {"0", {0, 0}}, // QN7401 has neither
    };
    for (const auto& [chip, kept] : cases) {
        QList<QByteArray> text = lines();
        text[1] = "   " + chip + "   5  15   5   0\r";
        text[8] = " 3\r";
        text[9] = " 4\r";
        WriteFile("QnADC.cfg", text.join('\n'));
        main->FormActivate();
        EXPECT_EQ(bench.Model.CurrentPage, kept.first) << chip.toStdString();
        EXPECT_EQ(bench.Model.CurrentBank, kept.second) << chip.toStdString();
    }
    main->close();
    EXPECT_EQ(lines().mid(8, 2), (QList<QByteArray>{" 0\r", " 0\r"}));
}

// A shown panel keeps its place when shown again, hidden or not, and closing writes the places.
TEST_F(MainPanelTest, StartLoadsSettingsPanelsKeepTheirPlacesAndCloseWritesThem) {
    EXPECT_EQ(bench.Stnd.Interface, kLinkQn740x) << "settings load forces the QN740x link";
    EXPECT_FALSE(ReadFile("QnADC.cfg").isEmpty()) << "a missing file is written first";
    Trigger("RAM Panel");
    auto* sub = qobject_cast<QMdiSubWindow*>(main->Qn_RAM->parentWidget());
    ASSERT_NE(sub, nullptr);
    sub->setGeometry(37, 41, 300, 200);
    Trigger("RAM Panel");
    EXPECT_EQ(sub->geometry(), QRect(37, 41, 300, 200));
    sub->close(); // closing a child window only hides it
    Trigger("RAM Panel");
    EXPECT_TRUE(sub->isVisible());
    EXPECT_EQ(sub->geometry(), QRect(37, 41, 300, 200));
    main->close();
    const QByteArray places = ReadFile("qn740xtest.wst");
    EXPECT_TRUE(places.contains("Qn_RAM\r\n   37   41  300  200    0    1"))
        << places.toStdString();
}

// Places saved on a larger screen come back in sight: the main window on the screen, a child
// window inside the main window's workspace, none past an edge.
TEST_F(MainPanelTest, SavedPlacesPastTheEdgesComeBackInSight) {
    main->close();
    program.reset();
    WriteFile("qn740xtest.wst", "1.10\r\n2\r\nMainPanel\r\n 5000 5000 1024  700    0    1\r\n"
                                "Qn_RAM\r\n 3000 2000  300  200    0    1\r\n");
    program = std::make_unique<Program>(outside, clock, Places());
    program->AnswerQuestionsWith(answers);
    main = &program->Main();
    main->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(main->screen()->availableGeometry().contains(main->frameGeometry()))
        << main->frameGeometry().x() << "," << main->frameGeometry().y();
    auto* sub = qobject_cast<QMdiSubWindow*>(main->Qn_RAM->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->isVisible());
    EXPECT_TRUE(QRect(QPoint(), main->Mdi->viewport()->size()).contains(sub->geometry()))
        << sub->geometry().x() << "," << sub->geometry().y();
}

} // namespace
} // namespace qn::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
