// The register panel: grids of the chip's bit, byte and word registers, page buttons and the
// core-register strip. Every edit goes to the chip through the context's Write.
#include "chip/ui/RegisterPanel.h"

#include "chip/HexEntry.h"
#include "chip/RegField.h"
#include "chip/RegisterRefresh.h"
#include "files/NumberText.h"

#include <QBoxLayout>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>

namespace qn {
namespace {

const QColor kBlue(0, 0, 255);
const QColor kSilver(0xC0, 0xC0, 0xC0);
// Colour of the current page's button, page 1..4: yellow, green, red, white.
const char* const kPageColours[kRegPageCount] = {"#FFFF00", "#008000", "#FF0000", "#FFFFFF"};
constexpr size_t kColumns = NameGrid::kColumns;

QTableWidgetItem* CellItem(QTableWidget* grid, int row, int column) {
    QTableWidgetItem* item = grid->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem();
        item->setTextAlignment(Qt::AlignCenter);
        grid->setItem(row, column, item);
    }
    return item;
}

void SetCell(QTableWidget* grid, int row, int column, const std::string& text, QColor fore,
             QColor back) {
    QTableWidgetItem* item = CellItem(grid, row, column);
    const QString shown = QString::fromStdString(text);
    if (item->text() != shown) item->setText(shown);
    item->setForeground(fore);
    item->setBackground(back);
}

// Row count, and a height that shows every row within the grid's frame and no empty rows, so
// the panel's first size holds every grid of a chip such as the 52K12.
void SizeGrid(QTableWidget* grid, size_t rows) {
    grid->setRowCount(static_cast<int>(rows));
    const int rowHeight = grid->verticalHeader()->defaultSectionSize();
    grid->setFixedHeight(rowHeight * static_cast<int>(rows) + 2 * grid->frameWidth());
}

void SetFigure(QLabel* label, const std::string& text, bool highlighted) {
    label->setText(QString::fromStdString(text));
    label->setStyleSheet(highlighted ? "color: #FFFFFF; background: #0000FF"
                                     : "color: #0000FF; background: #FFFFFF");
}

// The keypad's range hint for a template: "FF" gives "00~FF".
std::string HintOf(const std::string& pattern) {
    return std::string(pattern.size(), '0') + "~" + pattern;
}

uint8_t LowByte(uint32_t value) {
    return static_cast<uint8_t>(value & 0xFF);
}

} // namespace

TQn_Reg2::TQn_Reg2(const ChipPanelContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setWindowTitle("暫存器");
    auto* layout = new QVBoxLayout(this);
    BuildStrip(layout);
    BuildPageButtons(layout);
    // The three grids keep the heights their rows need and scroll together in a small window.
    auto* grids = new QWidget(this);
    auto* gridLayout = new QVBoxLayout(grids);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    SREG = BuildGrid(gridLayout);
    SByteReg = BuildGrid(gridLayout);
    SWordReg = BuildGrid(gridLayout);
    gridLayout->addStretch();
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(grids);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    layout->addWidget(scroll);
    BuildMenus();
    ConnectGrids();
    resize(700, 480);
}

