// The simulated ADC chip: its converter settings, read from the register file through its fields.
#pragma once

#include "chip/ChipModel.h"
#include "chip/RegField.h"
#include "sim/SimRegisterFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qn {

// The bench's reference, the same 2.4 V the analysis window assumes by default.
inline constexpr double kSimReferenceVolts = 2.4;
// Level of the bench's analog inputs when nothing drives them.
inline constexpr double kSimCommonModeVolts = 1.2;
inline constexpr double kSimAnalogSupplyVolts = 3.3;
// Difference between the temperature sensor's outputs when selected as inputs.
inline constexpr double kSimSensorVolts = 0.1;

// What the bench applies to the chip from outside.
struct SimAnalogInputs {
    double CalibratorVolts = 0.0;      // across AI0 (+) and AI1 (-)
    uint16_t TemperatureCode = 0x0C80; // the sensor's 16-bit result
};

// The converter as its registers set it up, and what its conversions read.
struct SimAdcSetup {
    bool Converting = false;  // "ADCEN"
    bool Interrupts = false;  // "IRQEN": the bridge collects stream samples on its interrupt
    bool Temperature = false; // "TS": conversions measure the temperature sensor
    double Rate = 0.0;        // conversions per second ("OSR", "HS")
    double Gain = 1.0;        // "PGA" x "ADGN" x 2 at half full scale ("FSRB")
    double InputVolts = 0.0;  // "INP" minus "INN"
    double MeanCode = 0.0;
    double NoiseRmsCodes = 0.0;
};

// Output rate of an "OSR" setting (0 fastest .. 7 slowest); "HS" triples it.
double SimOutputRate(uint32_t osr, bool highSpeed);
// RMS noise of one conversion in 24-bit codes at `rate` conversions per second and `gain`.
double SimNoiseRmsCodes(double rate, double gain);

class SimChip {
  public:
    explicit SimChip(const ChipModel& model);

    SimAdcSetup Setup(const SimRegisterFile& registers, const SimAnalogInputs& inputs) const;
    // Keeps a conversion where the chip holds its results: the 24-bit code at "ADCO", or for a
    // temperature conversion its upper 16 bits at "TSO". Undefined result fields keep nothing.
    void StoreResult(SimRegisterFile& registers, int32_t code, bool temperature) const;

  private:
    // The field's value; `absent` when the chip file does not define the field.
    uint32_t Field(std::string_view name, const SimRegisterFile& registers, uint32_t absent) const;
    double Gain(const SimRegisterFile& registers) const;
    double InputVolts(const SimRegisterFile& registers, double calibratorVolts) const;
    // Name of the pin an input multiplexer field selects: the chip file's item, else "AI<n>".
    std::string Pin(std::string_view field, uint32_t value) const;

    FieldSet fields_{AdcFieldNames()};
    std::array<uint8_t, 8> pgaGains_{};
    std::array<uint8_t, 4> adcGains_{};
};

} // namespace qn
