// Request handling of the simulated bridge firmware: identity, control, chip access, ADC stream.
#include "sim/SimBridge.h"

#include "sim/SimLog.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace qn {
namespace {

constexpr uint8_t kAck = 0xFA;
constexpr uint8_t kControl = 0xF9;
constexpr uint8_t kIdentitySub = 0xAC;
constexpr uint8_t kVersionSub = 0x05;
constexpr uint8_t kStartUp = 0xC5;
constexpr uint8_t kQn740x = 0xC4;
constexpr uint8_t kRegisterBank = 0xA0;
constexpr uint8_t kLines = 0xB5;
constexpr size_t kConversionRegister = 5;
constexpr size_t kTemperatureRegister = 6;
constexpr uint8_t kTemperatureStream = 2; // the stream mode of the temperature channel
constexpr char kIdentity[] = "Brenmoss";
constexpr char kWrongIdentity[] = "BRENMOSS";

// Request byte `at`; bytes past the written length read as 0.
uint8_t At(const std::vector<uint8_t>& request, size_t at) {
    return at < request.size() ? request[at] : uint8_t{0};
}

void PutText(std::array<uint8_t, kSimAnswerSize>& block, const std::string& text) {
    std::memcpy(block.data(), text.data(), std::min<size_t>(text.size(), 8));
}

void PutWord(std::array<uint8_t, kSimAnswerSize>& block, uint16_t value) {
    block[0] = static_cast<uint8_t>(value);
    block[1] = static_cast<uint8_t>(value >> 8);
}

// A 24-bit two's complement code, most significant byte first.
void PutCode(uint8_t* into, int32_t code) {
    const auto bits = static_cast<uint32_t>(code);
    into[0] = static_cast<uint8_t>(bits >> 16);
    into[1] = static_cast<uint8_t>(bits >> 8);
    into[2] = static_cast<uint8_t>(bits);
}

// Address of a "Special" frame: bits 2..6 of the selector are address bits 8..12; the plain
// selector (C0 to read, 40 to write) addresses the first 256 bytes.
size_t SpecialAddress(uint8_t selector, uint8_t low) {
    if (selector == 0xC0 || selector == 0x40) return low;
    return (static_cast<size_t>(selector & 0x7C) << 6) | low;
}

} // namespace

uint16_t SimSensorCode(double celsius) {
    const double code = std::clamp(celsius * kSimSensorCodesPerCelsius, -32768.0, 32767.0);
    return static_cast<uint16_t>(static_cast<int16_t>(std::lround(code)));
}

SimBridge::SimBridge(Clock& clock, uint32_t seed) : adc_(clock, seed), sensorRng_(seed + 1) {
    adc_.SetOutputRate(fixedRate_);
}

bool SimBridge::Receive(const uint8_t* data, size_t length) {
    if (Faults.CablePulled) return false;
    std::vector<uint8_t> request(data, data + length);
    SyncChip();
    pending_ = Handle(request);
    SyncChip();
    AppendToLog(log_, SimFrame{std::move(request), 0});
    return true;
}

bool SimBridge::Answer(uint8_t* data, size_t length) {
    if (Faults.CablePulled) return false;
    if (!log_.empty()) log_.back().ReadLength = length;
    const Reply answer = std::exchange(pending_, std::nullopt);
    if (Faults.Silent || !answer) return false;
    std::memset(data, 0, length);
    std::memcpy(data, answer->data(), std::min(length, answer->size()));
    return true;
}

SimBridge::Reply SimBridge::Handle(const std::vector<uint8_t>& request) {
    switch (At(request, 0)) {
    case kControl:
        return Control(request);
    case kStartUp:
        return StartUp(request);
    case kQn740x:
        return Qn740x(request);
    case 0xBA:
    case 0xBE:
        return Special(request);
    case kLines:
        return At(request, 1) == 0x07 ? BridgeLines() : std::nullopt;
    default:
        return std::nullopt;
    }
}

SimBridge::Reply SimBridge::Control(const std::vector<uint8_t>& request) const {
    Block block{};
    const uint8_t sub = At(request, 1);
    const auto value = static_cast<uint16_t>(At(request, 2) | (At(request, 3) << 8));
    if (sub == 1 && Faults.Sub1Silent) return std::nullopt;
    if (sub == kIdentitySub) {
        PutText(block, Faults.WrongIdentity ? kWrongIdentity : kIdentity);
    } else if (sub == kVersionSub) {
        PutText(block, Version);
    } else if (sub == 2) {
        PutWord(block, Faults.Sub2Refuses ? 0xFFFE : 0xFFFF);
    } else if (sub == 4) {
        PutWord(block, static_cast<uint16_t>(value + 1));
    } else {
        PutWord(block, value);
    }
    return block;
}

SimBridge::Reply SimBridge::StartUp(const std::vector<uint8_t>& request) const {
    const bool first = At(request, 2) == 0x01 && At(request, 3) == 0x00;
    const bool second = At(request, 2) == 0x00;
    if (At(request, 1) != 0xFF || !(first || second)) return std::nullopt;
    Block block{};
    block[0] = kAck;
    return block;
}

