// The main window's status bar as the core writes to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qn {

// The three panels of the status bar, left to right.
enum class StatusPanel : uint8_t {
    // The bridge's state ("USB On Line") and the progress of a long operation (downloading the
    // register steps, the supply's step, a saved file).
    Bridge = 0,
    // Errors of the serial bridge, the instrument ports' selection, and the row and step a
    // temperature run is at.
    Link = 1,
    // Short outcomes and waiting: a capture's or Read RAM's result, the calibrator's answer, the
    // seconds waited and the soak time.
    Outcome = 2,
};
inline constexpr size_t kStatusPanelCount = 3;

// The panel's place, 0 to 2, for arrays of panels.
constexpr size_t PanelIndex(StatusPanel panel) {
    return static_cast<size_t>(panel);
}

class StatusBar {
  public:
    virtual ~StatusBar() = default;
    virtual void SetPanelText(StatusPanel panel, const std::string& text) = 0;
};

// Forwards status texts to a bar attached later (the main window exists after the core).
class StatusRelay final : public StatusBar {
  public:
    void SetPanelText(StatusPanel panel, const std::string& text) override {
        if (Target != nullptr) Target->SetPanelText(panel, text);
    }
    StatusBar* Target = nullptr;
};

} // namespace qn
