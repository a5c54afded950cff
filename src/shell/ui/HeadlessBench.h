// The bench as the command-line forms run it: no windows, the settings file loaded, the bridge
// connected and read, and a way to say what went wrong.
#pragma once

#include "host/EventPump.h"
#include "host/PanelRefresh.h"
#include "host/Prompt.h"
#include "host/StatusBar.h"
#include "platform/SystemClock.h"
#include "shell/Bench.h"
#include "shell/ui/Backends.h"
#include "sim/SimClock.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qn {

// A status bar that keeps the last text of each panel and prints nothing.
class KeptStatus final : public StatusBar {
  public:
    void SetPanelText(StatusPanel panel, const std::string& text) override {
        texts_.at(PanelIndex(panel)) = text;
    }
    const std::string& Text(StatusPanel panel) const { return texts_.at(PanelIndex(panel)); }

  private:
    std::array<std::string, kStatusPanelCount> texts_;
};

// Lets through only what a command-line form hooks in, such as a stop asked for by a signal.
class CommandPump final : public EventPump {
  public:
    void Pump() override {
        if (Hook) Hook();
    }
    std::function<void()> Hook;
};

// Prints "qn740xtest: <message>" on standard error; the exit code of a failed form.
int CommandFailed(const std::string& message);

// Prints "qn740xtest: <message>" on standard error for a form that goes on.
void CommandWarning(const std::string& message);

// The running QCoreApplication's arguments with "--simulate=PART" written as "--simulate", for a
// form's option parser (the part is chosen before the form runs).
QStringList FormArguments();

// "--simulate[=board|lab|all]", which every form takes.
QCommandLineOption SimulateOption();

// Parses a form's arguments, which take no positional argument: a usage error, "--help" (with the
// line naming the program's folder when `folderInHelp`) or a stray argument end the form here, with
// the exit code given; none when the form goes on.
std::optional<int> ParseFormArguments(QCommandLineParser& parser, bool folderInHelp);

// Set (to anything) together with --simulate (all), the forms run on a simulated clock that jumps
// over every pause instead of waiting: the end-to-end tests run a temperature plan's waits in no
// time.
inline constexpr const char* kSimulatedClockVariable = "QN_SIMULATED_CLOCK";

class HeadlessBench {
  public:
    explicit HeadlessBench(Simulated parts);
    HeadlessBench(const HeadlessBench&) = delete;
    HeadlessBench& operator=(const HeadlessBench&) = delete;

    // Loads the settings file (which selects the chip; what is wrong with it goes to standard
    // error, and a file that cannot be used gives the default settings), connects the bridge
    // and reads the chip; false when no bridge answered. `writeNothing`: a missing settings file
    // is not written (the defaults are used as if it had been).
    bool Connect(bool writeNothing = false);
    // Selects chip list entry `index`, and the simulated bench loads the same chip; false when
    // its description file could not be read.
    bool SelectChip(uint16_t index);

  private:
    SystemClock systemClock_;
    SimClock simulatedClock_;

  public:
    // The system clock, or the simulated one (see kSimulatedClockVariable).
    Clock& Time;
    KeptStatus Status;
    // What the bench's long loops let through; nothing unless a form hooks something in.
    CommandPump Pump;
    // The bench's questions and notices; without a target no one is asked.
    PromptRelay Questions;

  private:
    std::unique_ptr<Backends> outside_;
    PanelRefresh panels_;

  public:
    std::unique_ptr<Bench> Core;
};

// The message of a form that found no bridge.
inline constexpr const char* kNoBridgeMessage =
    "USB not Connect !!! (no bridge found: plug in the USB bridge, check its permissions, or add "
    "--simulate or --simulate=board)";

} // namespace qn
