// The setup dialog: chip model, link interface, the serial bridge port and the serial ports of
// the three bench instruments.
#pragma once

#include "shell/Bench.h"
#include "shell/SetupDialogState.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace qn {

class TOption : public QDialog {
    Q_OBJECT
  public:
    // `chipList` fills the chip list; `selectChip` runs the chip selection of a list entry.
    TOption(Bench& bench, const std::vector<std::string>& chipList,
            std::function<void(uint16_t)> selectChip, QWidget* parent = nullptr);

    // After a USB connection the lists show the device record's choices again, the interface
    // "QN740x"; setting them runs none of their change steps.
    void ChennalComChange();
    // "Setup": 40 pixels right of and below `corner`, interface "QN740x" and the record's chip
    // shown, then modal until closed.
    void Setup(const QPoint& corner);

    QComboBox* CbSeluP = nullptr;
    QRadioButton* SelIOLPT = nullptr;
    QComboBox* SelLPT = nullptr;
    QComboBox* TXCOM = nullptr;
    QComboBox* TXBaud = nullptr;
    QComboBox* TXParity = nullptr;
    QComboBox* CLPT = nullptr;
    QCheckBox* Photo = nullptr;
    QComboBox* FlukeCOM = nullptr;
    QPushButton* FlukeSelect = nullptr;
    QComboBox* PowerCOM = nullptr;
    QPushButton* PowerSelect = nullptr;
    QComboBox* ChamberCOM = nullptr;
    QPushButton* ChamberSelect = nullptr;
    QPushButton* BtClose = nullptr;

    // The serial bridge port step with its opened-ports mask.
    SerialBridgePort Bridge;

  private:
    void CbSeluPChange(int index);
    void SelLPTChange();
    void TXCOMChange();
    void TXBaudChange(int index);
    void TXParityChange(int index);
    QWidget* BuildChipRow();
    QWidget* BuildCommunication();
    struct InstrumentFrame {
        const char* Banner;
        const char* Name;
        QComboBox*& List;
        QPushButton*& Select;
        InstrumentKind Kind;
    };
    QWidget* BuildInstrument(const InstrumentFrame& frame);

    Bench& bench_;
    std::function<void(uint16_t)> selectChip_;
};

} // namespace qn