void TQn_Reg2::BuildStrip(QBoxLayout* layout) {
    auto* row = new QHBoxLayout();
    auto strip = [&](std::initializer_list<QWidget*> pieces) {
        auto* box = new QWidget(this);
        auto* inner = new QHBoxLayout(box);
        inner->setContentsMargins(2, 2, 2, 2);
        for (QWidget* piece : pieces) inner->addWidget(piece);
        row->addWidget(box);
        box->installEventFilter(this);
        return box;
    };
    auto text = [this](const char* shown) { return new QLabel(shown, this); };
    auto figure = [this](QLabel*& member, const char* name) {
        member = new QLabel(this);
        member->setObjectName(name);
        member->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return member;
    };
    workStrip_ = strip({text(" Work:"), figure(PnlWork, "PnlWork")});
    indStrip_[0] = strip({text(" IND0: M["), figure(PnlIND0_1, "PnlIND0_1"), text("]="),
                          figure(PnlIND0_2, "PnlIND0_2")});
    indStrip_[1] = strip({text(" IND1: M["), figure(PnlIND1_1, "PnlIND1_1"), text("]="),
                          figure(PnlIND1_2, "PnlIND1_2")});
    pcStrip_ = strip({text(" Program Counter: "), figure(PnlPC, "PnlPC")});
    strip({text(" Cycle: "), figure(PnlCycle, "PnlCycle")});
    PnlPC->setText(kProgramCounterText);
    PnlCycle->setText(kCycleText);
    row->addStretch();
    layout->addLayout(row);
}

void TQn_Reg2::BuildPageButtons(QBoxLayout* layout) {
    auto* row = new QHBoxLayout();
    QPushButton** members[kRegPageCount] = {&PPage1, &PPAGE2, &PPAGE3, &PPAGE4};
    const char* names[kRegPageCount] = {"PPage1", "PPAGE2", "PPAGE3", "PPAGE4"};
    for (int page = 0; page < kRegPageCount; ++page) {
        const auto p = static_cast<size_t>(page);
        auto* button = new QPushButton(QString("PAGE%1").arg(page + 1), this);
        button->setObjectName(names[p]);
        button->setCheckable(true);
        connect(button, &QPushButton::clicked, this, [this, page] { SelectPage(page); });
        row->addWidget(button);
        *members[p] = button;
    }
    row->addStretch();
    PCompare = new QPushButton("Compare with snapshot…", this);
    PCompare->setObjectName("PCompare");
    connect(PCompare, &QPushButton::clicked, this, &TQn_Reg2::CompareSnapshotClick);
    row->addWidget(PCompare);
    layout->addLayout(row);
}

QTableWidget* TQn_Reg2::BuildGrid(QBoxLayout* layout) {
    auto* grid = new QTableWidget(0, static_cast<int>(kColumns), this);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setFont(QFont("Courier New", 11, QFont::Bold));
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this,
            [this, grid](const QPoint& position) { OpenHelp(grid, position); });
    layout->addWidget(grid);
    return grid;
}

void TQn_Reg2::BuildMenus() {
    RegisterMenu = new QMenu(this);
    connect(RegisterMenu->addAction("更改儲存值"), &QAction::triggered, this, [this] {
        if (!workFromProgramCounter_) ChangeWork(); // the program counter has no chip source
    });
    IndirectMenu = new QMenu(this);
    connect(IndirectMenu->addAction("更改儲存值"), &QAction::triggered, this,
            [this] { ChangeIndirectByte(); });
    connect(IndirectMenu->addAction("Modify FSR0"), &QAction::triggered, this,
            [this] { ChangeFsr(); });
    BitMenu = new QMenu(this);
    connect(BitMenu->addAction("=1"), &QAction::triggered, this, [this] { ChangeBit(true); });
    connect(BitMenu->addAction("=0"), &QAction::triggered, this, [this] { ChangeBit(false); });
    HelpMenu = new QMenu(this);
    connect(HelpMenu->addAction("Description"), &QAction::triggered, this,
            [this] { context_.Ask.Tell(helpText_); });
}

void TQn_Reg2::ConnectGrids() {
    connect(SREG, &QTableWidget::cellDoubleClicked, this, &TQn_Reg2::BitCellDoubleClicked);
    connect(SByteReg, &QTableWidget::cellDoubleClicked, this, &TQn_Reg2::ByteCellDoubleClicked);
    connect(SWordReg, &QTableWidget::cellDoubleClicked, this, &TQn_Reg2::WordCellDoubleClicked);
    for (QTableWidget* grid : {SByteReg, SWordReg}) {
        grid->installEventFilter(this);
        connect(grid, &QTableWidget::currentCellChanged, this,
                [this, grid](int, int, int previousRow, int previousColumn) {
                    CellLeft(grid, previousRow, previousColumn);
                });
    }
}

