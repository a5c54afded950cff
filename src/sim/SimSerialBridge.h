// The serial bridge peer: answers 55 sync, C0 read and 40 write frames from a register file.
#pragma once

#include "sim/SimRegisterFile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qn {

// Whatever sits at the far end of a simulated serial line.
class SimSerialPeer {
  public:
    virtual ~SimSerialPeer() = default;
    // Takes the bytes of one host write; returns the bytes it answers at once.
    virtual std::vector<uint8_t> Take(const uint8_t* data, size_t length) = 0;
    // Line errors since the last call (cleared by the call).
    virtual uint32_t TakeLineErrors() { return 0; }
    // Bytes that have become due on the peer's clock since the last call: answers that come
    // late or in parts.
    virtual std::vector<uint8_t> Due() { return {}; }
};

// Faults a test can switch on, each disturbing one part of the exchange.
struct SimSerialFaults {
    uint8_t SyncAnswer = 0xAA;          // byte answered to 55
    int FailSyncTimes = 0;              // the next k syncs get no answer
    bool ParityErrorOnNextRead = false; // the next read frame raises a parity error
    bool OtherErrorOnNextRead = false;  // the next read frame raises a framing error
    bool SilentReads = false;           // read frames get no answer
    uint8_t WriteAnswer = 0xAA;         // byte answered to a write frame
    size_t ExtraAnswerBytes = 0;        // surplus bytes after the data of a read
};

inline constexpr uint8_t kSimSerialFiller = 0x5A; // value of the surplus bytes

class SimSerialBridge final : public SimSerialPeer {
  public:
    // A bridge with a register file of its own.
    SimSerialBridge() : registers_(own_) {}
    // A bridge on a register file shared with another part of the bench.
    explicit SimSerialBridge(SimRegisterFile& registers) : registers_(registers) {}
    SimSerialBridge(const SimSerialBridge&) = delete;
    SimSerialBridge& operator=(const SimSerialBridge&) = delete;

    std::vector<uint8_t> Take(const uint8_t* data, size_t length) override;
    uint32_t TakeLineErrors() override;

    SimRegisterFile& Registers() { return registers_; }
    // Every host write, one entry per write call.
    const std::vector<std::vector<uint8_t>>& Writes() const { return writes_; }
    void ClearWrites() { writes_.clear(); }

    SimSerialFaults Faults;

  private:
    size_t FrameLength() const;
    void Process(std::vector<uint8_t>& answer);
    void Sync(std::vector<uint8_t>& answer);
    void Read(std::vector<uint8_t>& answer);
    void Write(std::vector<uint8_t>& answer);

    SimRegisterFile own_{};
    SimRegisterFile& registers_;
    std::vector<uint8_t> input_; // bytes of a frame not yet complete
    std::vector<std::vector<uint8_t>> writes_;
    uint32_t lineErrors_ = 0;
};

} // namespace qn
