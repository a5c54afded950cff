// The stability gate of a temperature row: fed the chamber's and the board's readings as the
// soak goes on, it says when the row may be measured, what it waits for, or that it gave up.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace qn {

// Which rule opens a row for its captures.
enum class SoakRule : uint8_t {
    Band = 0,    // the chamber within ±1.5 °C for the soak time (the sequence's own loop)
    Chamber = 1, // the chamber's median and spread over the window
    Board = 2,   // the chamber's median, and the board's own reading steady over the window
};

struct SoakGateSettings {
    SoakRule Rule = SoakRule::Chamber;
    double SetPointCelsius = 0;
    double WindowMs = 5 * 60'000.0;  // W: the span the readings must cover
    double BandCelsius = 0.5;        // B: the chamber's median within ±B of the set point
    double SpreadCelsius = 0.3;      // S: the chamber's largest minus smallest reading
    double BoardChangeCelsius = 0.1; // D: the board's largest minus smallest reading
    double MinimumMs = 0; // the soak time, counted from the chamber's first reading in ±B
    double LimitMs = 120 * 60'000.0; // the gate gives up this long after it began
};

class SoakGate {
  public:
    enum class State : uint8_t { Waiting, Open, TimedOut };

    // The gate begins at `startMs` (a steady-clock time), when the row's set point was sent.
    SoakGate(const SoakGateSettings& settings, double startMs);

    // One reading at `ms`; the board's is NaN when the chip gave none. Once open or timed out
    // the gate stays so.
    State Feed(double ms, double chamberCelsius, double boardCelsius);
    State Now() const { return state_; }
    // How long the chamber has soaked at the last reading: the time since its first reading
    // within ±B of the set point; negative while it is still approaching.
    double SoakedMs() const { return reachedMs_ < 0 ? -1 : lastMs_ - reachedMs_; }
    // "board stable 3.2 of 5 min, spread 0.12 °C": how long the watched readings have kept the
    // rule, within the window, and the spread of the window's readings.
    std::string Text() const;
    // "board stable after 12.5 min" once open; "board not stable after 120 min" once timed out.
    std::string Outcome() const;

  private:
    struct Reading {
        double Ms;
        double Chamber;
        double Board;
    };
    double Watched(const Reading& r) const;
    double Allowed() const;
    bool StretchKeeps(size_t first) const;
    void Measure();
    const char* Name() const;

    SoakGateSettings settings_;
    double startMs_;
    double reachedMs_ = -1; // the first reading in the band; negative before it
    std::deque<Reading> readings_;
    double stableMs_ = 0;
    double spread_ = 0;
    double lastMs_ = 0;
    State state_ = State::Waiting;
};

} // namespace qn
