// The RAM panel: bank buttons, the 17 × 17 grid, the hint panel and the grid's popup menu. Every
// byte edit goes to the chip through the context's Write; loading a file goes through Store.
#include "chip/ui/RamPanel.h"

#include "chip/HexEntry.h"
#include "chip/RamFiles.h"
#include "files/Cp950Text.h"
#include "files/NumberText.h"

#include <QBoxLayout>
#include <QDesktopServices>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>

#include <filesystem>

namespace qn {
namespace {

constexpr int kGridLines = kRamGridSide + 1;
const QColor kChanged(0, 0, 255);

QFont GridFont(bool underlined) {
    QFont font("Courier New", 11, QFont::Bold);
    font.setUnderline(underlined);
    return font;
}

QTableWidgetItem* NewItem(const QString& text, bool heading) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    item->setFont(GridFont(false));
    if (heading) {
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(QColor(0xF0, 0xF0, 0xF0));
    }
    return item;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// Cell i of the bank sits at grid row i div 16 + 1, column i mod 16 + 1.
int RowOf(size_t index) {
    return static_cast<int>(index) / kRamGridSide + 1;
}
int ColumnOf(size_t index) {
    return static_cast<int>(index) % kRamGridSide + 1;
}

} // namespace

TQn_RAM::TQn_RAM(const ChipPanelContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setWindowTitle("記憶體");
    auto* layout = new QVBoxLayout(this);
    BuildBankButtons(layout);
    BuildGrid(layout);
    BuildHintPanel(layout);
    BuildMenu();
    ConnectGrid();
    ApplyChip();
    resize(640, 520);
}

void TQn_RAM::BuildBankButtons(QBoxLayout* layout) {
    auto* row = new QHBoxLayout;
    for (int k = 0; k < kRamBankCount; ++k) {
        auto* button = new QPushButton(QString("Bank%1").arg(k), this);
        button->setObjectName(QString("PBank%1").arg(k));
        button->setCheckable(true);
        connect(button, &QPushButton::clicked, this, [this, k] { ChangeBank(k); });
        PBank[static_cast<size_t>(k)] = button;
        row->addWidget(button);
    }
    row->addStretch();
    layout->addLayout(row);
}

void TQn_RAM::BuildGrid(QBoxLayout* layout) {
    SGD = new QTableWidget(kGridLines, kGridLines, this);
    SGD->setObjectName("SGD");
    SGD->horizontalHeader()->hide();
    SGD->verticalHeader()->hide();
    SGD->horizontalHeader()->setDefaultSectionSize(32);
    SGD->verticalHeader()->setDefaultSectionSize(24);
    SGD->setColumnWidth(0, 44);
    SGD->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGD->setSelectionMode(QAbstractItemView::SingleSelection);
    SGD->setContextMenuPolicy(Qt::CustomContextMenu);
    SGD->setItem(0, 0, NewItem("", true));
    for (int i = 1; i < kGridLines; ++i) {
        SGD->setItem(0, i, NewItem(Text(HexText(static_cast<uint32_t>(i - 1))), true));
        SGD->setItem(i, 0, NewItem("", true));
        for (int j = 1; j < kGridLines; ++j) SGD->setItem(i, j, NewItem("-", false));
    }
    SGD->installEventFilter(this);
    layout->addWidget(SGD, 1);
}

void TQn_RAM::BuildHintPanel(QBoxLayout* layout) {
    PnlHint = new QWidget(this);
    PnlHint->setObjectName("PnlHint");
    auto* row = new QHBoxLayout(PnlHint);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel("Hint", PnlHint));
    EHint = new QLineEdit(PnlHint);
    EHint->setObjectName("EHint");
    row->addWidget(EHint, 1);
    connect(EHint, &QLineEdit::returnPressed, this, &TQn_RAM::StoreHint);
    layout->addWidget(PnlHint);
}

void TQn_RAM::BuildMenu() {
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName("PopupMenu");
    for (int k = 0; k < kRamBankCount; ++k)
        bankItems_[static_cast<size_t>(k)] =
            PopupMenu->addAction(QString("RAMBANK%1").arg(k), this, [this, k] { ChangeBank(k); });
    PopupMenu->addSeparator();
    PopupMenu->addAction("Set Mark", this, [this] { SetMarkClick(false); });
    PopupMenu->addAction("Set Mark(new color)", this, [this] { SetMarkClick(true); });
    PopupMenu->addAction("Reset Mark", this, &TQn_RAM::ResetMarkClick);
    PopupMenu->addAction("Reset All Mark", this, &TQn_RAM::ResetAllMarkClick);
    PopupMenu->addAction("Reset Hint", this, &TQn_RAM::ResetHintClick);
    PopupMenu->addAction("Reset All Hint", this, &TQn_RAM::ResetAllHintClick);
    PopupMenu->addAction("Set Hint", this, &TQn_RAM::SetHintClick);
    PopupMenu->addSeparator();
    PopupMenu->addAction("Save RAM Data", this, &TQn_RAM::SaveRamData);
    PopupMenu->addAction("Load RAM Data", this, &TQn_RAM::LoadRamData);
    PopupMenu->addAction("Save To excel", this, &TQn_RAM::SaveToExcel);
}