void TQn_Reg2::RefreshRegisters(bool suppressMarks) {
    RefreshRegisterValues(context_.Model, context_.Image);
    ShowFigures(suppressMarks);
    PaintBitGrid();
    PaintNameGrid(SByteReg, context_.Model.ByteGrid, false);
    PaintNameGrid(SWordReg, context_.Model.WordGrid, true);
}

void TQn_Reg2::RebuildBitGrid() {
    ChipModel& model = context_.Model;
    model.CurrentPage = static_cast<uint8_t>(EffectivePage(model, model.CurrentPage));
    const std::vector<NameGrid::Row> rows = BitGridRows(model, model.CurrentPage);
    SizeGrid(SREG, rows.size());
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < kColumns; ++c)
            CellItem(SREG, static_cast<int>(r), static_cast<int>(c))
                ->setText(QString::fromStdString(rows[r][c]));
    PaintPageButtons();
    RefreshRegisters(true);
}

void TQn_Reg2::ApplyChip() {
    byteEdit_ = {};
    wordEdit_ = {};
    SizeGrid(SByteReg, context_.Model.ByteGrid.Rows.size());
    SizeGrid(SWordReg, context_.Model.WordGrid.Rows.size());
    RebuildBitGrid();
}

void TQn_Reg2::SelectPage(int page) {
    context_.Model.CurrentPage = static_cast<uint8_t>(EffectivePage(context_.Model, page));
    RebuildBitGrid();
}

QPushButton* TQn_Reg2::PageButton(int page) const {
    QPushButton* const buttons[kRegPageCount] = {PPage1, PPAGE2, PPAGE3, PPAGE4};
    return buttons[static_cast<size_t>(page)];
}

void TQn_Reg2::PaintPageButtons() {
    const ChipModel& model = context_.Model;
    for (int page = 0; page < kRegPageCount; ++page) {
        const auto p = static_cast<size_t>(page);
        QPushButton* button = PageButton(page);
        const bool current = page == model.CurrentPage;
        button->setVisible(model.Controls.PageButtons[p]);
        button->setChecked(current);
        button->setStyleSheet(current ? QString("background: ") + kPageColours[p] : QString());
    }
}

void TQn_Reg2::ShowFigures(bool suppressMarks) {
    const RegImageBytes& image = context_.Image;
    const CoreFigures figures = CoreFigureTexts(image);
    SetFigure(PnlWork, figures.Work, workMark_.Show(ImageByte(image, kWorkAddress), suppressMarks));
    QLabel* const fsr[2] = {PnlIND0_1, PnlIND1_1};
    QLabel* const ind[2] = {PnlIND0_2, PnlIND1_2};
    for (int pair = 0; pair < 2; ++pair) {
        const auto i = static_cast<size_t>(pair);
        SetFigure(fsr[i], figures.Fsr[i], fsrMark_[i].Show(FsrValue(image, pair), suppressMarks));
        SetFigure(ind[i], figures.Ind[i], indMark_[i].Show(IndValue(image, pair), suppressMarks));
    }
}

bool TQn_Reg2::Changed(int address) const {
    return InRegImage(address) && context_.Model.ChangedFlag[static_cast<size_t>(address)] != 0;
}

// A word register's name is marked when either of its bytes is marked.
bool TQn_Reg2::Changed(const WordRegRecord& reg) const {
    return Changed(reg.AddressH) || Changed(reg.AddressL);
}

