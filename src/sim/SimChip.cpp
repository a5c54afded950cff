// Converter settings, transfer function and noise of the simulated ADC chip.
#include "sim/SimChip.h"

#include <algorithm>
#include <cmath>

namespace qn {
namespace {

// Output rates at "HS" = 0 by "OSR" value; each halving of the rate doubles the oversampling,
// except the slowest setting, which filters four times longer than the one before it.
constexpr std::array<double, 8> kRates = {2560, 1280, 640, 320, 160, 80, 40, 10};
constexpr double kHighSpeedFactor = 3.0;

// Noise model. The front end (PGA) and the modulator are white noise sources with a constant
// density: the front end's is referred to the chip's input, so the total gain amplifies it; the
// modulator's sits after the gain and is counted in codes. The RMS noise of one conversion grows
// with the square root of its bandwidth, the output rate: four times the oversampling halves
// it. At the slowest rate, 10 conversions per second, the front end gives 40 nV RMS and the
// modulator 2 codes RMS. With the 2.4 V reference one code is 286 nV, so gain 1 shows about
// 2 codes RMS and gain 128 about 18; the fastest rate at gain 1 about 55.
constexpr double kNoiseRate = 10.0;
constexpr double kFrontEndNoiseVolts = 40e-9;
constexpr double kModulatorNoiseCodes = 2.0;
constexpr double kCodesPerFullScale = 8388608.0; // 2^23: codes from zero to the reference
constexpr double kTemperatureScale = 256.0;      // a temperature result fills the upper 16 bits

double PinVolts(std::string_view pin, double calibratorVolts) {
    if (pin == "AI0") return kSimCommonModeVolts + calibratorVolts;
    if (pin == "TSP") return kSimCommonModeVolts + kSimSensorVolts;
    if (pin == "VSS") return 0.0;
    if (pin == "VDDA/4") return kSimAnalogSupplyVolts / 4;
    return kSimCommonModeVolts; // AI1 (the calibrator's return), the other inputs, VCM, TSN
}

void PutByte(SimRegisterFile& registers, size_t address, uint32_t value) {
    StoreRegister(registers, address, static_cast<uint8_t>(value));
}

} // namespace

double SimOutputRate(uint32_t osr, bool highSpeed) {
    const double rate = kRates[std::min<size_t>(osr, kRates.size() - 1)];
    return highSpeed ? rate * kHighSpeedFactor : rate;
}

double SimNoiseRmsCodes(double rate, double gain) {
    const double frontEndCodes =
        kFrontEndNoiseVolts * gain / kSimReferenceVolts * kCodesPerFullScale;
    return std::sqrt(std::max(rate, 0.0) / kNoiseRate) *
           std::hypot(kModulatorNoiseCodes, frontEndCodes);
}

SimChip::SimChip(const ChipModel& model)
    : fields_(model.AdcFields), pgaGains_(model.PgaGainTable), adcGains_(model.AdcGainTable) {}

SimAdcSetup SimChip::Setup(const SimRegisterFile& registers, const SimAnalogInputs& inputs) const {
    SimAdcSetup setup;
    // A chip without an enable or interrupt field converts and interrupts all the time.
    setup.Converting = Field("ADCEN", registers, 1) != 0;
    setup.Interrupts = Field("IRQEN", registers, 1) != 0;
    setup.Temperature = Field("TS", registers, 0) != 0;
    setup.Rate = SimOutputRate(Field("OSR", registers, 0), Field("HS", registers, 0) != 0);
    setup.Gain = Gain(registers);
    setup.InputVolts = InputVolts(registers, inputs.CalibratorVolts);
    if (setup.Temperature) {
        // The sensor path bypasses the PGA.
        setup.MeanCode = inputs.TemperatureCode * kTemperatureScale;
        setup.NoiseRmsCodes = SimNoiseRmsCodes(setup.Rate, 1.0);
    } else {
        setup.MeanCode = setup.InputVolts * setup.Gain / kSimReferenceVolts * kCodesPerFullScale;
        setup.NoiseRmsCodes = SimNoiseRmsCodes(setup.Rate, setup.Gain);
    }
    return setup;
}

void SimChip::StoreResult(SimRegisterFile& registers, int32_t code, bool temperature) const {
    const auto bits = static_cast<uint32_t>(code);
    const RegFieldDesc& at = fields_[temperature ? "TSO" : "ADCO"];
    if (!at.Defined) return;
    const size_t address = at.Address;
    PutByte(registers, address, bits >> 16);
    PutByte(registers, address + 1, bits >> 8);
    if (!temperature) PutByte(registers, address + 2, bits);
}

uint32_t SimChip::Field(std::string_view name, const SimRegisterFile& registers,
                        uint32_t absent) const {
    const RegFieldDesc& field = fields_[name];
    if (!field.Defined) return absent;
    return field.Extract(RegisterAt(registers, field.Address));
}

// The gain the tool computes for its noise figures: PGA table x ADC gain table, doubled when
// "FSRB" halves the full scale.
double SimChip::Gain(const SimRegisterFile& registers) const {
    const uint32_t pga = std::min<uint32_t>(Field("PGA", registers, 0), 7);
    const uint32_t adgn = std::min<uint32_t>(Field("ADGN", registers, 0), 3);
    const double halfScale = Field("FSRB", registers, 0) != 0 ? 2.0 : 1.0;
    return pgaGains_[pga] * adcGains_[adgn] * halfScale;
}

double SimChip::InputVolts(const SimRegisterFile& registers, double calibratorVolts) const {
    const std::string positive = Pin("INP", Field("INP", registers, 0));
    const std::string negative = Pin("INN", Field("INN", registers, 0));
    return PinVolts(positive, calibratorVolts) - PinVolts(negative, calibratorVolts);
}

std::string SimChip::Pin(std::string_view field, uint32_t value) const {
    const std::vector<std::string>& items = fields_[field].Items;
    if (value < items.size()) return items[value];
    return "AI" + std::to_string(value);
}

} // namespace qn
