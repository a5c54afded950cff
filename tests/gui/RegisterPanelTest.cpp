// The register panel on the simulated 52K12 over the Special link: menus, typing and keypad
// edits reach the chip, and chip selection keeps the page on one the chip has.
#include "ProgramFixture.h"
#include "shell/Snapshot.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

namespace qn::test {
namespace {

class RegisterPanelTest : public ProgramFixture {
  protected:
    RegisterPanelTest() {
        main->SelectChip(3); // 52K12: bit pages 1 and 2, six byte and two word registers
        Connect();
    }
    using Bytes = std::pair<uint8_t, uint8_t>;
    uint8_t Chip(size_t address) const { return world.Bridge.Registers[address]; }
    // Keys typed into the byte grid, as the keyboard delivers them.
    void Type(const QString& keys) {
        for (const QChar c : keys) {
            int key = c.toUpper().unicode();
            if (c == '\b') key = Qt::Key_Backspace;
            if (c == '\r') key = Qt::Key_Return;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(reg.SByteReg, &press);
        }
    }
    TQn_Reg2& reg = *main->Qn_Reg2;
};

TEST_F(RegisterPanelTest, BitMenuWritesTheBitAndTheNameComesBackMarked) {
    ASSERT_EQ(reg.SREG->item(1, 0)->text(), "ADCCN0");
    const uint8_t before = Chip(0x3C);
    reg.BitCellDoubleClicked(1, 1);
    const QList<QAction*> items = reg.BitMenu->actions();
    EXPECT_EQ(items[0]->text(), "ENLDO=1");
    items[(before & 0x80) != 0 ? 1 : 0]->trigger();
    reg.BitMenu->hide();
    EXPECT_EQ(Chip(0x3C), before ^ 0x80);
    EXPECT_EQ(reg.SREG->item(1, 0)->background().color(), QColor(0, 0, 255));
    EXPECT_EQ(reg.SREG->item(1, 1)->background().color(),
              (before & 0x80) != 0 ? QColor(0xC0, 0xC0, 0xC0) : QColor(Qt::white));
}

// A snapshot taken, a register changed on the chip: the comparison lists the change; no change and
// a file that cannot be used are told in a message.
TEST_F(RegisterPanelTest, CompareWithSnapshotListsTheChangedFields) {
    const std::string data = dir.filePath("QnADC.CSV").toStdString();
    ASSERT_TRUE(WriteSnapshotBeside(bench, data));
    answers.Files = {data + ".snapshot", data};
    reg.PCompare->click();
    EXPECT_EQ(answers.Asked.back(), "No register differs");
    reg.PCompare->click();
    EXPECT_EQ(answers.Asked.back().rfind("Cannot use the snapshot file " + data, 0), 0u);
    EXPECT_EQ(reg.CompareDialog, nullptr);

    bench.Chip.WriteRegister(0x3E, static_cast<uint8_t>(Chip(0x3E) ^ 0x20)); // PGA bit 0
    answers.Files = {data + ".snapshot"};
    reg.PCompare->click();
    ASSERT_NE(reg.CompareDialog, nullptr);
    EXPECT_TRUE(reg.CompareDialog->isVisible());
    const std::string shown = reg.CompareText->toPlainText().toStdString();
    EXPECT_EQ(shown.rfind("ADCCN2 [03E] ", 0), 0u) << shown;
}

TEST_F(RegisterPanelTest, TypedByteIsWrittenOnEnterAndOnLeavingTheCell) {
    reg.SByteReg->setCurrentCell(1, 5); // WORK, address 29H
    Type("123");
    EXPECT_EQ(reg.SByteReg->item(1, 5)->text(), "23");
    Type("\r");
    EXPECT_EQ(Chip(0x29), 0x23);

    Type("4\bax");
    EXPECT_EQ(reg.SByteReg->item(1, 5)->text(), "3A");
    reg.SByteReg->setCurrentCell(1, 0);
    EXPECT_EQ(Chip(0x29), 0x3A);
}

TEST_F(RegisterPanelTest, WordAndPointerEditsWriteBothBytes) {
    answers.Hex = {0x0134, 0x1A5};
    reg.WordCellDoubleClicked(0, 1); // FSR1, 11H:12H
    EXPECT_EQ(answers.LastHex.Caption, "RamFSR1");
    EXPECT_EQ((Bytes{Chip(0x11), Chip(0x12)}), (Bytes{0x01, 0x34}));
    EXPECT_EQ(reg.SWordReg->item(1, 1)->text(), "0134");
    const QRect fsr0 = reg.SWordReg->visualRect(reg.SWordReg->model()->index(0, 0));
    emit reg.SWordReg->customContextMenuRequested(fsr0.center()); // right-click: help menu
    reg.HelpMenu->actions()[0]->trigger();
    EXPECT_EQ(answers.Asked.back(), "Indirect address 0 (FSR0H:FSR0L), 9 bits");

    reg.IndirectClicked(1);
    QAction* modify = reg.IndirectMenu->actions()[1];
    EXPECT_EQ(modify->text(), "Modify FSR1");
    modify->trigger();
    reg.IndirectMenu->hide();
    EXPECT_EQ(answers.LastHex.Caption, "FSR1=134");
    EXPECT_EQ((Bytes{Chip(0x11), Chip(0x12)}), (Bytes{0x01, 0xA5}));
    EXPECT_EQ(reg.PnlIND1_1->text(), "1A5");
}

// Opened at its first size, the panel shows its word values whole: no grid wastes rows.
TEST_F(RegisterPanelTest, OpensWithTheWordValuesInSight) {
    Trigger("REG Panel");
    QApplication::processEvents();
    QTableWidget* words = reg.SWordReg;
    const QRect value = words->visualRect(words->model()->index(1, 1));
    const QPoint bottom = words->viewport()->mapTo(&reg, value.bottomRight());
    EXPECT_LE(bottom.y(), reg.height()) << "panel height " << reg.height();
}

TEST_F(RegisterPanelTest, SelectingAChipWithoutTheCurrentPageShowsPageOne) {
    reg.PPAGE2->click();
    EXPECT_EQ(bench.Model.CurrentPage, 1);
    EXPECT_EQ(reg.SREG->item(0, 0)->text(), "STATUS");
    main->SelectChip(0); // QN7401: page 1 only
    EXPECT_TRUE(reg.PPAGE2->isHidden());
    EXPECT_EQ(bench.Model.CurrentPage, 0);
    EXPECT_TRUE(reg.PPage1->isChecked());
    EXPECT_EQ(reg.SREG->item(0, 0)->text(), "ADCCN0");
}

} // namespace
} // namespace qn::test