void TQn_Reg2::PaintBitGrid() {
    const QColor face = palette().color(QPalette::Button);
    for (int row = 0; row < SREG->rowCount(); ++row) {
        const BitRegRecord* reg = BitRowRegister(context_.Model, context_.Model.CurrentPage, row);
        if (reg == nullptr) continue;
        QTableWidgetItem* name = CellItem(SREG, row, 0);
        const bool changed = Changed(reg->Address);
        name->setForeground(changed ? Qt::white : Qt::black);
        name->setBackground(changed ? kBlue : face);
        for (int column = 1; column <= 8; ++column) {
            QTableWidgetItem* bit = CellItem(SREG, row, column);
            const bool set = (reg->Value >> (8 - column) & 1) != 0;
            bit->setForeground(set ? kBlue : Qt::black);
            bit->setBackground(set ? QColor(Qt::white) : kSilver);
        }
    }
}

void TQn_Reg2::PaintNameGrid(QTableWidget* grid, const NameGrid& names, bool words) {
    const ChipModel& model = context_.Model;
    const int32_t count = words ? model.WordRegs.Count() : model.ByteRegs.Count();
    const QColor face = palette().color(QPalette::Button);
    if (grid->rowCount() != static_cast<int>(names.Rows.size())) SizeGrid(grid, names.Rows.size());
    for (int row = 0; row < grid->rowCount(); ++row) {
        for (int column = 0; column < static_cast<int>(kColumns); ++column) {
            const std::string& text =
                names.Cell(static_cast<size_t>(row), static_cast<size_t>(column));
            const auto cell = GridRegisterAt(row, column, count);
            if (row % 2 == 1) {
                SetCell(grid, row, column, text, Qt::black, Qt::white);
                continue;
            }
            bool changed = false;
            if (cell && words) changed = Changed(*model.WordRegs.Get(cell->Index));
            if (cell && !words) changed = Changed(model.ByteRegs.Get(cell->Index)->Address);
            SetCell(grid, row, column, text, changed ? Qt::white : Qt::black,
                    changed ? kBlue : face);
        }
    }
}

std::optional<uint32_t> TQn_Reg2::AskHex(QTableWidget* grid, int row, int column,
                                         const char* pattern, const std::string& caption) {
    const QRect rect = grid->visualRect(grid->model()->index(row, column));
    const QPoint at = grid->viewport()->mapToGlobal(rect.bottomLeft());
    return context_.Ask.AskHex({at.x(), at.y(), pattern, HintOf(pattern), caption});
}

std::optional<uint32_t> TQn_Reg2::AskHexAtCursor(const char* pattern, const std::string& caption) {
    const QPoint at = QCursor::pos();
    return context_.Ask.AskHex({at.x(), at.y(), pattern, HintOf(pattern), caption});
}

void TQn_Reg2::WriteAll(const RegisterWrites& writes) {
    for (const RegisterWrite& write : writes) context_.Write(write.Address, write.Value);
}

void TQn_Reg2::BitCellDoubleClicked(int row, int column) {
    const BitRegRecord* reg = BitRowRegister(context_.Model, context_.Model.CurrentPage, row);
    if (reg == nullptr) return;
    if (column == 0) {
        const std::string caption = "Ram" + HexPad(reg->Address, 3) + "=" + reg->Name;
        if (const auto value = AskHex(SREG, row, 0, "FF", caption))
            context_.Write(reg->Address, LowByte(*value));
        return;
    }
    const auto target = BitCellTarget(context_.Model, context_.Model.CurrentPage, row, column);
    if (!target) return;
    bitTarget_ = *target;
    const QString text = CellItem(SREG, row, column)->text();
    BitMenu->actions()[0]->setText(text + "=1");
    BitMenu->actions()[1]->setText(text + "=0");
    const QRect rect = SREG->visualRect(SREG->model()->index(row, column));
    BitMenu->popup(SREG->viewport()->mapToGlobal(rect.bottomLeft()));
}

