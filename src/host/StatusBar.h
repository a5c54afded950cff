// The main window's status bar as the core writes to it.
#pragma once

#include <string>

namespace qn {

// Panel 0 bridge state and progress, 1 link errors, 2 instrument answers and waiting time.
class StatusBar {
  public:
    virtual ~StatusBar() = default;
    virtual void SetPanelText(int panel, const std::string& text) = 0;
};

// Forwards status texts to a bar attached later (the main window exists after the core).
class StatusRelay final : public StatusBar {
  public:
    void SetPanelText(int panel, const std::string& text) override {
        if (Target != nullptr) Target->SetPanelText(panel, text);
    }
    StatusBar* Target = nullptr;
};

} // namespace qn
