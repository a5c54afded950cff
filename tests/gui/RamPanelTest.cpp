// The RAM panel on the simulated bench with the 52K12 chip (RAM banks 0 and 1, Special link).
#include "ProgramFixture.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace qn {
namespace {

class RamPanelTest : public test::ProgramFixture {
  protected:
    RamPanelTest() {
        main->SelectChip(3);
        Connect(); // switches the 52K12 to the Special link, which reaches every address
        Trigger("RAM Panel");
    }
    // Address 0x80 + 16 * row + column of bank 0 sits at grid row 9 + row, column 1 + column.
    QTableWidgetItem* Cell(int row, int column) const { return ram->SGD->item(row, column); }
    QAction* Item(const char* caption) const {
        const QList<QAction*> items = ram->PopupMenu->actions();
        return *std::find_if(items.begin(), items.end(),
                             [&](QAction* item) { return item->text() == caption; });
    }
    void Key(Qt::Key key, const QString& text = {}) const {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(ram->SGD, &press);
    }
    bool Asked(const std::string& question) const {
        return std::count(answers.Asked.begin(), answers.Asked.end(), question) == 1;
    }
    TQn_RAM* ram = main->Qn_RAM;
};

TEST_F(RamPanelTest, TypedCellIsWrittenWhenTheSelectionMoves) {
    world.Bridge.Registers[0x86] = 0x11; // the image still shows 00
    ram->SGD->setCurrentCell(9, 7);
    Key(Qt::Key_X, "x"); // not a hex digit: discarded, nothing typed
    ram->SGD->setCurrentCell(9, 8);
    EXPECT_EQ(world.Bridge.Registers[0x86], 0x11);
    ram->SGD->setCurrentCell(9, 7);
    Key(Qt::Key_C, "c");
    EXPECT_EQ(world.Bridge.Registers[0x86], 0x11) << "typing alone writes nothing";
    ram->SGD->setCurrentCell(9, 8);
    EXPECT_EQ(world.Bridge.Registers[0x86], 0x00) << "the cell's text went to the chip";
}

TEST_F(RamPanelTest, BankButtonsShowTheChipsBanksAndSwitchHeadings) {
    EXPECT_TRUE(ram->PBank[0]->isChecked());
    EXPECT_FALSE(ram->PBank[2]->isVisibleTo(ram));
    EXPECT_FALSE(Item("RAMBANK2")->isVisible());
    ram->PBank[1]->click();
    EXPECT_EQ(bench.Model.CurrentBank, 1);
    EXPECT_TRUE(ram->PBank[1]->isChecked());
    EXPECT_EQ(Cell(1, 0)->text(), "100");
    EXPECT_EQ(Cell(16, 0)->text(), "1F0");
}

TEST_F(RamPanelTest, MarksStayWhenResetAllIsDeclined) {
    emit ram->SGD->cellPressed(9, 6);
    Item("Set Mark")->trigger();
    EXPECT_EQ(Cell(9, 6)->background().color(), QColor(0x80, 0x80, 0x80));
    answers.Confirms = {false, true};
    Item("Reset All Mark")->trigger();
    EXPECT_TRUE(Asked("Are you sure to reset all mark?"));
    EXPECT_EQ(Cell(9, 6)->background().color(), QColor(0x80, 0x80, 0x80));
    Item("Reset All Mark")->trigger();
    EXPECT_EQ(Cell(9, 6)->background().color(), QColor(Qt::white));
}

// A double click writes the chip; a file saved then loaded reaches the image but not the chip.
TEST_F(RamPanelTest, DoubleClickWritesTheChipAndALoadedFileOnlyTheImage) {
    const std::string file = dir.filePath("a.ram").toStdString();
    ASSERT_EQ(Cell(9, 6)->text(), "00");
    answers.Hex = {0x5A};
    emit ram->SGD->cellDoubleClicked(9, 6);
    EXPECT_EQ(answers.LastHex.Caption, "Ram0085=00");
    EXPECT_EQ(world.Bridge.Registers[0x85], 0x5A);
    EXPECT_EQ(Cell(9, 6)->text(), "5A");
    EXPECT_EQ(Cell(9, 6)->background().color(), QColor(0, 0, 255)); // changed: white on blue
    EXPECT_EQ(Cell(9, 6)->foreground().color(), QColor(Qt::white));
    answers.Files = {file, file, file};
    Item("Save RAM Data")->trigger();
    Item("Save RAM Data")->trigger(); // exists: declined, so the file stays
    EXPECT_TRUE(Asked("File " + file + " exist! Overwrite?"));
    answers.Hex = {0x22};
    emit ram->SGD->cellDoubleClicked(9, 6); // changed from the file's value
    world.Bridge.Registers.fill(0x33);
    const SimRegisterFile chip = world.Bridge.Registers;
    Item("Load RAM Data")->trigger();
    EXPECT_EQ(bench.Stnd.RegImage[0x85], 0x5A);
    EXPECT_EQ(world.Bridge.Registers, chip);
    EXPECT_EQ(Cell(9, 6)->text(), "5A");
    EXPECT_EQ(Cell(9, 6)->background().color(), QColor(Qt::white)) << "loading marks nothing";
}

} // namespace
} // namespace qn
