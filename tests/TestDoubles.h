// Doubles of the host interfaces the core talks through: a status bar that keeps what it was
// told, and an event pump that counts its calls and runs a scripted message.
#pragma once

#include "host/EventPump.h"
#include "host/StatusBar.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace qn::test {

// Every text in order, and the last text of each of the three panels (a panel past them throws).
class RecordingStatus final : public StatusBar {
  public:
    void SetPanelText(int panel, const std::string& text) override {
        Panels.at(static_cast<size_t>(panel)) = text;
        Texts.emplace_back(panel, text);
    }
    // The last text of `panel`; empty when it was never written.
    const std::string& Last(int panel) const { return Panels.at(static_cast<size_t>(panel)); }
    std::array<std::string, 3> Panels;
    std::vector<std::pair<int, std::string>> Texts;
};

// Counts its pumps and runs Message at each (at the next one only, with Once).
class ScriptedPump final : public EventPump {
  public:
    void Pump() override {
        ++Pumps;
        if (!Message) return;
        if (Once)
            std::exchange(Message, nullptr)();
        else
            Message();
    }
    std::function<void()> Message;
    bool Once = false;
    int Pumps = 0;
};

} // namespace qn::test
