// The setup dialog's controls and their steps: chip choice, the interface that stays "QN740x",
// the serial bridge port and the "Select" of each instrument.
#include "shell/ui/Option.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace qn {
namespace {

constexpr int kComEntries = 16;
constexpr int kBridgeComDefault = 15; // "COM16"
constexpr int kBaudDefault = 5;       // "9600"

QComboBox* NewList(const QString& name, const QStringList& items, int selected) {
    auto* list = new QComboBox;
    list->setObjectName(name);
    list->addItems(items);
    list->setCurrentIndex(selected);
    return list;
}

QStringList ComItems() {
    QStringList items;
    for (int i = 1; i <= kComEntries; ++i) items << QString("COM%1").arg(i);
    return items;
}

} // namespace

TOption::TOption(Bench& bench, const std::vector<std::string>& chipList,
                 std::function<void(uint16_t)> selectChip, QWidget* parent)
    : QDialog(parent), bench_(bench), selectChip_(std::move(selectChip)) {
    setWindowTitle("選項");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildChipRow());
    layout->addWidget(BuildCommunication());
    for (QComboBox* chips = CbSeluP; const std::string& entry : chipList)
        chips->addItem(QString::fromStdString(entry));
    CbSeluP->setCurrentIndex(chipList.empty() ? -1 : 0);
    const InstrumentFrame frames[] = {
        {"======================Fluke5500===================", "Fluke", FlukeCOM, FlukeSelect,
         InstrumentKind::Fluke},
        {"======================Power Supply=================", "Power", PowerCOM, PowerSelect,
         InstrumentKind::Power},
        {"======================Chamber=================", "Chamber", ChamberCOM, ChamberSelect,
         InstrumentKind::Chamber}};
    for (const InstrumentFrame& frame : frames) layout->addWidget(BuildInstrument(frame));
    BtClose = new QPushButton("關閉");
    BtClose->setObjectName("BtClose");
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(BtClose);
    layout->addLayout(closeRow);
    connect(BtClose, &QPushButton::clicked, this, &QDialog::close);

    // Every list steps only on a change after this point.
    connect(CbSeluP, &QComboBox::currentIndexChanged, this, &TOption::CbSeluPChange);
    connect(SelLPT, &QComboBox::currentIndexChanged, this, &TOption::SelLPTChange);
    for (QComboBox* list : {TXCOM, FlukeCOM, PowerCOM, ChamberCOM})
        connect(list, &QComboBox::currentIndexChanged, this, &TOption::TXCOMChange);
    connect(TXBaud, &QComboBox::currentIndexChanged, this, &TOption::TXBaudChange);
    connect(TXParity, &QComboBox::currentIndexChanged, this, &TOption::TXParityChange);
    Bridge.OpenedPorts = 0;
}

QWidget* TOption::BuildChipRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    CbSeluP = new QComboBox;
    CbSeluP->setObjectName("CbSeluP");
    CbSeluP->setMinimumContentsLength(16);
    layout->addWidget(new QLabel("Select Chip "));
    layout->addWidget(CbSeluP, 1);
    return row;
}

