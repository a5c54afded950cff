// The main window offscreen on the simulated bench: menus, "USB Scan", captions and panel places;
// the setup dialog (the serial bridge port step behind every port list, the interface that stays
// "QN740x", lists set after a USB connection, "Setup" as a modal dialog) and the step table
// windows; an operation that owns the link while window messages go through (link timer ticks
// and clicks start no exchange, closing the window ends it, keeps the settings and releases the
// bridge); remote control on the status bar; and where the program keeps its files.
#include "ProgramFixture.h"
#include "analysis/ui/AnxADC.h"
#include "chip/ui/ChipWindows.h"
#include "instruments/ui/InstrumentWindows.h"
#include "link/ui/QnUp.h"
#include "shell/ReadRam.h"
#include "shell/ui/Option.h"
#include "shell/ui/ProgramDir.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

#include <tuple>

namespace qn::test {
namespace {

using MainPanelTest = ProgramFixture;

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
    const auto expectCaptions = [this](const QString& name) {
        EXPECT_EQ(main->windowTitle(), "Qn-740xTEST V1.3 ---- Now Chip is  " + name);
        EXPECT_EQ(main->Qn_RAM->windowTitle(), "記憶體 - " + name);
        EXPECT_EQ(main->Qn_Reg2->windowTitle(), "暫存器 - " + name);
        EXPECT_EQ(main->ADCForm->windowTitle(), "ADC - " + name);
        EXPECT_EQ(main->AnxADC->windowTitle(), "Analyse ADC - " + name);
    };
    for (const auto& [chip, name, link] :
         {std::tuple{0, "QN7401  (ADC)", kLinkQn740x}, {3, "52K12  (2K)", kLinkSpecial}}) {
        main->SelectChip(static_cast<uint16_t>(chip));
        expectCaptions(name);
        Connect();
        EXPECT_EQ(main->PanelText(0), "USB On Line") << chip;
        EXPECT_EQ(bench.Stnd.Interface, link) << chip;
        expectCaptions(name);
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
    // QN7401: ADC only; QN7403: instruments and register test.
    using Items = std::vector<const char*>;
    for (const auto& [chip, shown, hidden] :
         {std::tuple<uint16_t, Items, Items>{
              0, {"ENOB Test", "連續讀取", "USB Scan"}, {"Fluke", "Power"}},
          {2, {"Fluke", "Power", "Save Reg", "DownLoad Fluke"}, {}}}) {
        main->SelectChip(chip);
        for (const char* item : shown)
            EXPECT_TRUE(main->MenuItems.at(item)->isVisible()) << chip << item;
        for (const char* item : hidden)
            EXPECT_FALSE(main->MenuItems.at(item)->isVisible()) << chip << item;
        EXPECT_EQ(main->Menu_File->menuAction()->isVisible(), hidden.empty()) << chip;
    }
}

// The page and bank of QnADC.cfg become the chip model's, checked against the chip selected,
// and are saved from there.
TEST_F(MainPanelTest, SettingsPageAndBankFollowTheChip) {
    const auto lines = [this] { return ReadFile("QnADC.cfg").split('\n'); };
    const std::pair<QByteArray, std::pair<uint8_t, uint8_t>> cases[] = {
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
        EXPECT_EQ(std::pair(bench.Model.CurrentPage, bench.Model.CurrentBank), kept)
            << chip.toStdString();
    }
    main->close();
    EXPECT_EQ(lines().mid(8, 2), (QList<QByteArray>{" 0\r", " 0\r"}));
}

// A shown panel keeps its place when shown again, hidden or not, and closing writes the places.
// Places saved on a larger screen come back in sight: the main window on the screen, a child
// window inside the main window's workspace, none past an edge.
TEST_F(MainPanelTest, PanelsKeepTheirPlacesAndSavedPlacesComeBackInSight) {
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
    sub = qobject_cast<QMdiSubWindow*>(main->Qn_RAM->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->isVisible());
    EXPECT_TRUE(QRect(QPoint(), main->Mdi->viewport()->size()).contains(sub->geometry()))
        << sub->geometry().x() << "," << sub->geometry().y();
}

using SetupDialogTest = ProgramFixture;

int OpenCount(const SimWorld& world, const char* port) {
    const SimPortRecord* record = world.SerialPorts.Port(port);
    return record == nullptr ? 0 : record->OpenCount;
}

// Whichever list changes, the bridge port step runs for the port in TXCOM with the baud and
// parity lists' choices; the instrument lists open no instrument port for it.
TEST_F(SetupDialogTest, EveryPortListRunsTheBridgePortStepForTXCOM) {
    TOption& option = *main->Option;
    const int com3Before = OpenCount(world, "COM3");
    for (const auto& [list, entry, status] :
         {std::tuple{option.FlukeCOM, "COM3", "RS232 COM16 , Baud = 9600, Pariyt = None"},
          {option.TXParity, "Odd", "RS232 COM16 , Baud = 9600, Pariyt = ODD"},
          {option.TXBaud, "115200", "RS232 COM16 , Baud = 115200, Pariyt = ODD"},
          {option.PowerCOM, "COM2", "RS232 COM16 , Baud = 115200, Pariyt = ODD"},
          {option.TXCOM, "COM9", "Uart  not  found"}}) {
        list->setCurrentText(entry);
        EXPECT_EQ(main->PanelText(0), status) << list->objectName().toStdString();
    }
    EXPECT_EQ(OpenCount(world, "COM3"), com3Before);
}

// After a USB connection the lists show the record's choices; setting them runs no port step.
TEST_F(SetupDialogTest, InterfaceStaysQn740xAndListsFollowTheRecord) {
    TOption& option = *main->Option;
    option.SelLPT->setCurrentIndex(kLinkRs232);
    EXPECT_EQ(option.SelLPT->currentText(), "QN740x");
    EXPECT_EQ(bench.Stnd.Interface, kLinkQn740x);

    bench.Stnd.ComIndex = 2;
    bench.Stnd.BaudIndex = 7;
    bench.Stnd.ParityIndex = 2;
    main->SelectChip(2);
    Connect();
    EXPECT_EQ(option.CbSeluP->currentIndex(), 2);
    EXPECT_EQ((QStringList{option.SelLPT->currentText(), option.TXCOM->currentText(),
                           option.TXBaud->currentText(), option.TXParity->currentText()}),
              (QStringList{"QN740x", "COM3", "38400", "Odd"}));
    EXPECT_EQ(main->PanelText(0), "USB On Line"); // no port step ran
}

// "Setup" opens the dialog modally beside the main window's corner on the record's chip;
// "關閉" ends it.
TEST_F(SetupDialogTest, SetupShowsTheDialogModallyUntilClosed) {
    TOption& option = *main->Option;
    bench.Stnd.Chip = 1;
    bool shown = false;
    QTimer::singleShot(0, &option, [&] {
        shown = true;
        EXPECT_TRUE(option.isVisible() && QApplication::activeModalWidget() == &option);
        EXPECT_EQ(option.pos(), main->geometry().topLeft() + QPoint(40, 40));
        EXPECT_EQ(option.CbSeluP->currentIndex(), 1);
        option.BtClose->click();
    });
    QTimer guard; // a dialog that failed to close ends the run instead of hanging it
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &option, &QDialog::reject);
    guard.start(2000);
    Trigger("Setup");
    EXPECT_TRUE(shown && guard.isActive());
    EXPECT_EQ(bench.Model.ProductName, "QN7401") << "showing the chip entry selects no chip";
}

// A cell typed into the grid lands in the bench's step table; the number column is fixed. (The
// step count the temperature test window sets sizes both grids: TempTestWindowTest.)
TEST_F(SetupDialogTest, StepGridsEditTheStepTables) {
    for (const auto& [menu, grid, table] :
         {std::tuple{"Fluke", main->FLUKE->FlukeGd, &bench.Instruments.FlukeSteps},
          {"Power", main->FPower->PowerGd, &bench.Instruments.PowerSteps}}) {
        Trigger(menu);
        QAbstractItemModel& model = *grid->model();
        EXPECT_EQ(model.rowCount(), 48) << menu;
        EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "輸入值") << menu;
        EXPECT_EQ(grid->columnWidth(2), 240) << menu;
        for (const auto& [row, column, typed] :
             {std::tuple{2, 1, "1"}, {2, 2, "OUT 600 mV ,0 Hz "}, {0, 0, "9"}}) {
            const QModelIndex cell = model.index(row, column);
            grid->setCurrentIndex(cell);
            grid->edit(cell);
            auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(cell));
            ASSERT_EQ(editor != nullptr, column != 0) << menu << column;
            if (editor == nullptr) continue;
            editor->setText(typed);
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(editor, &enter);
        }
        EXPECT_EQ(table->Row(3).Step, "1") << menu;
        EXPECT_EQ(table->Row(3).Input, "OUT 600 mV ,0 Hz ") << menu;
        EXPECT_EQ(model.index(0, 0).data().toString(), "1") << menu;
    }
}