void TQn_RAM::ConnectGrid() {
    connect(SGD, &QTableWidget::cellDoubleClicked, this, &TQn_RAM::CellDoubleClicked);
    connect(SGD, &QTableWidget::cellPressed, this,
            [this](int row, int column) { pressedAddress_ = AddressAt(row, column); });
    connect(SGD, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { CurrentCellChanged(row, column); });
    connect(SGD, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = SGD->indexAt(at);
        pressedAddress_ = AddressAt(index.row(), index.column());
        PopupMenu->popup(SGD->viewport()->mapToGlobal(at));
    });
}

void TQn_RAM::RefreshRam(bool suppressMarks) {
    if (loading_) return; // the file's values are redrawn once they are all stored
    state_.RefreshRam(context_.Model, context_.Image, !suppressMarks);
    DrawCells();
}

void TQn_RAM::ApplyChip() {
    for (size_t k = 0; k < kRamBankCount; ++k) {
        const bool shown = context_.Model.Controls.BankButtons[k];
        PBank[k]->setVisible(shown);
        bankItems_[k]->setVisible(shown);
    }
    PaintBankButtons();
    WriteHeadings();
}

void TQn_RAM::ChangeBank(int bank) {
    if (bank < 0 || bank >= kRamBankCount) return;
    WriteEditedCell();
    context_.Model.CurrentBank = static_cast<uint8_t>(bank);
    PaintBankButtons();
    WriteHeadings();
    RefreshRam(false);
    CurrentCellChanged(SGD->currentRow(), SGD->currentColumn());
}

void TQn_RAM::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    RefreshRam(true);
}

// The current bank's button is sunken (checked) and yellow; the others raised and plain.
void TQn_RAM::PaintBankButtons() {
    for (size_t k = 0; k < kRamBankCount; ++k) {
        const bool current = k == context_.Model.CurrentBank;
        PBank[k]->setChecked(current);
        PBank[k]->setStyleSheet(current ? "background-color: #FFFF00" : "");
    }
}

void TQn_RAM::WriteHeadings() {
    for (int row = 1; row < kGridLines; ++row)
        SGD->item(row, 0)->setText(Text(RamRowHeading(context_.Model.CurrentBank, row)));
}

void TQn_RAM::DrawCells() {
    for (size_t i = 0; i < kRamBankSize; ++i) DrawCell(i);
}

// Changed: blue with white text; else marked: the mark colour with white text; else white with
// black text. A cell with a hint is underlined and shows the hint as its tooltip.
void TQn_RAM::DrawCell(size_t index) {
    const RamCell& cell = state_.Cells()[index];
    const RamMark mark = state_.MarkAt(cell.Address);
    const RamHint hint = state_.HintAt(cell.Address);
    QTableWidgetItem* item = SGD->item(RowOf(index), ColumnOf(index));
    const QString text = Text(cell.Text);
    if (item->text() != text) item->setText(text);
    const bool white = cell.Changed || mark.Marked;
    item->setForeground(white ? Qt::white : Qt::black);
    item->setBackground(cell.Changed  ? kChanged
                        : mark.Marked ? QColor(static_cast<QRgb>(mark.Colour))
                                      : QColor(Qt::white));
    item->setFont(GridFont(hint.Hinted));
    item->setToolTip(hint.Hinted ? Text(Cp950ToUtf8(hint.Text)) : QString());
}

// The address of a grid cell, -1 for headings and outside the grid.
int TQn_RAM::AddressAt(int row, int column) const {
    return RamCellAddress(context_.Model.CurrentBank, column, row);
}

bool TQn_RAM::Implemented(int address) const {
    return address >= 0 && context_.Model.Mask(address) != 0;
}

void TQn_RAM::CellDoubleClicked(int row, int column) {
    const int address = AddressAt(row, column);
    if (!Implemented(address)) return;
    QTableWidgetItem* item = SGD->item(row, column);
    const QPoint at = SGD->viewport()->mapToGlobal(SGD->visualItemRect(item).topLeft());
    const std::string caption =
        "Ram" + HexPad(static_cast<uint16_t>(address), 4) + "=" + item->text().toStdString();
    const std::optional<uint32_t> value =
        context_.Ask.AskHex({at.x(), at.y(), "FF", "00~FF", caption});
    if (value) context_.Write(address, static_cast<uint8_t>(*value & 0xFF));
}

void TQn_RAM::CurrentCellChanged(int row, int column) {
    WriteEditedCell();
    hintAddress_ = AddressAt(row, column);
    EHint->setText(Text(Cp950ToUtf8(state_.HintAt(hintAddress_).Text)));
}

bool TQn_RAM::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SGD && event->type() == QEvent::KeyPress)
        return TypeKey(*static_cast<QKeyEvent*>(event));
    if (watched == SGD && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        WriteEditedCell(); // leaving the window writes the cell typed into
    return QWidget::eventFilter(watched, event);
}

