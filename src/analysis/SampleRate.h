// The sample rate a capture's spectrum is drawn at: the chip's configured output data rate,
// checked against the rate at which the capture's records actually arrived.
#pragma once

#include "chip/ChipModel.h"

#include <cstdint>
#include <optional>

namespace qn {

// A measured rate more than this share below the configured one means records were lost on the
// way (the bridge carries at most 21 records per 10 ms fetch) or the chip was not converting at
// that rate: the samples are then not evenly spaced at the configured rate.
inline constexpr double kRateShortfall = 0.05;

// The output data rate the chip's "OSR" and "HS" fields set in `image`, the ADC panel's rate;
// none when the chip file defines no "OSR" field.
std::optional<double> ConfiguredOutputRate(const ChipModel& chip, const RegImageBytes& image);

struct CaptureRates {
    double Configured = 0; // the chip's output data rate when the capture started; 0: unknown
    double Measured = 0;   // records per second from the stream's start to the last arrival
};

enum class RateBasis : uint8_t {
    Configured, // the configured rate, which the measured one confirms
    Measured,   // no configured rate known: the measured one
    Short,      // the measured rate falls short of the configured one: no spectrum
    None,       // neither is known
};

struct SpectrumRate {
    RateBasis Basis = RateBasis::None;
    double Rate = 0; // Hz; 0 when no spectrum can be drawn
};

// The configured rate when the measured one is no more than kRateShortfall below it (a measured
// rate above it is the bench clock's error, not lost samples); the measured rate when no
// configured rate is known.
SpectrumRate ChooseSpectrumRate(const CaptureRates& rates);

} // namespace qn