class OneExchangeTest : public ProgramFixture {
  protected:
    OneExchangeTest() : ProgramFixture(true) {
        Connect();
        EXPECT_EQ(main->PanelText(0), "USB On Line");
        world.Bridge.ClearLog();
    }
    // What an operation's loop does: owns the link, waits and lets window messages through.
    bool RunOperation(double ms) {
        const auto hold = bench.Guard.Begin();
        EXPECT_TRUE(hold.has_value());
        return bench.Guard.WaitMs(ms);
    }
    bool Enabled(const char* caption) const { return main->MenuItems.at(caption)->isEnabled(); }
};

TEST_F(OneExchangeTest, TicksAndClicksInsideAnOperationStartNoExchange) {
    bench.Centre.ContinuousRead = true;        // every tick would read the ADC
    bench.Usb.IdleTicks = kIdleCheckTicks - 1; // and the next one check the link
    int ticks = 0;
    QObject::connect(&main->Qn_UP->Timer1, &QTimer::timeout, [&] { ++ticks; });
    bool scanEnabledInside = true;
    QTimer::singleShot(50, main, [&] {
        scanEnabledInside = Enabled("USB Scan") || Enabled("Read RAM");
        emit main->MenuItems.at("USB Scan")->triggered(); // a click that got through anyway
    });
    EXPECT_TRUE(RunOperation(300));
    EXPECT_GT(ticks, 5) << "the link timer ticked during the operation";
    EXPECT_TRUE(world.Bridge.Log().empty()) << world.Bridge.Log().size() << " frames went out";
    EXPECT_FALSE(scanEnabledInside);
    EXPECT_TRUE(Enabled("USB Scan") && Enabled("Read RAM"));
}

