// Small interfaces through which the core reaches the windows: status bar, panel refresh, event
// pump.
#pragma once

#include <string>

namespace qn {

// The main window's status bar: panel 0 bridge state and progress, 1 link errors, 2 instrument
// answers.
class StatusBar {
  public:
    virtual ~StatusBar() = default;
    virtual void SetPanelText(int panel, const std::string& text) = 0;
};

// Lets pending window messages through during long loops (capture, temperature test).
class EventPump {
  public:
    virtual ~EventPump() = default;
    virtual void Pump() = 0;
};

// Told when the register image or link state changed so the windows can redraw.
class PanelRefresh {
  public:
    virtual ~PanelRefresh() = default;
    // Redraw the RAM, register and ADC panels (called in that order after a register changed).
    virtual void RefreshRamPanel() {}
    virtual void RefreshRegisterPanel() {}
    virtual void RefreshAdcPanel() {}
    // The ADC panel's continuous read produced a new result text.
    virtual void ShowAdcResult(const std::string& /*text*/) {}
    // The live chart of a running capture is due for a redraw.
    virtual void RedrawLiveChart() {}
    // A bridge connected through "USB Scan": retitle the panels with the chip's name.
    virtual void ShowChipTitles() {}
};

// Lets nothing through: for tests and for a core used without windows.
class NullEventPump final : public EventPump {
  public:
    void Pump() override {}
};

} // namespace qn

namespace qn {

// Forwards status texts to a bar attached later (the main window exists after the core).
class StatusRelay final : public StatusBar {
  public:
    void SetPanelText(int panel, const std::string& text) override {
        if (Target != nullptr) Target->SetPanelText(panel, text);
    }
    StatusBar* Target = nullptr;
};

// Forwards panel refreshes to windows attached later.
class PanelRelay final : public PanelRefresh {
  public:
    void RefreshRamPanel() override {
        if (Target) Target->RefreshRamPanel();
    }
    void RefreshRegisterPanel() override {
        if (Target) Target->RefreshRegisterPanel();
    }
    void RefreshAdcPanel() override {
        if (Target) Target->RefreshAdcPanel();
    }
    void ShowAdcResult(const std::string& text) override {
        if (Target) Target->ShowAdcResult(text);
    }
    void RedrawLiveChart() override {
        if (Target) Target->RedrawLiveChart();
    }
    void ShowChipTitles() override {
        if (Target) Target->ShowChipTitles();
    }
    PanelRefresh* Target = nullptr;
};

} // namespace qn
