// The setup dialog and the step table windows offscreen on the simulated bench: the serial bridge
// port step behind every port list, the interface that stays "QN740x", lists set after a USB
// connection, "Setup" as a modal dialog, and step grids edited into the bench's step tables.
#include "ProgramFixture.h"
#include "instruments/ui/InstrumentWindows.h"
#include "shell/ui/Option.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <gtest/gtest.h>

namespace qn::test {
namespace {

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
    const struct {
        QComboBox* List;
        const char* Entry;
        const char* Status;
    } steps[] = {
        {option.FlukeCOM, "COM3", "RS232 COM16 , Baud = 9600, Pariyt = None"},
        {option.TXParity, "Odd", "RS232 COM16 , Baud = 9600, Pariyt = ODD"},
        {option.TXBaud, "115200", "RS232 COM16 , Baud = 115200, Pariyt = ODD"},
        {option.PowerCOM, "COM2", "RS232 COM16 , Baud = 115200, Pariyt = ODD"},
        {option.TXCOM, "COM9", "Uart  not  found"},
    };
    for (const auto& s : steps) {
        s.List->setCurrentText(s.Entry);
        EXPECT_EQ(main->PanelText(0), s.Status) << s.List->objectName().toStdString();
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
    EXPECT_EQ(option.SelLPT->currentText(), "QN740x");
    EXPECT_EQ(option.TXCOM->currentText(), "COM3");
    EXPECT_EQ(option.TXBaud->currentText(), "38400");
    EXPECT_EQ(option.TXParity->currentText(), "Odd");
    EXPECT_EQ(main->PanelText(0), "USB On Line"); // no port step ran
}

// "Setup" opens the dialog modally beside the main window's corner on the record's chip;
// "關閉" ends it.
TEST_F(SetupDialogTest, SetupShowsTheDialogModallyUntilClosed) {
    TOption& option = *main->Option;
    bench.Stnd.Chip = 1;
    bool shownModal = false;
    QPoint at;
    int chipEntry = -1;
    QTimer::singleShot(0, &option, [&] {
        shownModal = option.isVisible() && QApplication::activeModalWidget() == &option;
        at = option.pos();
        chipEntry = option.CbSeluP->currentIndex();
        option.BtClose->click();
    });
    QTimer guard; // a dialog that failed to close ends the run instead of hanging it
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &option, &QDialog::reject);
    guard.start(2000);
    Trigger("Setup");
    EXPECT_TRUE(guard.isActive());
    EXPECT_TRUE(shownModal);
    EXPECT_FALSE(option.isVisible());
    EXPECT_EQ(at, main->geometry().topLeft() + QPoint(40, 40));
    EXPECT_EQ(chipEntry, 1);
    EXPECT_EQ(bench.Model.ProductName, "QN7401") << "showing the chip entry selects no chip";
}

// A cell typed into the grid lands in the bench's step table; the number column is fixed.
TEST_F(SetupDialogTest, StepGridsEditTheStepTables) {
    const struct {
        const char* Menu;
        StepTableWindow* Window;
        QTableView* Grid;
        StepTable& Table;
    } windows[] = {{"Fluke", main->FLUKE, main->FLUKE->FlukeGd, bench.Instruments.FlukeSteps},
                   {"Power", main->FPower, main->FPower->PowerGd, bench.Instruments.PowerSteps}};
    for (const auto& w : windows) {
        Trigger(w.Menu);
        QAbstractItemModel& model = *w.Grid->model();
        EXPECT_EQ(model.rowCount(), 48) << w.Menu;
        EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "輸入值") << w.Menu;
        EXPECT_EQ(w.Grid->columnWidth(2), 240) << w.Menu;
        const struct {
            int Row, Column;
            const char* Typed;
        } edits[] = {{2, 1, "1"}, {2, 2, "OUT 600 mV ,0 Hz "}, {0, 0, "9"}};
        for (const auto& e : edits) {
            const QModelIndex cell = model.index(e.Row, e.Column);
            w.Grid->setCurrentIndex(cell);
            w.Grid->edit(cell);
            auto* editor = qobject_cast<QLineEdit*>(w.Grid->indexWidget(cell));
            ASSERT_EQ(editor != nullptr, e.Column != 0) << w.Menu << e.Column;
            if (editor == nullptr) continue;
            editor->setText(e.Typed);
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(editor, &enter);
        }
        EXPECT_EQ(w.Table.Row(3).Step, "1") << w.Menu;
        EXPECT_EQ(w.Table.Row(3).Input, "OUT 600 mV ,0 Hz ") << w.Menu;
        EXPECT_EQ(model.index(0, 0).data().toString(), "1") << w.Menu;

        w.Window->SetStepCount(20);
        EXPECT_EQ(w.Table.Steps(), 20U) << w.Menu;
        EXPECT_EQ(model.rowCount(), 20) << w.Menu;
        EXPECT_EQ(model.index(19, 0).data().toString(), "20") << w.Menu;
    }
}

} // namespace
} // namespace qn::test