// Only the interface is shown; the serial bridge settings, the LPT address and the
// optocoupler box live here hidden, as the device record's choices.
QWidget* TOption::BuildCommunication() {
    auto* group = new QGroupBox("Communication");
    auto* grid = new QGridLayout(group);
    SelIOLPT = new QRadioButton("Interfafce");
    SelIOLPT->setObjectName("SelIOLPT");
    SelIOLPT->setChecked(true);
    SelLPT =
        NewList("SelLPT", {"RS232", "SPI", "Special", "Parallel", "UART", "QN740x"}, kLinkQn740x);
    SelLPT->setEnabled(false);
    grid->addWidget(SelIOLPT, 0, 0);
    grid->addWidget(SelLPT, 0, 1);

    TXCOM = NewList("TXCOM", ComItems(), kBridgeComDefault);
    TXBaud =
        NewList("TXBaud",
                {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"},
                kBaudDefault);
    TXParity = NewList("TXParity", {"None", "Even", "Odd"}, 0);
    CLPT = NewList("CLPT", {"LPT1 : 0x378", "LPT2 : 0x278", "PRN1 : 0x3BC"}, 0);
    const std::pair<const char*, QComboBox*> hidden[] = {
        {"COM", TXCOM}, {"Baud", TXBaud}, {"Parity", TXParity}, {"LPT Address", CLPT}};
    int row = 1;
    for (const auto& [caption, list] : hidden) {
        auto* label = new QLabel(caption);
        grid->addWidget(label, row, 0);
        grid->addWidget(list, row++, 1);
        label->hide();
        list->hide();
    }
    Photo = new QCheckBox("光耦合");
    Photo->setObjectName("Photo");
    Photo->setEnabled(false);
    Photo->setChecked(bench_.Chip.Options.Optocoupler);
    Photo->hide();
    grid->addWidget(Photo, row, 0, 1, 2);
    return group;
}

// An instrument's banner, then its port list, on which nothing is chosen at first, and its
// "Select" button.
QWidget* TOption::BuildInstrument(const InstrumentFrame& frame) {
    auto* box = new QWidget;
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->addWidget(new QLabel(frame.Banner), 0, 0, 1, 2);
    QComboBox* ports = frame.List = NewList(QString(frame.Name) + "COM", ComItems(), -1);
    frame.Select = new QPushButton("Select");
    frame.Select->setObjectName(QString(frame.Name) + "Select");
    frame.Select->setAutoDefault(false); // Enter in the dialog probes no instrument
    layout->addWidget(ports, 1, 0);
    layout->addWidget(frame.Select, 1, 1);
    layout->setColumnStretch(0, 1);
    const InstrumentKind kind = frame.Kind;
    connect(frame.Select, &QPushButton::clicked, this,
            [this, kind, ports] { bench_.Instruments.Select(kind, ports->currentIndex()); });
    return box;
}

void TOption::CbSeluPChange(int index) {
    if (index >= 0) selectChip_(static_cast<uint16_t>(index));
}

// The link is always the QN740x bridge: the list is put back on it.
void TOption::SelLPTChange() {
    bench_.Stnd.Interface = kLinkQn740x;
    const QSignalBlocker quiet(SelLPT);
    SelLPT->setCurrentIndex(kLinkQn740x);
}

// Whichever port list changed, the step is for the serial bridge port chosen in TXCOM.
void TOption::TXCOMChange() {
    Bridge.TXCOMChange(bench_, TXCOM->currentIndex(), TXBaud->currentIndex(),
                       TXParity->currentIndex());
}

void TOption::TXBaudChange(int index) {
    bench_.Stnd.BaudIndex = index;
    TXCOMChange();
}

void TOption::TXParityChange(int index) {
    bench_.Stnd.ParityIndex = index;
    TXCOMChange();
}

void TOption::ChennalComChange() {
    const STND& stnd = bench_.Stnd;
    const std::pair<QComboBox*, int> lists[] = {{CbSeluP, stnd.Chip},
                                                {SelLPT, stnd.Interface},
                                                {TXCOM, stnd.ComIndex},
                                                {TXBaud, stnd.BaudIndex},
                                                {TXParity, stnd.ParityIndex}};
    for (const auto& [list, entry] : lists) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(entry);
    }
    // The interface stays "QN740x"; the device record's link follows with the chip selection
    // that comes after this step.
    const QSignalBlocker quiet(SelLPT);
    SelLPT->setCurrentIndex(kLinkQn740x);
    Photo->setChecked(bench_.Chip.Options.Optocoupler);
}

void TOption::Setup(const QPoint& corner) {
    move(corner + QPoint(40, 40));
    {
        const QSignalBlocker quietLink(SelLPT);
        const QSignalBlocker quietChip(CbSeluP);
        SelLPT->setCurrentIndex(kLinkQn740x);
        CbSeluP->setCurrentIndex(bench_.Stnd.Chip);
    }
    exec();
}

} // namespace qn
