// The main window's answers to the program's questions: message boxes, the hex keypad, the
// colour dialog and the file dialogs.
#include "shell/ui/MainPanel.h"

#include "chip/ui/HexKeypad.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace qn {

bool TMainPanel::Confirm(const std::string& question) {
    return QMessageBox::question(this, kMainCaption, QString::fromStdString(question)) ==
           QMessageBox::Yes;
}

void TMainPanel::Tell(const std::string& message) {
    QMessageBox::warning(this, kMainCaption, QString::fromStdString(message));
}

std::optional<uint32_t> TMainPanel::AskHex(const HexQuestion& question) {
    return QnPopSelHex->Execute(question);
}

std::optional<uint32_t> TMainPanel::AskColour(uint32_t current) {
    const QColor chosen = QColorDialog::getColor(QColor::fromRgb(current), this);
    if (!chosen.isValid()) return std::nullopt;
    return chosen.rgb() & 0xFFFFFFu;
}

std::optional<std::string> TMainPanel::AskFileToSave(const std::string& extension,
                                                     const std::string& folder) {
    QFileDialog dialog(this, QString(), QString::fromStdString(folder),
                       QString("*.%1").arg(QString::fromStdString(extension)));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromStdString(extension));
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> TMainPanel::AskFileToOpen(const std::string& extension,
                                                     const std::string& folder) {
    const QString file =
        QFileDialog::getOpenFileName(this, QString(), QString::fromStdString(folder),
                                     QString("*.%1").arg(QString::fromStdString(extension)));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

} // namespace qn
