// Tells the windows that the register image or the link state changed, so they can redraw.
#pragma once

#include <string>

namespace qn {

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
    // An operation that owns the link lets window messages through (busy) or has ended: what
    // would start another exchange is disabled meanwhile.
    virtual void ShowBusy(bool /*busy*/) {}
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
    void ShowBusy(bool busy) override {
        if (Target) Target->ShowBusy(busy);
    }
    PanelRefresh* Target = nullptr;
};

} // namespace qn
