// The temperature test window's soak gate: the band rule or a stability gate, and the gate's
// window, band, spreads and limit, captioned from the settings table.
#include "run/TempRunSettingTable.h"
#include "run/ui/TempTestWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace qn {
namespace {

QString Caption(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

// The gate's choice and edits were made with the other settings; here they get their box.
QWidget* TTMP::BuildGate() {
    auto* box = new QGroupBox("Soak gate");
    auto* grid = new QGridLayout(box);
    grid->addWidget(CBGate, 0, 0, 1, 3);
    const std::pair<std::string TempRunSettings::*, QLineEdit*> edits[] = {
        {&TempRunSettings::GateMinutes, EGateMinutes},
        {&TempRunSettings::GateBand, EGateBand},
        {&TempRunSettings::GateSpread, EGateSpread},
        {&TempRunSettings::BoardChange, EBoardChange},
        {&TempRunSettings::GateLimitMinutes, EGateLimit}};
    int row = 1;
    for (const auto& [field, edit] : edits) {
        const RunSetting& setting = RunSettingOf(field);
        grid->addWidget(new QLabel(Caption(setting.Caption)), row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel(Caption(setting.Unit)), row++, 2);
    }
    connect(CBGate, &QComboBox::currentIndexChanged, this, &TTMP::EnableGate);
    EnableGate();
    return box;
}

// The band rule uses none of the gate's settings; the chamber gate the chamber's spread, the
// board gate the board's change in its place.
void TTMP::EnableGate() {
    const auto gate = static_cast<SoakRule>(CBGate->currentIndex());
    for (QLineEdit* edit : {EGateMinutes, EGateBand, EGateLimit})
        edit->setEnabled(gate != SoakRule::Band);
    EGateSpread->setEnabled(gate == SoakRule::Chamber);
    EBoardChange->setEnabled(gate == SoakRule::Board);
}

} // namespace qn
