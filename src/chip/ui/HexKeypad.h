// The hex keypad TQnPopSelHex: a small modal tool window for entering a hexadecimal value.
#pragma once

#include "host/Prompt.h"

#include <QDialog>

#include <cstdint>
#include <optional>

namespace qn {

class TQnPopSelHex : public QDialog {
    Q_OBJECT
  public:
    explicit TQnPopSelHex(QWidget* parent = nullptr);

    // Opens at the question's screen point (kept on screen) and returns the value entered, or
    // nothing when cancelled.
    std::optional<uint32_t> Execute(const HexQuestion& question);
};

} // namespace qn
