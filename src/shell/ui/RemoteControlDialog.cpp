// The remote-control dialog's controls and the warning for an exposed address.
#include "shell/ui/RemoteControlDialog.h"

#include "shell/ui/RemoteServer.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace qn {

RemoteControlDialog::RemoteControlDialog(const RemoteChoice& current, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Remote control");
    Serve = new QCheckBox("Serve remote clients (SCPI over TCP)", this);
    Serve->setChecked(current.On);
    Address = new QLineEdit(QString::fromStdString(current.Address), this);
    Port = new QSpinBox(this);
    Port->setRange(1, 65535);
    Port->setValue(current.Port);
    Warning = new QLabel(this);
    Warning->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow("Address", Address);
    form->addRow("Port", Port);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Serve);
    layout->addLayout(form);
    layout->addWidget(Warning);
    layout->addWidget(buttons);
    connect(Address, &QLineEdit::textChanged, this, &RemoteControlDialog::ShowWarning);
    ShowWarning();
}

RemoteChoice RemoteControlDialog::Choice() const {
    return {Serve->isChecked(), Address->text().trimmed().toStdString(),
            static_cast<uint16_t>(Port->value())};
}

void RemoteControlDialog::ShowWarning() {
    const std::string address = Address->text().trimmed().toStdString();
    const bool exposed = !address.empty() && !LoopbackAddress(address);
    Warning->setText(exposed ? QString::fromStdString(ExposedWarning(address)) : QString());
    Warning->setVisible(exposed);
}

} // namespace qn