TEST_F(OneExchangeTest, ClosingDuringAnOperationEndsItKeepsSettingsAndReleasesTheBridge) {
    QFile::remove(dir.filePath("QnADC.cfg"));
    bench.Config.Analysis.CFunADC = 3;
    QTimer::singleShot(30, main, &QWidget::close);
    EXPECT_FALSE(RunOperation(60'000)) << "the operation ends at its next check";
    EXPECT_TRUE(main->isVisible()) << "the window waits for the operation to end";
    QCoreApplication::processEvents();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(ReadFile("QnADC.cfg").split('\n').value(14).trimmed(), "3");
    program.reset();
    ASSERT_FALSE(world.Bridge.Log().empty());
    const SimFrame& last = world.Bridge.Log().back();
    EXPECT_EQ(std::vector<uint8_t>(last.Request.begin(), last.Request.begin() + 4),
              (std::vector<uint8_t>{0xF9, 0x01, 0xFF, 0xFF}))
        << "the bridge is released at exit";
}

template <typename Done> bool Until(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000) QCoreApplication::processEvents();
    return done();
}

using RemoteControlTest = ProgramFixture;

TEST_F(RemoteControlTest, PanelFollowsTheClientAndARemoteCaptureReachesTheAnalysisWindow) {
    Connect(true);
    ASSERT_EQ(main->StartRemote("127.0.0.1", 0), "");
    const std::string endpoint = main->Remote()->Endpoint();
    const QString listening = QString::fromStdString("Remote: " + endpoint);
    EXPECT_EQ(main->RemotePanel->text(), listening);
    EXPECT_TRUE(main->RemotePanel->isVisible());

    QTcpSocket client;
    client.connectToHost("127.0.0.1", QString::fromStdString(endpoint).section(':', 1).toUShort());
    EXPECT_TRUE(
        Until([&] { return main->RemotePanel->text() == listening + ", client 127.0.0.1"; }));
    EXPECT_TRUE(main->AnxADC->TXENOB->text().isEmpty());
    client.write("CAPT:POIN 256;:INIT;*OPC?\n");
    ASSERT_TRUE(Until([&] { return client.canReadLine(); })) << "*OPC? answers once it is done";
    EXPECT_FALSE(main->AnxADC->TXENOB->text().isEmpty());
    EXPECT_EQ(main->AnxADC->TXENOB->text().toStdString(), bench.Samples().Panels.Enob);

    client.abort();
    EXPECT_TRUE(Until([&] { return main->RemotePanel->text() == listening; }));
    main->StopRemote();
    EXPECT_FALSE(main->RemotePanel->isVisible());
}

TEST(ProgramDirTest, ChoosesTheFoldersOfTheBuildAndOfAnInstalledProgram) {
    const QString shared = "usr/share/qn740xtest/INCLUDE";
    const struct {
        QStringList Files; // created under the temporary root
        bool PerUser;
        QString Include; // relative to the root
    } cases[] = {
        {{"build/bin/INCLUDE/QnSel.INC"}, false, "build/bin/INCLUDE"},     // the build folder
        {{"usr/share/other/INCLUDE/QnSel.INC"}, false, "usr/bin/INCLUDE"}, // an unrelated share
        {{shared + "/QNSEL.INC"}, true, shared},                           // installed
        {{shared + "/QnSel.INC", "home/INCLUDE/QnSel.INC"}, true, "home/INCLUDE"}, // user's first
        {{shared + "/QnSel.INC", "home/INCLUDE/QN7401.INC"}, true, shared}, // user's without list
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Files.join(' ').toStdString());
        QTemporaryDir root;
        const QString top = root.path() + "/";
        for (const QString& f : c.Files) {
            QDir().mkpath(QFileInfo(top + f).path());
            QFile file(top + f);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        const QString exeDir =
            top + (c.Files.first().startsWith("build") ? "build/bin" : "usr/bin");
        QDir().mkpath(exeDir);
        const ProgramFolder folder = ChooseProgramDir(exeDir, top + "home");
        EXPECT_EQ(folder.FellBack, c.PerUser);
        EXPECT_EQ(folder.Path, c.PerUser ? top + "home/" : exeDir + "/");
        EXPECT_EQ(QDir::cleanPath(folder.IncludePath), top + c.Include);
    }
}

} // namespace
} // namespace qn::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
