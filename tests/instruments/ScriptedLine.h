// Serial devices whose answers are scripted on the simulated clock, the lines that reach them,
// and a status bar that keeps every text it was given.
#pragma once

#include "TestDoubles.h"
#include "host/SerialLine.h"
#include "host/StatusBar.h"
#include "sim/SimClock.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qn::test {

struct ScriptedDevice {
    explicit ScriptedDevice(SimClock& clock) : Time(clock) {}

    // `bytes` reach the input queue `afterMs` from now.
    void AnswerAfter(double afterMs, std::string bytes) {
        Pending.emplace_back(Time.SteadyMs() + afterMs, std::move(bytes));
    }
    // Moves the answers that are due into the input queue.
    void Arrive() {
        std::stable_sort(Pending.begin(), Pending.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        while (!Pending.empty() && Pending.front().first <= Time.SteadyMs()) {
            Queue.insert(Queue.end(), Pending.front().second.begin(), Pending.front().second.end());
            Pending.erase(Pending.begin());
        }
    }

    SimClock& Time;
    // Answers to a written text, one per write of it in turn ("" stays silent); each arrives
    // ReplyDelayMs after the write.
    std::map<std::string, std::deque<std::string>> Replies;
    double ReplyDelayMs = 0;
    std::vector<std::string> Writes;      // every write, one entry each
    std::vector<std::string> Events;      // "dtr off", "discard", "dtr on", in order
    std::optional<LineSettings> Settings; // the last line settings applied
    int FailingQueries = 0;               // the next status queries that fail
    bool Present = true;                  // false: the device is gone
    bool Opened = false;
    std::deque<uint8_t> Queue;
    std::vector<std::pair<double, std::string>> Pending;
};

class ScriptedPorts;

class ScriptedLine final : public SerialLine {
  public:
    explicit ScriptedLine(ScriptedPorts& ports) : ports_(ports) {}
    ~ScriptedLine() override { Close(); }
    ScriptedLine(const ScriptedLine&) = delete;
    ScriptedLine& operator=(const ScriptedLine&) = delete;

    bool Open(const std::string& portName) override;
    void Close() override {
        if (device_ != nullptr) device_->Opened = false;
        device_ = nullptr;
    }
    // A device that went away closes its line, as the serial layer does.
    bool IsOpen() const override { return device_ != nullptr && device_->Present; }
    bool Configure(const LineSettings& settings) override {
        if (!IsOpen()) return false;
        device_->Settings = settings;
        return true;
    }
    bool SetDtr(bool on) override {
        if (!IsOpen()) return false;
        device_->Events.push_back(on ? "dtr on" : "dtr off");
        return true;
    }
    bool QueryStatus(uint32_t& errors, size_t& waiting) override {
        errors = 0;
        waiting = 0;
        if (!IsOpen()) return false;
        if (device_->FailingQueries > 0) {
            --device_->FailingQueries;
            return false;
        }
        device_->Arrive();
        waiting = device_->Queue.size();
        return true;
    }
    size_t Read(uint8_t* data, size_t max) override {
        if (!IsOpen()) return 0;
        const size_t count = std::min(max, device_->Queue.size());
        std::copy_n(device_->Queue.begin(), count, data);
        device_->Queue.erase(device_->Queue.begin(),
                             device_->Queue.begin() + static_cast<std::ptrdiff_t>(count));
        return count;
    }
    size_t Write(const uint8_t* data, size_t length) override {
        if (!IsOpen()) return 0;
        std::string text(reinterpret_cast<const char*>(data), length);
        auto reply = device_->Replies.find(text);
        if (reply != device_->Replies.end() && !reply->second.empty()) {
            if (!reply->second.front().empty())
                device_->AnswerAfter(device_->ReplyDelayMs, reply->second.front());
            reply->second.pop_front();
        }
        device_->Writes.push_back(std::move(text));
        return length;
    }
    void DiscardInput() override {
        if (!IsOpen()) return;
        device_->Events.push_back("discard");
        device_->Arrive();
        device_->Queue.clear();
    }

  private:
    ScriptedPorts& ports_;
    ScriptedDevice* device_ = nullptr;
};

class ScriptedPorts final : public SerialPortFactory {
  public:
    explicit ScriptedPorts(SimClock& clock) : clock_(clock) {}
    ScriptedDevice& Add(const std::string& portName) {
        return devices_.try_emplace(portName, clock_).first->second;
    }
    ScriptedDevice* Find(const std::string& portName) {
        const auto found = devices_.find(portName);
        return found == devices_.end() ? nullptr : &found->second;
    }
    std::unique_ptr<SerialLine> MakeLine() override {
        return std::make_unique<ScriptedLine>(*this);
    }

  private:
    SimClock& clock_;
    std::map<std::string, ScriptedDevice> devices_;
};

inline bool ScriptedLine::Open(const std::string& portName) {
    Close();
    ScriptedDevice* device = ports_.Find(portName);
    if (device == nullptr || !device->Present || device->Opened) return false;
    device->Opened = true;
    device_ = device;
    return true;
}

} // namespace qn::test
