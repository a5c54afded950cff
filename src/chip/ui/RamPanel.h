// The RAM panel TQn_RAM: one 256-byte bank of the chip's memory as a 16 × 16 hex grid with
// change marks, colour marks and hints; RAM files and the spreadsheet export.
#pragma once

#include "chip/ChipPanelContext.h"
#include "chip/RamPanelState.h"

#include <QWidget>

#include <array>

class QAction;
class QBoxLayout;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;

namespace qn {

class TQn_RAM : public QWidget {
    Q_OBJECT
  public:
    TQn_RAM(const ChipPanelContext& context, QWidget* parent = nullptr);

    // Re-reads the shown bank from the image; marks changed cells unless `suppressMarks`.
    void RefreshRam(bool suppressMarks);
    // After a chip selection: bank buttons and popup items of the banks the chip defines.
    void ApplyChip();
    // Bank button or popup item k: shows bank k with marking on.
    void ChangeBank(int bank);

    const RamPanelState& State() const { return state_; }

    QTableWidget* SGD = nullptr; // row 0 and column 0 hold the headings
    std::array<QPushButton*, kRamBankCount> PBank{};
    // The grid's popup menu; its mark and hint items act on the cell of the last mouse press.
    QMenu* PopupMenu = nullptr;
    QWidget* PnlHint = nullptr;
    QLineEdit* EHint = nullptr; // the hint of the current cell; Enter stores it

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildBankButtons(QBoxLayout* layout);
    void BuildGrid(QBoxLayout* layout);
    void BuildHintPanel(QBoxLayout* layout);
    void BuildMenu();
    void ConnectGrid();

    void PaintBankButtons();
    void WriteHeadings();
    void DrawCells();
    void DrawCell(size_t index);

    int AddressAt(int row, int column) const;
    bool Implemented(int address) const;
    void CellDoubleClicked(int row, int column);
    void CurrentCellChanged(int row, int column);
    bool TypeKey(const QKeyEvent& key);
    void WriteCellText(int address);
    void WriteEditedCell();

    void SetMarkClick(bool newColour);
    void ResetMarkClick();
    void ResetAllMarkClick();
    void ResetHintClick();
    void ResetAllHintClick();
    void SetHintClick();
    void StoreHint();
    void SaveRamData();
    void LoadRamData();
    void SaveToExcel();

    ChipPanelContext context_;
    RamPanelState state_;
    std::array<QAction*, kRamBankCount> bankItems_{};
    int pressedAddress_ = -1; // cell of the last mouse press
    int editedAddress_ = -1;  // cell typed into; written when the selection moves or focus leaves
    int hintAddress_ = -1;    // cell whose hint the hint panel shows
    bool loading_ = false;    // a RAM file's values are being stored
};

} // namespace qn
