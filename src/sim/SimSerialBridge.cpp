// Frame assembly and answers of the serial bridge peer, with its configurable faults.
#include "sim/SimSerialBridge.h"

#include "host/SerialLine.h"

#include <cstddef>
#include <utility>

namespace qn {
namespace {

constexpr uint8_t kSync = 0x55;
constexpr uint8_t kRead = 0xC0;
constexpr uint8_t kWrite = 0x40;
constexpr size_t kHeaderLength = 4;

} // namespace

// Frames may arrive split over several writes; stray bytes between frames are dropped.
std::vector<uint8_t> SimSerialBridge::Take(const uint8_t* data, size_t length) {
    writes_.emplace_back(data, data + length);
    input_.insert(input_.end(), data, data + length);
    std::vector<uint8_t> answer;
    while (!input_.empty()) {
        const size_t need = FrameLength();
        if (need == 0) {
            input_.erase(input_.begin());
            continue;
        }
        if (input_.size() < need) break;
        Process(answer);
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(need));
    }
    return answer;
}

uint32_t SimSerialBridge::TakeLineErrors() {
    return std::exchange(lineErrors_, 0);
}

// Length of the frame at the head of the input; 0 for a byte that starts no frame.
size_t SimSerialBridge::FrameLength() const {
    switch (input_[0]) {
    case kSync:
        return 1;
    case kRead:
        return kHeaderLength;
    case kWrite:
        return input_.size() < kHeaderLength ? kHeaderLength : kHeaderLength + input_[3];
    default:
        return 0;
    }
}

void SimSerialBridge::Process(std::vector<uint8_t>& answer) {
    switch (input_[0]) {
    case kSync:
        Sync(answer);
        break;
    case kRead:
        Read(answer);
        break;
    default:
        Write(answer);
        break;
    }
}

void SimSerialBridge::Sync(std::vector<uint8_t>& answer) {
    if (Faults.FailSyncTimes > 0) {
        --Faults.FailSyncTimes;
        return;
    }
    answer.push_back(Faults.SyncAnswer);
}

void SimSerialBridge::Read(std::vector<uint8_t>& answer) {
    if (Faults.ParityErrorOnNextRead) lineErrors_ |= kLineErrorParity;
    if (Faults.OtherErrorOnNextRead) lineErrors_ |= kLineErrorFrame;
    Faults.ParityErrorOnNextRead = false;
    Faults.OtherErrorOnNextRead = false;
    if (Faults.SilentReads) return;
    const size_t address = input_[1] | (size_t{input_[2]} << 8);
    for (size_t i = 0; i < input_[3]; ++i) answer.push_back(RegisterAt(registers_, address + i));
    answer.insert(answer.end(), Faults.ExtraAnswerBytes, kSimSerialFiller);
}

void SimSerialBridge::Write(std::vector<uint8_t>& answer) {
    const size_t address = input_[1] | (size_t{input_[2]} << 8);
    for (size_t i = 0; i < input_[3]; ++i)
        StoreRegister(registers_, address + i, input_[kHeaderLength + i]);
    answer.push_back(Faults.WriteAnswer);
}

} // namespace qn