void TQn_Reg2::ByteCellDoubleClicked(int row, int column) {
    const auto cell = GridRegisterAt(row, column, context_.Model.ByteRegs.Count());
    if (!cell || cell->Value) return;
    const ByteRegRecord& reg = *context_.Model.ByteRegs.Get(cell->Index);
    const std::string& name =
        context_.Model.ByteGrid.Cell(static_cast<size_t>(row), static_cast<size_t>(column));
    const std::string caption = "Ram" + HexPad(reg.Address, 3) + "=" + name;
    if (const auto value = AskHex(SByteReg, row, column, "FF", caption))
        context_.Write(reg.Address, LowByte(*value));
}

void TQn_Reg2::WordCellDoubleClicked(int row, int column) {
    const auto cell = GridRegisterAt(row, column, context_.Model.WordRegs.Count());
    if (!cell || cell->Value) return;
    const WordRegRecord& reg = *context_.Model.WordRegs.Get(cell->Index);
    const std::string& name =
        context_.Model.WordGrid.Cell(static_cast<size_t>(row), static_cast<size_t>(column));
    if (const auto value = AskHex(SWordReg, row, column, "FFFF", "Ram" + name))
        WriteAll(WordWrites(reg.AddressH, reg.AddressL, *value));
}

void TQn_Reg2::WorkClicked(bool programCounter) {
    workFromProgramCounter_ = programCounter;
    RegisterMenu->popup(QCursor::pos());
}

void TQn_Reg2::IndirectClicked(int pair) {
    indirectPair_ = pair == 1 ? 1 : 0;
    IndirectMenu->actions()[1]->setText(QString("Modify FSR%1").arg(indirectPair_));
    IndirectMenu->popup(QCursor::pos());
}

void TQn_Reg2::ChangeWork() {
    const std::string caption = "Work=" + HexPad(ImageByte(context_.Image, kWorkAddress), 2);
    if (const auto value = AskHexAtCursor("FF", caption))
        context_.Write(kWorkAddress, LowByte(*value));
}

// The byte FSR points at; an FSR beyond the register image has no byte to change.
void TQn_Reg2::ChangeIndirectByte() {
    const uint16_t fsr = FsrValue(context_.Image, indirectPair_);
    const std::string pair = std::to_string(indirectPair_);
    if (!InRegImage(fsr)) {
        context_.Ask.Tell("FSR" + pair + "=" + HexPad(fsr, 3) + " points outside the memory.");
        return;
    }
    const std::string caption =
        "IND" + pair + "=" + HexPad(IndValue(context_.Image, indirectPair_), 2);
    if (const auto value = AskHexAtCursor("FF", caption)) context_.Write(fsr, LowByte(*value));
}

void TQn_Reg2::ChangeFsr() {
    const std::string caption = "FSR" + std::to_string(indirectPair_) + "=" +
                                HexPad(FsrValue(context_.Image, indirectPair_), 3);
    if (const auto value = AskHexAtCursor("FFF", caption))
        WriteAll(FsrWrites(indirectPair_, *value));
}

void TQn_Reg2::ChangeBit(bool set) {
    const RegisterWrite write = BitWrite(context_.Image, bitTarget_, set);
    context_.Write(write.Address, write.Value);
}

bool TQn_Reg2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == SByteReg || watched == SWordReg)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return TypeKey(static_cast<QTableWidget*>(watched), key->key(), key->text());
    }
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == workStrip_ || watched == pcStrip_) WorkClicked(watched == pcStrip_);
        if (watched == indStrip_[0] || watched == indStrip_[1])
            IndirectClicked(watched == indStrip_[1] ? 1 : 0);
    }
    return QWidget::eventFilter(watched, event);
}

TQn_Reg2::CellEdit& TQn_Reg2::EditOf(QTableWidget* grid) {
    return grid == SWordReg ? wordEdit_ : byteEdit_;
}

