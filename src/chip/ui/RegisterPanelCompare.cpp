// The register panel's "Compare with snapshot…": the snapshot file asked for, and the registers
// that differ from it shown in a window of their own.
#include "chip/ui/RegisterPanel.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace qn {

void TQn_Reg2::CompareSnapshotClick() {
    if (!CompareWith) return;
    const auto file = context_.Ask.AskFileToOpen("snapshot", context_.ProgramDir);
    if (!file) return;
    const SnapshotComparison result = CompareWith(*file);
    if (!result.Read || result.Differences == 0) {
        context_.Ask.Tell(result.Text);
        return;
    }
    ShowComparison(*file, result.Text);
}

// The differences stay open beside the panel, selectable and copyable, while the user goes on.
void TQn_Reg2::ShowComparison(const std::string& file, const std::string& text) {
    if (CompareDialog == nullptr) {
        CompareDialog = new QDialog(this);
        CompareDialog->setObjectName("CompareDialog");
        auto* layout = new QVBoxLayout(CompareDialog);
        CompareText = new QPlainTextEdit(CompareDialog);
        CompareText->setReadOnly(true);
        CompareText->setFont(QFont("Courier New", 10));
        layout->addWidget(CompareText);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, CompareDialog);
        connect(buttons, &QDialogButtonBox::rejected, CompareDialog, &QDialog::hide);
        layout->addWidget(buttons);
        CompareDialog->resize(640, 360);
    }
    CompareDialog->setWindowTitle(QString::fromStdString("Registers changed since " + file));
    CompareText->setPlainText(QString::fromStdString(text));
    CompareDialog->show();
    CompareDialog->raise();
}

} // namespace qn
