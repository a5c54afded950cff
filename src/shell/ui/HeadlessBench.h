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

#include <array>
#include <memory>
#include <string>

namespace qn {

// A status bar that keeps the last text of each panel and prints nothing.
class KeptStatus final : public StatusBar {
  public:
    void SetPanelText(int panel, const std::string& text) override {
        if (panel >= 0 && panel < kPanels) Texts[static_cast<size_t>(panel)] = text;
    }
    static constexpr int kPanels = 3;
    std::array<std::string, kPanels> Texts;
};

// Prints "qn740xtest: <message>" on standard error; the exit code of a failed form.
int CommandFailed(const std::string& message);

class HeadlessBench {
  public:
    explicit HeadlessBench(bool simulate);
    HeadlessBench(const HeadlessBench&) = delete;
    HeadlessBench& operator=(const HeadlessBench&) = delete;

    // Loads the settings file (which selects the chip), connects the bridge and reads the chip;
    // false when no bridge answered.
    bool Connect();

    SystemClock Clock;
    KeptStatus Status;

  private:
    std::unique_ptr<Backends> outside_;
    NullEventPump pump_; // nothing to let through without windows
    PanelRefresh panels_;
    PromptRelay prompt_; // no one to ask

  public:
    std::unique_ptr<Bench> Core;
};

// The message of a form that found no bridge.
inline constexpr const char* kNoBridgeMessage =
    "USB not Connect !!! (no bridge found: plug in the USB bridge, check its permissions, or add "
    "--simulate)";

} // namespace qn