// Character keys on a cell: hex digits and Backspace mark it as typed into, Enter and Tab write
// its text; other characters, and any on an unimplemented cell, are discarded. Navigation keys
// move as usual. Returns true when the key is consumed.
bool TQn_RAM::TypeKey(const QKeyEvent& key) {
    const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    const bool tab = key.key() == Qt::Key_Tab;
    const bool backspace = key.key() == Qt::Key_Backspace;
    const QString text = key.text();
    const bool character = !text.isEmpty() && text.at(0).isPrint();
    if (!enter && !tab && !backspace && !character) return false;
    const int address = AddressAt(SGD->currentRow(), SGD->currentColumn());
    if (!Implemented(address)) return true;
    if (enter || tab) {
        editedAddress_ = -1;
        WriteCellText(address);
        return enter;
    }
    if (backspace || HexDigitOf(text.at(0).toLatin1())) editedAddress_ = address;
    return true;
}

void TQn_RAM::WriteCellText(int address) {
    const int index = address - context_.Model.CurrentBank * kRamBankSize;
    if (index < 0 || index >= kRamBankSize || !Implemented(address)) return;
    const uint32_t value = ParseHex(state_.Cells()[static_cast<size_t>(index)].Text);
    context_.Write(address, static_cast<uint8_t>(value & 0xFF));
}

void TQn_RAM::WriteEditedCell() {
    if (editedAddress_ < 0) return;
    const int address = editedAddress_;
    editedAddress_ = -1;
    WriteCellText(address);
}

void TQn_RAM::SetMarkClick(bool newColour) {
    if (!Implemented(pressedAddress_)) return;
    uint32_t colour = state_.MarkColour();
    if (newColour) {
        const std::optional<uint32_t> chosen = context_.Ask.AskColour(colour);
        if (!chosen) return;
        colour = *chosen;
    }
    state_.SetMark(context_.Model, pressedAddress_, colour);
    DrawCells();
}

void TQn_RAM::ResetMarkClick() {
    if (state_.ResetMark(context_.Model, pressedAddress_)) DrawCells();
}

void TQn_RAM::ResetAllMarkClick() {
    if (!context_.Ask.Confirm("Are you sure to reset all mark?")) return;
    state_.ResetAllMarks();
    DrawCells();
}

void TQn_RAM::ResetHintClick() {
    if (!state_.ResetHint(context_.Model, pressedAddress_)) return;
    if (hintAddress_ == pressedAddress_) EHint->clear();
    DrawCells();
}

void TQn_RAM::ResetAllHintClick() {
    if (!context_.Ask.Confirm("Are you sure to reset all Hint?")) return;
    state_.ResetAllHints();
    EHint->clear();
    DrawCells();
}

// The hint panel takes the pressed cell; typing there and Enter stores the hint.
void TQn_RAM::SetHintClick() {
    if (!Implemented(pressedAddress_)) return;
    hintAddress_ = pressedAddress_;
    EHint->setText(Text(Cp950ToUtf8(state_.HintAt(hintAddress_).Text)));
    EHint->setFocus();
    EHint->selectAll();
}

void TQn_RAM::StoreHint() {
    const std::string text = Utf8ToCp950(EHint->text().toStdString());
    if (state_.SetHint(context_.Model, hintAddress_, text)) DrawCells();
}

void TQn_RAM::SaveRamData() {
    const std::optional<std::string> file = context_.Ask.AskFileToSave("ram", context_.ProgramDir);
    if (!file) return;
    std::error_code error;
    if (std::filesystem::exists(*file, error) &&
        !context_.Ask.Confirm("File " + *file + " exist! Overwrite?"))
        return;
    std::string problem;
    if (!SaveRamFile(*file, state_, context_.Model, context_.Image, problem))
        context_.Ask.Tell("Cannot write the RAM file: " + problem);
}

// Values first (image and panels, never the chip), a refresh without marks, then the marks and
// hints.
void TQn_RAM::LoadRamData() {
    const std::optional<std::string> file = context_.Ask.AskFileToOpen("ram", context_.ProgramDir);
    if (!file) return;
    std::string problem;
    loading_ = true;
    const bool read = LoadRamFile(
        *file, state_, context_.Model, context_.Store,
        [this] {
            loading_ = false;
            RefreshRam(true);
        },
        problem);
    loading_ = false;
    if (!read) {
        context_.Ask.Tell("Cannot read the RAM file: " + problem);
        return;
    }
    DrawCells();
    CurrentCellChanged(SGD->currentRow(), SGD->currentColumn());
}

// Writes the "USER Data" workbook and opens it in the desktop's spreadsheet application.
void TQn_RAM::SaveToExcel() {
    const std::optional<std::string> file = context_.Ask.AskFileToSave("xlsx", context_.ProgramDir);
    if (!file) return;
    if (!SaveRamSheet(context_.Sheets, *file, context_.Model, context_.Image)) {
        context_.Ask.Tell("Cannot write the spreadsheet " + *file);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(Text(*file))))
        context_.Status.SetPanelText(StatusPanel::Bridge, "Saved to " + *file);
}

} // namespace qn
