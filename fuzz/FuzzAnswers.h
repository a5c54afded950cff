// The fuzz input as a device's answers: every request a program sends takes the next answer of
// the input, which arrives after its own delay on the simulated clock; the serial line that
// delivers them; and a status bar that keeps nothing.
#pragma once

#include "FuzzCheck.h"
#include "host/SerialLine.h"
#include "host/StatusBar.h"
#include "sim/SimClock.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace qn::fuzz {

// Answers of the input, each [delay in 4 ms units][length][bytes], handed out in turn; an input
// that has run out answers nothing.
class AnswerScript {
  public:
    AnswerScript(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    struct Answer {
        uint8_t Lead = 0; // the delay byte; USB answers take its low bit as a failure
        double DelayMs = 0;
        std::string Bytes;
    };
    Answer Next() {
        if (pos_ + 2 > size_) {
            pos_ = size_;
            return {};
        }
        const uint8_t lead = Byte();
        return {lead, lead * 4.0, Text(Byte())};
    }
    // The next byte of the input (zero once it has run out), and up to `count` bytes as a text.
    uint8_t Byte() { return Empty() ? 0 : data_[pos_++]; }
    // The next two bytes, high first; read one by one so every compiler reads them in that order.
    uint16_t Word() {
        const uint8_t high = Byte();
        return static_cast<uint16_t>(high << 8 | Byte());
    }
    std::string Text(size_t count) {
        count = std::min(count, size_ - pos_);
        pos_ += count;
        return {reinterpret_cast<const char*>(data_ + pos_ - count), count};
    }
    bool Empty() const { return pos_ >= size_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A serial line whose input arrives in timed pieces: those given to Arrive, and those OnWrite
// makes when the program writes.
class TimedLine final : public SerialLine {
  public:
    TimedLine(SimClock& clock, std::function<void(TimedLine&)> onWrite = nullptr)
        : clock_(clock), onWrite_(std::move(onWrite)) {}
    // `bytes` reach the input queue at `atMs` on the clock.
    void Arrive(double atMs, std::string bytes) { pending_.emplace(atMs, std::move(bytes)); }
    size_t MaxRead = SIZE_MAX; // the most a read may ask for

    bool Open(const std::string& /*portName*/) override { return open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool Configure(const LineSettings& /*settings*/) override { return open_; }
    bool SetDtr(bool /*on*/) override { return open_; }
    bool QueryStatus(uint32_t& errors, size_t& waiting) override {
        errors = 0;
        Collect();
        waiting = queue_.size();
        return open_;
    }
    size_t Read(uint8_t* data, size_t max) override {
        Require(max <= MaxRead);
        Collect();
        const size_t count = std::min(max, queue_.size());
        std::copy_n(queue_.begin(), count, data);
        queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
        return count;
    }
    size_t Write(const uint8_t* /*data*/, size_t length) override {
        if (onWrite_) onWrite_(*this);
        return length;
    }
    void DiscardInput() override {
        Collect();
        queue_.clear();
    }

  private:
    void Collect() {
        for (auto at = pending_.begin(); at != pending_.end() && at->first <= clock_.SteadyMs();
             at = pending_.erase(at))
            queue_.insert(queue_.end(), at->second.begin(), at->second.end());
    }

    SimClock& clock_;
    std::function<void(TimedLine&)> onWrite_;
    std::multimap<double, std::string> pending_; // by arrival, in order of Arrive among equals
    std::deque<uint8_t> queue_;
    bool open_ = false;
};

// A serial line whose device answers every write with the next answer of the script.
inline std::unique_ptr<SerialLine> AnswerLine(SimClock& clock, AnswerScript& script) {
    return std::make_unique<TimedLine>(clock, [&clock, &script](TimedLine& line) {
        AnswerScript::Answer answer = script.Next();
        line.Arrive(clock.SteadyMs() + answer.DelayMs, std::move(answer.Bytes));
    });
}

// A status bar that only keeps its texts observable.
class NoStatus final : public StatusBar {
  public:
    void SetPanelText(StatusPanel /*panel*/, const std::string& text) override {
        sink = sink + text.size();
    }
};

} // namespace qn::fuzz
