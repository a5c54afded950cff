// The simulated ADC: noisy conversions at a fixed output rate, counted on the bench clock.
#pragma once

#include "host/Clock.h"

#include <cstddef>
#include <cstdint>
#include <random>

namespace qn {

inline constexpr int32_t kAdcCodeMin = -0x800000;
inline constexpr int32_t kAdcCodeMax = 0x7FFFFF;

class SimAdc {
  public:
    SimAdc(Clock& clock, uint32_t seed);

    // Conversions per second; while streaming, the conversions made so far stay owed.
    void SetOutputRate(double conversionsPerSecond);
    void SetSignal(double meanCode, double noiseRmsCodes);
    // One fresh conversion: round(mean + Gaussian noise), clamped to the 24-bit code range.
    int32_t Convert();

    // Starts counting conversions from now; a running stream restarts with nothing owed.
    void Start();
    void Stop() { running_ = false; }
    bool Running() const { return running_; }
    // Conversions made since the last take (or the start) but not yet handed out, at most
    // `max`; the rest stay owed. Only the newest `kept` stay owed: older ones are lost, as
    // records overwritten in a full buffer are. Always 0 while stopped.
    size_t TakeOwed(size_t max, size_t kept);

  private:
    uint64_t MadeSinceStart() const;

    Clock& clock_;
    std::mt19937 rng_;
    std::normal_distribution<double> unitNoise_{0.0, 1.0};
    double rate_ = 100.0;
    double mean_ = 0x123456;
    double noiseRms_ = 2.0;
    bool running_ = false;
    double countFromMs_ = 0.0; // steady time the current rate started counting from
    uint64_t madeBefore_ = 0;  // conversions made at earlier rates of this stream
    uint64_t handedOut_ = 0;
};

} // namespace qn
