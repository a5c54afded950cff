// The register panel TQn_Reg2: bit, byte and word registers of the chip and its core registers.
#pragma once

#include "chip/ChipPanelContext.h"
#include "chip/RegisterPanelState.h"

#include <QWidget>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

class QBoxLayout;
class QDialog;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace qn {

// What comparing the register image with a snapshot file gave: whether the file was read, how many
// registers differ, and the text for the user (the differences, or why the file was refused).
struct SnapshotComparison {
    bool Read = false;
    size_t Differences = 0;
    std::string Text;
};

class TQn_Reg2 : public QWidget {
    Q_OBJECT
  public:
    TQn_Reg2(const ChipPanelContext& context, QWidget* parent = nullptr);

    // Shows the image in every grid and figure; marks changes unless `suppressMarks`.
    void RefreshRegisters(bool suppressMarks);
    // Fills the bit grid for the current page, then refreshes without marks.
    void RebuildBitGrid();
    // After a chip selection: grid sizes, names and page buttons.
    void ApplyChip();

    // Page button: shows page 0..3 of the bit registers.
    void SelectPage(int page);
    // Double-clicks on grid cells and clicks on the core-register strip.
    void BitCellDoubleClicked(int row, int column);
    void ByteCellDoubleClicked(int row, int column);
    void WordCellDoubleClicked(int row, int column);
    void WorkClicked(bool programCounter = false);
    void IndirectClicked(int pair);
    // "Compare with snapshot…": asks for a snapshot file and shows the registers that differ from
    // the image, or the message CompareWith gives.
    void CompareSnapshotClick();

    // Reads a snapshot file and compares it with the image; set by the main window.
    std::function<SnapshotComparison(const std::string& file)> CompareWith;

    QTableWidget* SREG = nullptr;
    QTableWidget* SByteReg = nullptr;
    QTableWidget* SWordReg = nullptr;
    QPushButton* PPage1 = nullptr;
    QPushButton* PPAGE2 = nullptr;
    QPushButton* PPAGE3 = nullptr;
    QPushButton* PPAGE4 = nullptr;
    QLabel* PnlWork = nullptr;
    QLabel* PnlIND0_1 = nullptr; // FSR0
    QLabel* PnlIND0_2 = nullptr; // IND0
    QLabel* PnlIND1_1 = nullptr; // FSR1
    QLabel* PnlIND1_2 = nullptr; // IND1
    QLabel* PnlPC = nullptr;
    QLabel* PnlCycle = nullptr;
    QPushButton* PCompare = nullptr;  // "Compare with snapshot…"
    QDialog* CompareDialog = nullptr; // the differences of the last comparison
    QPlainTextEdit* CompareText = nullptr;
    // Popup menus; each opens with popup(), and its items act on the target remembered then.
    QMenu* RegisterMenu = nullptr; // "更改儲存值" of the working register
    QMenu* IndirectMenu = nullptr; // "更改儲存值", "Modify FSR0" / "Modify FSR1"
    QMenu* BitMenu = nullptr;      // "<bit>=1", "<bit>=0"
    QMenu* HelpMenu = nullptr;     // the description of the register or bit under the mouse

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // An in-place edit of a byte or word value cell.
    struct CellEdit {
        bool Editing = false;
        int Row = 0;
        int Column = 0;
    };

    void BuildStrip(QBoxLayout* layout);
    void BuildPageButtons(QBoxLayout* layout);
    QTableWidget* BuildGrid(QBoxLayout* layout);
    void BuildMenus();
    void ShowComparison(const std::string& file, const std::string& text);
    void ConnectGrids();
    QPushButton* PageButton(int page) const;
    void ShowFigures(bool suppressMarks);
    void PaintBitGrid();
    void PaintNameGrid(QTableWidget* grid, const NameGrid& names, bool words);
    void FillNameGrid(QTableWidget* grid, const NameGrid& names);
    void PaintPageButtons();

    bool Changed(int address) const;
    bool Changed(const WordRegRecord& reg) const;
    std::optional<uint32_t> AskHex(QTableWidget* grid, int row, int column, const char* pattern,
                                   const std::string& caption);
    std::optional<uint32_t> AskHexAtCursor(const char* pattern, const std::string& caption);
    void WriteAll(const RegisterWrites& writes);
    void ChangeWork();
    void ChangeIndirectByte();
    void ChangeFsr();
    void ChangeBit(bool set);

    bool TypeKey(QTableWidget* grid, int key, const QString& text);
    CellEdit& EditOf(QTableWidget* grid);
    void WriteCell(QTableWidget* grid, int row, int column);
    void CellLeft(QTableWidget* grid, int previousRow, int previousColumn);
    void OpenHelp(QTableWidget* grid, const QPoint& position);
    std::string HelpAt(QTableWidget* grid, int row, int column) const;

    ChipPanelContext context_;
    FigureMark workMark_;
    FigureMark fsrMark_[2];
    FigureMark indMark_[2];
    BitTarget bitTarget_;
    int indirectPair_ = 0;
    bool workFromProgramCounter_ = false;
    CellEdit byteEdit_;
    CellEdit wordEdit_;
    std::string helpText_;
    QWidget* workStrip_ = nullptr;
    QWidget* pcStrip_ = nullptr;
    QWidget* indStrip_[2] = {nullptr, nullptr};
};

} // namespace qn
