// The simulated USB bridge: its firmware's request handling in front of a simulated ADC chip.
#pragma once

#include "host/Clock.h"
#include "sim/SimAdc.h"
#include "sim/SimChip.h"
#include "sim/SimRegisterFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace qn {

inline constexpr size_t kSimAnswerSize = 64;
// The sensor's result counts 1/128 degree: the default 0x0C80 is 25 degrees.
inline constexpr double kSimSensorCodesPerCelsius = 128.0;

// The sensor's 16-bit result (two's complement) at `celsius`.
uint16_t SimSensorCode(double celsius);

// What the rest of the bench applies to the chip, asked for whenever the bridge takes a request.
class SimAnalogSource {
  public:
    virtual ~SimAnalogSource() = default;
    // Volts across AI0 and AI1; empty while nothing drives them, and SetInputVoltage's stand.
    virtual std::optional<double> InputVolts() = 0;
    // The temperature sensor's result.
    virtual uint16_t TemperatureCode() = 0;
    // False while the chip has no supply: it makes no conversions.
    virtual bool ChipPowered() = 0;
};
inline constexpr size_t kSimFetchMax = 21; // samples that fit one answer after the count byte
// The bridge keeps the chip's stream records in a ring of this many between fetches; a record
// arriving while it is full overwrites the oldest. The host fetches at most kSimFetchMax records
// per answer and pauses 10 ms after each, so the bridge carries at most about 2100 records a
// second: a faster output rate loses records, as it does on the real board.
inline constexpr size_t kSimBridgeBufferRecords = 64;

// Faults a test can switch on; clearing CablePulled plugs the bridge back in.
struct SimFaults {
    bool CablePulled = false;   // every transfer fails
    bool WrongIdentity = false; // the identity answer is in the wrong case
    bool Sub2Refuses = false;   // the presence check answers FFFE instead of FFFF
    bool Sub1Silent = false;    // the first set-up request after the presence check goes unanswered
    bool Count22 = false;       // a fetch claims 22 samples (with 21 in the answer)
    bool Silent = false;        // requests are taken but never answered
};

// One request as the bridge saw it, with the length the host then read back.
struct SimFrame {
    std::vector<uint8_t> Request; // the bytes written; its size is the write length
    size_t ReadLength = 0;
};

class SimBridge {
  public:
    explicit SimBridge(Clock& clock, uint32_t seed = 1);

    // Host to bridge: one request (payload only, no report ID). False when the cable is pulled.
    bool Receive(const uint8_t* data, size_t length);
    // Bridge to host: the first `length` bytes of the pending answer, zero padded. False when
    // the cable is pulled, the bridge is silent or nothing is pending. The read consumes it.
    bool Answer(uint8_t* data, size_t length);

    // Fixed conversion rate and signal of a bridge without a chip model; once a chip is loaded
    // its registers decide both, and these are ignored.
    void SetOutputRate(double conversionsPerSecond) {
        fixedRate_ = conversionsPerSecond;
        if (!chip_ && powered_) adc_.SetOutputRate(conversionsPerSecond);
    }
    void SetSignal(double meanCode, double noiseRmsCodes) {
        if (!chip_) adc_.SetSignal(meanCode, noiseRmsCodes);
    }
    void SetTemperatureCode(uint16_t code) { analog_.TemperatureCode = code; }

    // From now on every conversion follows the register file as `model`'s "#ADC0S" fields read
    // it, at the output rate its "OSR" and "HS" set. While "ADCEN" is 0 the chip makes no
    // conversions: a stream owes nothing more and a single ADC read answers the last result (0
    // before the first). Stream samples are only collected while "IRQEN" is 1, and only by a
    // stream started while "ADCEN" and "IRQEN" were both 1: the firmware arms its collection at
    // the start request, so a stream started with the ADC off brings nothing, even once the
    // bits are set, until it is started again.
    void LoadChip(const ChipModel& model);
    // The calibrator's output, across the chip's inputs AI0 (+) and AI1 (-).
    void SetInputVoltage(double volts) { analog_.CalibratorVolts = inputVolts_ = volts; }
    // From now on the input, the sensor and the chip's supply come from `source` (null: from the
    // setters, always powered); the source must outlive the bridge or be replaced first.
    void SetAnalogSource(SimAnalogSource* source) { source_ = source; }

    bool Streaming() const { return adc_.Running(); }
    // Mode byte of the last stream start request; a stream started in mode 2 carries the
    // temperature sensor's result (16 bits, with a code of noise) instead of the conversions.
    uint8_t StreamMode() const { return streamMode_; }

    const std::vector<SimFrame>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }

    SimFaults Faults;
    SimRegisterFile Registers{};
    std::array<uint8_t, 3> Lines{}; // status bytes answered to the bridge-lines request
    std::string Version = "QNBR0727";

  private:
    using Block = std::array<uint8_t, kSimAnswerSize>;
    using Reply = std::optional<Block>;

    Reply Handle(const std::vector<uint8_t>& request);
    Reply Control(const std::vector<uint8_t>& request) const;
    Reply StartUp(const std::vector<uint8_t>& request) const;
    Reply Qn740x(const std::vector<uint8_t>& request);
    Reply Qn740xRead(const std::vector<uint8_t>& request);
    Reply Qn740xWrite(const std::vector<uint8_t>& request);
    Reply Fetch();
    Reply Special(const std::vector<uint8_t>& request);
    Reply BridgeLines() const;
    // Brings the converter in line with the analog source and the chip's registers.
    void SyncChip();
    // Asks the analog source for the inputs and the power; false when the power changed.
    bool PullAnalog();
    // A conversion the stream made; a single read, which answers the last result while the
    // chip is off or unpowered.
    int32_t StreamConversion();
    int32_t SingleConversion();
    int32_t SensorRecord();

    SimAdc adc_;
    std::mt19937 sensorRng_;
    std::normal_distribution<double> sensorNoise_{0.0, 1.0};
    std::optional<SimChip> chip_;
    SimAnalogInputs analog_;
    SimAnalogSource* source_ = nullptr;
    double inputVolts_ = 0.0;  // the value SetInputVoltage gave
    double fixedRate_ = 100.0; // conversion rate without a chip model
    bool powered_ = true;
    double chipStreamRate_ = 0.0; // stream rate last handed to the ADC from the chip's registers
    bool chipConverting_ = true;
    bool chipInterrupts_ = true;
    bool streamArmed_ = true; // the running stream was started with the chip converting
    bool chipTemperature_ = false;
    int32_t lastCode_ = 0;
    uint8_t streamMode_ = 0;
    std::optional<Block> pending_;
    std::vector<SimFrame> log_;
};

} // namespace qn