// Typing into a value cell: hex digits (a-f as A-F) are appended keeping the last 2 (byte) or
// 4 (word) characters, Backspace removes the last one, Enter and Tab write the cell. Other
// typed characters are dropped; keys without text (arrows) move as usual.
bool TQn_Reg2::TypeKey(QTableWidget* grid, int key, const QString& text) {
    const bool words = grid == SWordReg;
    const int32_t count = words ? context_.Model.WordRegs.Count() : context_.Model.ByteRegs.Count();
    const int row = grid->currentRow();
    const int column = grid->currentColumn();
    const auto cell = GridRegisterAt(row, column, count);
    const bool valueCell = cell && cell->Value;
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab) {
        if (valueCell) WriteCell(grid, row, column);
        return true;
    }
    if (key != Qt::Key_Backspace && text.isEmpty()) return false;
    const auto digit = text.isEmpty() ? std::nullopt : HexDigitOf(text.at(0).toLatin1());
    if (!valueCell || (key != Qt::Key_Backspace && !digit)) return true;
    QTableWidgetItem* item = CellItem(grid, row, column);
    const std::string typed = item->text().toStdString();
    const std::string next = key == Qt::Key_Backspace ? BackspaceCell(typed)
                                                      : TypeIntoCell(typed, *digit, words ? 4 : 2);
    item->setText(QString::fromStdString(next));
    EditOf(grid) = {true, row, column};
    return true;
}

void TQn_Reg2::WriteCell(QTableWidget* grid, int row, int column) {
    EditOf(grid) = {};
    const bool words = grid == SWordReg;
    const int32_t count = words ? context_.Model.WordRegs.Count() : context_.Model.ByteRegs.Count();
    const auto cell = GridRegisterAt(row, column, count);
    if (!cell || !cell->Value) return;
    const uint32_t value = ParseHex(CellItem(grid, row, column)->text().toStdString());
    if (words) {
        const WordRegRecord& reg = *context_.Model.WordRegs.Get(cell->Index);
        WriteAll(WordWrites(reg.AddressH, reg.AddressL, value));
    } else {
        context_.Write(context_.Model.ByteRegs.Get(cell->Index)->Address, LowByte(value));
    }
}

// Selecting another cell while typing writes the cell typed into.
void TQn_Reg2::CellLeft(QTableWidget* grid, int previousRow, int previousColumn) {
    const CellEdit edit = EditOf(grid);
    if (edit.Editing && edit.Row == previousRow && edit.Column == previousColumn)
        WriteCell(grid, previousRow, previousColumn);
}

void TQn_Reg2::OpenHelp(QTableWidget* grid, const QPoint& position) {
    const QModelIndex index = grid->indexAt(position);
    if (!index.isValid()) return;
    helpText_ = HelpAt(grid, index.row(), index.column());
    if (!helpText_.empty()) HelpMenu->popup(grid->viewport()->mapToGlobal(position));
}

std::string TQn_Reg2::HelpAt(QTableWidget* grid, int row, int column) const {
    const ChipModel& model = context_.Model;
    if (grid == SREG) {
        const BitRegRecord* reg = BitRowRegister(model, model.CurrentPage, row);
        if (reg == nullptr) return {};
        if (column == 0) return HelpText(reg->Name, reg->Description);
        const BitRegRecord::Bit& bit = reg->Bits[static_cast<size_t>(column - 1)];
        return bit.Name == "-" ? std::string() : HelpText(bit.Name, bit.Description);
    }
    const bool words = grid == SWordReg;
    const auto cell =
        GridRegisterAt(row, column, words ? model.WordRegs.Count() : model.ByteRegs.Count());
    if (!cell) return {};
    const NameGrid& names = words ? model.WordGrid : model.ByteGrid;
    const std::string& name =
        names.Cell(static_cast<size_t>(cell->Index / 9) * 2, static_cast<size_t>(cell->Index % 9));
    return HelpText(name, words ? model.WordRegs.Get(cell->Index)->Description
                                : model.ByteRegs.Get(cell->Index)->Description);
}

} // namespace qn