SimBridge::Reply SimBridge::Qn740x(const std::vector<uint8_t>& request) {
    Block block{};
    block[0] = kAck;
    switch (At(request, 1)) {
    case 0x00:
        return Qn740xWrite(request);
    case 0x01:
        return Qn740xRead(request);
    case 0x02:
        streamMode_ = At(request, 2);
        streamArmed_ = chipConverting_ && chipInterrupts_;
        adc_.Start();
        return block;
    case 0x03:
        if (At(request, 2) != 0x01) return std::nullopt;
        adc_.Stop();
        return block;
    case 0x04:
        return Fetch();
    default:
        return std::nullopt;
    }
}

SimBridge::Reply SimBridge::Qn740xRead(const std::vector<uint8_t>& request) {
    if (At(request, 2) != kRegisterBank) return std::nullopt;
    const size_t address = At(request, 3);
    const size_t count = std::min<size_t>(At(request, 4), kSimAnswerSize - 1);
    Block block{};
    block[0] = kAck;
    if (address == kConversionRegister && count == 3) {
        PutCode(block.data() + 1, SingleConversion());
    } else if (address == kTemperatureRegister && count == 2) {
        block[1] = static_cast<uint8_t>(analog_.TemperatureCode >> 8);
        block[2] = static_cast<uint8_t>(analog_.TemperatureCode);
    } else {
        for (size_t i = 0; i < count; ++i) block[1 + i] = RegisterAt(Registers, address + i);
    }
    return block;
}

SimBridge::Reply SimBridge::Qn740xWrite(const std::vector<uint8_t>& request) {
    if (At(request, 2) != kRegisterBank) return std::nullopt;
    const size_t address = At(request, 3);
    const size_t count = At(request, 4);
    for (size_t i = 0; i < count; ++i) StoreRegister(Registers, address + i, At(request, 7 + i));
    Block block{};
    block[0] = kAck;
    return block;
}

// The conversions owed since the previous fetch; a stopped ADC owes none.
SimBridge::Reply SimBridge::Fetch() {
    const size_t owed = adc_.TakeOwed(kSimFetchMax, kSimBridgeBufferRecords);
    const size_t count = Faults.Count22 ? kSimFetchMax : owed;
    Block block{};
    block[0] = static_cast<uint8_t>(Faults.Count22 ? kSimFetchMax + 1 : count);
    for (size_t i = 0; i < count; ++i)
        PutCode(block.data() + 1 + 3 * i,
                streamMode_ == kTemperatureStream ? SensorRecord() : StreamConversion());
    return block;
}

// The temperature channel's record: the sensor's 16-bit result with a code of noise, in the
// first two bytes.
int32_t SimBridge::SensorRecord() {
    const double noisy = static_cast<int16_t>(analog_.TemperatureCode) + sensorNoise_(sensorRng_);
    const auto code = static_cast<int16_t>(std::clamp(std::lround(noisy), -32768L, 32767L));
    return static_cast<int32_t>(static_cast<uint16_t>(code)) << 8;
}

SimBridge::Reply SimBridge::Special(const std::vector<uint8_t>& request) {
    const uint8_t selector = At(request, 1);
    const size_t address = SpecialAddress(selector, At(request, 2));
    const size_t count = std::min<size_t>(At(request, 3), kSimAnswerSize);
    Block block{};
    if ((selector & 0x80) != 0) {
        for (size_t i = 0; i < count; ++i) block[i] = RegisterAt(Registers, address + i);
    } else {
        for (size_t i = 0; i < count; ++i)
            StoreRegister(Registers, address + i, At(request, 5 + i));
    }
    return block;
}

void SimBridge::LoadChip(const ChipModel& model) {
    chip_.emplace(model);
    lastCode_ = 0;
    chipStreamRate_ = -1.0; // hand the chip's rate over at once
    SyncChip();
}

bool SimBridge::PullAnalog() {
    if (source_ == nullptr) return false;
    analog_.CalibratorVolts = source_->InputVolts().value_or(inputVolts_);
    analog_.TemperatureCode = source_->TemperatureCode();
    const bool powered = source_->ChipPowered();
    return std::exchange(powered_, powered) != powered;
}

// The stream counts conversions only while the chip is powered, converts and interrupts, and
// only when it was started so; a rate change is handed over only when it happens, so the
// conversions made so far stay owed.
void SimBridge::SyncChip() {
    const bool powerChanged = PullAnalog();
    if (!chip_) {
        if (powerChanged) adc_.SetOutputRate(powered_ ? fixedRate_ : 0.0);
        return;
    }
    const SimAdcSetup setup = chip_->Setup(Registers, analog_);
    adc_.SetSignal(setup.MeanCode, setup.NoiseRmsCodes);
    chipConverting_ = powered_ && setup.Converting;
    chipInterrupts_ = setup.Interrupts;
    const bool collecting = streamArmed_ && chipConverting_ && chipInterrupts_;
    const double streamRate = collecting ? setup.Rate : 0.0;
    if (streamRate != chipStreamRate_) adc_.SetOutputRate(streamRate);
    chipStreamRate_ = streamRate;
    chipTemperature_ = setup.Temperature;
}

int32_t SimBridge::StreamConversion() {
    lastCode_ = adc_.Convert();
    if (chip_) chip_->StoreResult(Registers, lastCode_, chipTemperature_);
    return lastCode_;
}

int32_t SimBridge::SingleConversion() {
    if (!powered_ || (chip_ && !chipConverting_)) return lastCode_;
    return StreamConversion();
}

SimBridge::Reply SimBridge::BridgeLines() const {
    Block block{};
    std::copy(Lines.begin(), Lines.end(), block.begin() + 1);
    return block;
}

} // namespace qn
