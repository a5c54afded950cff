// libFuzzer target: ReadLine over arbitrary input arriving in chunks at arbitrary times.
#include "instruments/InstrumentPorts.h"
#include "sim/SimClock.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

volatile size_t sink = 0; // keeps every result observable

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// Chunks that reach the input queue at their times on the simulated clock.
class ChunkLine final : public qn::SerialLine {
  public:
    ChunkLine(qn::SimClock& clock, std::vector<std::pair<double, std::string>> chunks)
        : clock_(clock), chunks_(std::move(chunks)) {}
    bool Open(const std::string& /*portName*/) override { return open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool Configure(const qn::LineSettings& /*settings*/) override { return true; }
    bool SetDtr(bool /*on*/) override { return true; }
    bool QueryStatus(uint32_t& errors, size_t& waiting) override {
        errors = 0;
        while (next_ < chunks_.size() && chunks_[next_].first <= clock_.SteadyMs()) {
            queue_.insert(queue_.end(), chunks_[next_].second.begin(), chunks_[next_].second.end());
            ++next_;
        }
        waiting = queue_.size();
        return true;
    }
    size_t Read(uint8_t* data, size_t max) override {
        Require(max <= qn::kTxBufferSize); // no caller's buffer is larger
        const size_t count = std::min(max, queue_.size());
        std::copy_n(queue_.begin(), count, data);
        queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
        return count;
    }
    size_t Write(const uint8_t* /*data*/, size_t length) override { return length; }
    void DiscardInput() override { queue_.clear(); }

  private:
    qn::SimClock& clock_;
    std::vector<std::pair<double, std::string>> chunks_;
    size_t next_ = 0;
    std::deque<uint8_t> queue_;
    bool open_ = false;
};

class NoStatus final : public qn::StatusBar {
  public:
    void SetPanelText(int /*panel*/, const std::string& text) override {
        sink = sink + text.size();
    }
};

} // namespace

// Input layout: chunks of [delay in ms after the previous chunk][length][bytes].
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qn::SimClock clock;
    std::vector<std::pair<double, std::string>> chunks;
    std::string stream; // every byte in order of arrival
    double crAt = -1;   // arrival of the first CR
    double at = clock.SteadyMs();
    for (size_t pos = 0; pos + 2 <= size;) {
        at += data[pos];
        const size_t length = std::min<size_t>(data[pos + 1], size - pos - 2);
        std::string bytes(reinterpret_cast<const char*>(data + pos + 2), length);
        if (crAt < 0 && bytes.find('\r') != std::string::npos) crAt = at;
        stream += bytes;
        chunks.emplace_back(at, std::move(bytes));
        pos += 2 + length;
    }

    NoStatus status;
    qn::InstrumentPorts ports(clock, status);
    ports.FlukePort.Line = std::make_unique<ChunkLine>(clock, std::move(chunks));
    ports.FlukePort.Line->Open("COM1");
    ports.FlukePort.Selected = 1;

    const size_t length = ports.ReadLine(ports.FlukePort);
    Require(length <= qn::kLineAreaSize);
    const std::string line = ports.LineText(length);
    Require(line.find('\r') == std::string::npos);
    if (crAt < 0) Require(length == 0);
    // While nothing overflows a single read, the line is exactly what came before the first CR,
    // when that CR came in time.
    if (stream.size() <= qn::kTxBufferSize) {
        const std::string before = stream.substr(0, stream.find('\r'));
        const bool inTime = crAt >= 0 && crAt <= qn::kReadLineTimeoutMs;
        Require(line == (inTime ? before.substr(0, qn::kLineAreaSize) : std::string()));
    }
    sink = sink + ports.ReadLine(ports.FlukePort);
    return 0;
}
