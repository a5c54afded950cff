// "Remote control…": whether the bench serves remote SCPI clients, on which address and port.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace qn {

struct RemoteChoice {
    bool On = false;
    std::string Address;
    uint16_t Port = 0;
};

class RemoteControlDialog : public QDialog {
    Q_OBJECT
  public:
    RemoteControlDialog(const RemoteChoice& current, QWidget* parent = nullptr);
    RemoteChoice Choice() const;

    QCheckBox* Serve = nullptr; // "Serve remote clients (SCPI over TCP)"
    QLineEdit* Address = nullptr;
    QSpinBox* Port = nullptr;
    QLabel* Warning = nullptr; // shown for an address other computers reach

  private:
    void ShowWarning();
};

} // namespace qn
