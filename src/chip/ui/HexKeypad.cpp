// The hex keypad.
#include "chip/ui/HexKeypad.h"

#include "chip/HexEntry.h"
#include "files/NumberText.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace qn {
namespace {

constexpr int kKeyWidth = 32;
constexpr int kKeyHeight = 26;
constexpr char kDigits[] = "0123456789ABCDEF";

QPushButton* MakeButton(QWidget* parent, const QString& text, const QString& name) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    // The keypad keeps the keyboard: no button takes focus or acts as the default button.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    button->setMinimumSize(kKeyWidth, kKeyHeight);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

} // namespace

// A tool window that stays on top, with a title and a close button but no minimise or maximise
// button: the window manager is told which buttons the frame has.
TQnPopSelHex::TQnPopSelHex(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setModal(true);
    setFocusPolicy(Qt::StrongFocus);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 4);
    grid->setSpacing(2);

    ENum = new QLineEdit(this);
    ENum->setObjectName("ENum");
    ENum->setReadOnly(true);
    ENum->setFocusPolicy(Qt::NoFocus);
    ENum->setAlignment(Qt::AlignRight);
    grid->addWidget(ENum, 0, 0, 1, 4);

    AddDigitButtons(grid);
    AddCommandButtons(grid);

    LHint = new QLabel(this);
    LHint->setObjectName("LHint");
    QFont small = LHint->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    LHint->setFont(small);
    grid->addWidget(LHint, 7, 0, 1, 4);

    setFixedSize(sizeHint());
}

void TQnPopSelHex::AddDigitButtons(QGridLayout* grid) {
    for (int i = 0; i < 16; ++i) {
        const char digit = kDigits[i];
        const QString text(QChar::fromLatin1(digit));
        QPushButton* button = MakeButton(this, text, "Key" + text);
        connect(button, &QPushButton::clicked, this, [this, digit] { TypeDigit(digit); });
        grid->addWidget(button, 1 + i / 4, i % 4);
    }
}

void TQnPopSelHex::AddCommandButtons(QGridLayout* grid) {
    QPushButton* enter = MakeButton(this, "Enter", "PEnter");
    QPushButton* clear = MakeButton(this, "Clear", "PClear");
    QPushButton* cancel = MakeButton(this, "Cancel", "PCancel");
    connect(enter, &QPushButton::clicked, this, &TQnPopSelHex::EnterIfFilled);
    connect(clear, &QPushButton::clicked, ENum, &QLineEdit::clear);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    grid->addWidget(enter, 5, 0, 1, 4);
    grid->addWidget(clear, 6, 0, 1, 2);
    grid->addWidget(cancel, 6, 2, 1, 2);
}

QPoint TQnPopSelHex::KeptInside(QPoint wanted, QSize size, const QRect& area) {
    const int x = std::max(std::min(wanted.x(), area.right() + 1 - size.width()), area.left());
    const int y = std::max(std::min(wanted.y(), area.bottom() + 1 - size.height()), area.top());
    return {x, y};
}

std::optional<uint32_t> TQnPopSelHex::Execute(const HexQuestion& question) {
    pattern_ = question.Template;
    ENum->clear();
    setWindowTitle(QString::fromStdString(question.Caption));
    LHint->setText(QString::fromStdString(question.Hint));

    wanted_ = QPoint(question.ScreenX, question.ScreenY);
    PlaceOnScreen();
    if (exec() != QDialog::Accepted) return std::nullopt;
    return ParseHex(ENum->text().toStdString());
}

void TQnPopSelHex::PlaceOnScreen() {
    const QScreen* target = QGuiApplication::screenAt(wanted_);
    if (target == nullptr) target = screen();
    move(KeptInside(wanted_, frameGeometry().size(), target->availableGeometry()));
}

void TQnPopSelHex::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    PlaceOnScreen();
}

bool TQnPopSelHex::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        e->accept();
        return true;
    }
    if (e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        PressKey(key->key(), key->text());
        return true;
    }
    if (e->type() == QEvent::KeyRelease) return true;
    return QDialog::event(e);
}

void TQnPopSelHex::PressKey(int key, const QString& text) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        EnterIfFilled();
        return;
    case Qt::Key_Escape:
        reject();
        return;
    case Qt::Key_Backspace:
        Backspace();
        return;
    default:
        break;
    }
    if (text.size() != 1) return; // navigation and other keys without a character
    if (const std::optional<char> digit = HexDigitOf(text.at(0).toLatin1())) TypeDigit(*digit);
}

void TQnPopSelHex::TypeDigit(char digit) {
    const std::string field = ENum->text().toStdString();
    if (!KeypadAccepts(pattern_, field, digit)) return;
    ENum->setText(QString::fromStdString(field + digit));
    if (field.size() + 1 >= pattern_.size()) accept();
}

void TQnPopSelHex::Backspace() {
    ENum->setText(ENum->text().chopped(std::min<qsizetype>(1, ENum->text().size())));
}

void TQnPopSelHex::EnterIfFilled() {
    if (!ENum->text().isEmpty()) accept();
}

} // namespace qn
