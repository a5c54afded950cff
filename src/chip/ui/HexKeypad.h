// The hex keypad TQnPopSelHex: a small modal tool window for entering a hexadecimal value.
#pragma once

#include "host/Prompt.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QGridLayout;

namespace qn {

class TQnPopSelHex : public QDialog {
    Q_OBJECT
  public:
    explicit TQnPopSelHex(QWidget* parent = nullptr);

    // Opens at the question's screen point (kept on screen) and returns the value entered, or
    // nothing when cancelled.
    std::optional<uint32_t> Execute(const HexQuestion& question);

    // The top-left corner for a window of `size` wanted at `wanted`, moved left or up (and
    // right or down when even that is not enough) so that the window lies inside `area`.
    static QPoint KeptInside(QPoint wanted, QSize size, const QRect& area);

    QLineEdit* ENum = nullptr;
    QLabel* LHint = nullptr;

  protected:
    // Every key reaches the keypad, none the field, the buttons or the program's shortcuts.
    bool event(QEvent* e) override;
    // The window frame is known once shown: the place is checked again with it.
    void showEvent(QShowEvent* e) override;

  private:
    // Moves the window to the wanted point, kept on the screen holding that point.
    void PlaceOnScreen();
    void AddDigitButtons(QGridLayout* grid);
    void AddCommandButtons(QGridLayout* grid);
    void PressKey(int key, const QString& text);
    // Appends the digit when the template allows it; a full field closes with OK.
    void TypeDigit(char digit);
    void Backspace();
    // Enter: closes with OK only when a digit has been entered.
    void EnterIfFilled();

    std::string pattern_;
    QPoint wanted_;
};

} // namespace qn
