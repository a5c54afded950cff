// The hex keypad driven by keys and buttons: template limits, auto-close, cancel, placement,
// frame.
#include "chip/ui/HexKeypad.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace qn::test {
namespace {

// Runs the keypad for `question`; `act` runs inside its modal loop. A guard closes it with OK
// after 2 s, so a cancel that failed to close shows as a value and a fault never hangs the run.
std::optional<uint32_t> RunKeypad(TQnPopSelHex& pad, const HexQuestion& question,
                                  const std::function<void()>& act) {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &pad, &QDialog::accept);
    guard.start(2000);
    QTimer::singleShot(0, &pad, act);
    return pad.Execute(question);
}

// A step: "#name" clicks the button with that text, a single character types it, else the named
// key.
void Press(TQnPopSelHex& pad, const QString& step) {
    if (step.startsWith('#')) {
        for (auto* b : pad.findChildren<QAbstractButton*>())
            if (b->text() == step.mid(1)) b->click();
        return;
    }
    const bool typed = step.size() == 1;
    const int key = typed ? step.toUpper().at(0).unicode() : int{QKeySequence(step)[0].key()};
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, typed ? step : QString());
    QCoreApplication::sendEvent(&pad, &press);
}

TEST(HexKeypadTest, KeysAndButtonsGiveTheValueAndItOpensOnTheScreen) {
    struct Case {
        const char* pattern;
        QStringList steps;
        std::optional<uint32_t> value;
    };
    const std::vector<Case> cases{
        {"FF", {"7", "c"}, 0x7C},                          // closes at full length
        {"FF", {"Return", "#Enter", "Esc"}, std::nullopt}, // Enter on an empty field stays
        {"FF", {"5", "#Cancel"}, std::nullopt},
        {"FFF", {"1", "2", "#Clear", "#A", "#0", "#Enter"}, 0xA0},
        {"FFFF", {"1", "2", "Backspace", "Left", "3", "Return"}, 0x13},
    };
    TQnPopSelHex pad;
    for (const Case& c : cases) {
        const HexQuestion question{100, 100, c.pattern, "00~FF", "Ram0010=00"};
        const auto value = RunKeypad(pad, question, [&] {
            for (const QString& step : c.steps)
                if (pad.isVisible()) Press(pad, step); // steps after closing are not sent
        });
        EXPECT_EQ(value, c.value) << c.pattern << " " << c.steps.join(' ').toStdString();
    }
    // Asked at the screen's corner, it opens fully on the screen with caption and range.
    const QRect area = pad.screen()->availableGeometry();
    const HexQuestion question{area.right() - 5, area.bottom() - 5, "FFFF", "0000~FFFF", "Reg"};
    QRect placed;
    RunKeypad(pad, question, [&] {
        placed = pad.frameGeometry();
        pad.reject();
    });
    EXPECT_EQ(placed.bottomRight(), area.bottomRight()); // moved left and up only as needed
    EXPECT_EQ(pad.windowTitle(), "Reg");
    EXPECT_EQ(pad.LHint->text(), "0000~FFFF");
    // A tool window whose frame the program names: title and close, no minimise or maximise.
    const Qt::WindowFlags flags = pad.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags.testFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

} // namespace
} // namespace qn::test
