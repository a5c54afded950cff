// The chip's panels on the simulated bench: the register and RAM panels on the 52K12 over the
// Special link (menus, typing, keypad edits and files reach the chip or the image), the ADC panel
// on the QN7401 (selectors and switches reach the chip's registers and relabel the drawing,
// continuous reading follows the input until the panel goes away, the drawing is painted at pixel
// ratios 1 and 2), and the hex keypad driven by keys and buttons.
#include "ProgramFixture.h"
#include "shell/Snapshot.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <set>
#include <tuple>

namespace qn::test {
namespace {

// Sends each step to `target` as the keyboard does: one character is typed, more name a key.
void Keys(QWidget& target, const QStringList& steps) {
    for (const QString& step : steps) {
        const bool typed = step.size() == 1;
        const int key = typed ? step.toUpper().at(0).unicode() : int{QKeySequence(step)[0].key()};
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, typed ? step : QString());
        QCoreApplication::sendEvent(&target, &press);
    }
}

// The 52K12: bit pages 1 and 2, RAM banks 0 and 1, six byte and two word registers; connecting
// switches it to the Special link, which reaches every address.
class RegisterPanelTest : public ProgramFixture {
  protected:
    RegisterPanelTest() {
        main->SelectChip(3);
        Connect();
    }
    using Bytes = std::pair<uint8_t, uint8_t>;
    TQn_Reg2& reg = *main->Qn_Reg2;
};

TEST_F(RegisterPanelTest, BitMenuWritesTheBitAndTheNameComesBackMarked) {
    const uint8_t before = Chip(0x3C); // ADCCN0, the bit grid's second row
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
    answers.Files = {data + ".snapshot", data, data + ".snapshot"};
    reg.PCompare->click();
    EXPECT_EQ(answers.Asked.back(), "No register differs");
    reg.PCompare->click();
    EXPECT_EQ(answers.Asked.back().rfind("Cannot use the snapshot file " + data, 0), 0u);
    EXPECT_EQ(reg.CompareDialog, nullptr);

    bench.Chip.WriteRegister(0x3E, static_cast<uint8_t>(Chip(0x3E) ^ 0x20)); // PGA bit 0
    reg.PCompare->click();
    ASSERT_NE(reg.CompareDialog, nullptr);
    EXPECT_TRUE(reg.CompareDialog->isVisible());
    const std::string shown = reg.CompareText->toPlainText().toStdString();
    EXPECT_EQ(shown.rfind("ADCCN2 [03E] ", 0), 0u) << shown;
}

TEST_F(RegisterPanelTest, TypedByteIsWrittenOnEnterAndOnLeavingTheCell) {
    reg.SByteReg->setCurrentCell(1, 5);             // WORK, address 29H
    Keys(*reg.SByteReg, {"1", "2", "3", "Return"}); // the cell keeps the last two digits
    EXPECT_EQ(Chip(0x29), 0x23);
    Keys(*reg.SByteReg, {"4", "Backspace", "a", "x"});
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
    EXPECT_TRUE(reg.PPage1->isChecked());
    EXPECT_EQ(reg.SREG->item(0, 0)->text(), "ADCCN0");
}

// Address 0x80 + 16 * row + column of bank 0 sits at grid row 9 + row, column 1 + column.
class RamPanelTest : public RegisterPanelTest {
  protected:
    RamPanelTest() { Trigger("RAM Panel"); }
    QTableWidgetItem* Cell(int row, int column) const { return ram.SGD->item(row, column); }
    QAction* Item(const char* caption) const {
        const QList<QAction*> items = ram.PopupMenu->actions();
        return *std::find_if(items.begin(), items.end(),
                             [&](QAction* item) { return item->text() == caption; });
    }
    bool Asked(const std::string& question) const {
        return std::count(answers.Asked.begin(), answers.Asked.end(), question) == 1;
    }
    TQn_RAM& ram = *main->Qn_RAM;
};

TEST_F(RamPanelTest, TypedCellIsWrittenWhenTheSelectionMoves) {
    world.Bridge.Registers[0x86] = 0x11; // the image still shows 00
    // "x" is no hex digit: discarded, nothing typed. After "c" the cell's text goes to the chip.
    for (const auto& [typed, written] : {std::pair{"x", 0x11}, {"c", 0x00}}) {
        ram.SGD->setCurrentCell(9, 7);
        Keys(*ram.SGD, {typed});
        EXPECT_EQ(Chip(0x86), 0x11) << typed << ": typing alone writes nothing";
        ram.SGD->setCurrentCell(9, 8);
        EXPECT_EQ(Chip(0x86), written) << typed;
    }
}

TEST_F(RamPanelTest, BankButtonsShowTheChipsBanksAndSwitchHeadings) {
    EXPECT_TRUE(ram.PBank[0]->isChecked());
    EXPECT_FALSE(ram.PBank[2]->isVisibleTo(&ram));
    EXPECT_FALSE(Item("RAMBANK2")->isVisible());
    ram.PBank[1]->click();
    EXPECT_EQ(bench.Model.CurrentBank, 1);
    EXPECT_TRUE(ram.PBank[1]->isChecked());
    EXPECT_EQ(Cell(16, 0)->text(), "1F0");
}

TEST_F(RamPanelTest, MarksStayWhenResetAllIsDeclined) {
    emit ram.SGD->cellPressed(9, 6);
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
    answers.Hex = {0x5A, 0x22};
    emit ram.SGD->cellDoubleClicked(9, 6);
    EXPECT_EQ(answers.LastHex.Caption, "Ram0085=00");
    EXPECT_EQ(Chip(0x85), 0x5A);
    EXPECT_EQ(Cell(9, 6)->text(), "5A");
    EXPECT_EQ(Cell(9, 6)->background().color(), QColor(0, 0, 255)); // changed: white on blue
    EXPECT_EQ(Cell(9, 6)->foreground().color(), QColor(Qt::white));
    answers.Files = {file, file, file};
    Item("Save RAM Data")->trigger();
    Item("Save RAM Data")->trigger(); // exists: declined, so the file stays
    EXPECT_TRUE(Asked("File " + file + " exist! Overwrite?"));
    emit ram.SGD->cellDoubleClicked(9, 6); // changed from the file's value
    world.Bridge.Registers.fill(0x33);
    const SimRegisterFile chip = world.Bridge.Registers;
    Item("Load RAM Data")->trigger();
    EXPECT_EQ(bench.Stnd.RegImage[0x85], 0x5A);
    EXPECT_EQ(world.Bridge.Registers, chip);
    EXPECT_EQ(Cell(9, 6)->text(), "5A");
    EXPECT_EQ(Cell(9, 6)->background().color(), QColor(Qt::white)) << "loading marks nothing";
}

class AdcPanelTest : public ProgramFixture {
  protected:
    AdcPanelTest() {
        Connect();
        Trigger("ADC Panel");
    }
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
    EXPECT_EQ(adc.TXADC->text().toStdString(), adc.View().AdcText);

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

// Runs the keypad for `question`; `act` runs inside its modal loop. A guard closes it with OK
// after 2 s, so a cancel that failed to close shows as a value and a fault never hangs the run.
std::optional<uint32_t> RunKeypad(TQnPopSelHex& pad, const HexQuestion& question,
                                  const std::function<void()>& act) {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &pad, &QDialog::accept);
    guard.start(2000);
    QTimer::singleShot(0, &pad, act);
    return pad.Execute(question);
}

// A step: "#name" clicks the button with that text, else it goes to Keys.
void Press(TQnPopSelHex& pad, const QString& step) {
    if (!step.startsWith('#')) return Keys(pad, {step});
    for (auto* b : pad.findChildren<QAbstractButton*>())
        if (b->text() == step.mid(1)) b->click();
}

TEST(HexKeypadTest, KeysAndButtonsGiveTheValueAndItOpensOnTheScreen) {
    const std::tuple<const char*, QStringList, std::optional<uint32_t>> cases[] = {
        {"FF", {"7", "c"}, 0x7C},                          // closes at full length
        {"FF", {"Return", "#Enter", "Esc"}, std::nullopt}, // Enter on an empty field stays
        {"FF", {"5", "#Cancel"}, std::nullopt},
        {"FFF", {"1", "2", "#Clear", "#A", "#0", "#Enter"}, 0xA0},
        {"FFFF", {"1", "2", "Backspace", "Left", "3", "Return"}, 0x13},
    };
    TQnPopSelHex pad;
    for (const auto& [pattern, steps, expected] : cases) {
        const HexQuestion question{100, 100, pattern, "00~FF", "Ram0010=00"};
        const auto value = RunKeypad(pad, question, [&] {
            for (const QString& step : steps)
                if (pad.isVisible()) Press(pad, step); // steps after closing are not sent
        });
        EXPECT_EQ(value, expected) << pattern << " " << steps.join(' ').toStdString();
    }
    // Asked at the screen's corner, it opens fully on the screen with caption and range.
    const QRect area = pad.screen()->availableGeometry();
    const HexQuestion question{area.right() - 5, area.bottom() - 5, "FFFF", "0000~FFFF", "Reg"};
    RunKeypad(pad, question, [&] {
        // Moved left and up only as needed.
        EXPECT_EQ(pad.frameGeometry().bottomRight(), area.bottomRight());
        pad.reject();
    });
    EXPECT_EQ(pad.windowTitle(), "Reg");
    EXPECT_EQ(pad.LHint->text(), "0000~FFFF");
    // A tool window whose frame the program names: title and close, no minimise or maximise.
    const Qt::WindowFlags flags = pad.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags.testFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

} // namespace
} // namespace qn::test
