// The stability gate over readings a second apart: when it opens, when it gives up, and the
// state it shows while it waits.
#include "run/SoakGate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

namespace qn::test {
namespace {

constexpr double kSecondMs = 1000;
constexpr double kMinuteMs = 60'000;
constexpr double kSetPoint = 25.0;

using Reading = std::function<double(double minutes)>;

// W 5 min, B ±0.5 °C, S 0.3 °C, D 0.1 °C, no soak time, giving up after 30 minutes.
SoakGateSettings Settings(SoakRule rule) {
    return {rule, kSetPoint, 5 * kMinuteMs, 0.5, 0.3, 0.1, 0, 30 * kMinuteMs};
}

TEST(SoakGate, OpensWhenTheWatchedReadingsKeepTheRuleForTheWindow) {
    using enum SoakGate::State;
    const Reading steady = [](double m) { return kSetPoint + 0.1 * std::sin(m * 40); };
    const Reading none = [](double) { return NAN; };
    // A board 10 °C below that follows the air with a 3-minute lag.
    const Reading lagging = [](double m) { return kSetPoint - 10 * std::exp(-m / 3); };
    // The case, the rule, the soak time in minutes, the chamber's and the board's readings, how
    // the gate decides, and from and to which minute it decides (within a second).
    using Case = std::tuple<const char*, SoakRule, double, Reading, Reading, SoakGate::State,
                            double, double>;
    const Case cases[] = {
        {"steady chamber", SoakRule::Chamber, 0, steady, none, Open, 5.0, 5.02},
        {"the soak time is a minimum", SoakRule::Chamber, 12, steady, none, Open, 12.0, 12.02},
        {"median outside the band", SoakRule::Chamber, 0, [](double) { return kSetPoint + 0.6; },
         none, TimedOut, 30.0, 30.0},
        {"spread wider than allowed", SoakRule::Chamber, 0,
         [](double m) { return kSetPoint + 0.2 * std::sin(m * 40); }, none, TimedOut, 30.0, 30.0},
        // Out of the band from 4:00 to 4:30: the window is clear of it again at 9:30.
        {"a disturbance starts the window again", SoakRule::Chamber, 0,
         [](double m) { return kSetPoint + (m >= 4 && m < 4.5 ? 1.0 : 0.0); }, none, Open, 9.5,
         9.52},
        // The board's change over 5 minutes falls to 0.1 °C about 18.2 minutes in.
        {"the board lags the air", SoakRule::Board, 0, steady, lagging, Open, 18.0, 18.5},
        {"no board reading", SoakRule::Board, 0, steady, none, TimedOut, 30.0, 30.0},
        {"the chamber must be in the band too", SoakRule::Board, 0,
         [](double) { return kSetPoint - 2; }, [](double) { return kSetPoint; }, TimedOut, 30.0,
         30.0},
    };
    for (const auto& [name, rule, soakMinutes, chamber, board, decided, from, to] : cases) {
        SCOPED_TRACE(name);
        SoakGateSettings settings = Settings(rule);
        settings.MinimumMs = soakMinutes * kMinuteMs;
        SoakGate gate(settings, 0);
        SoakGate::State state = Waiting;
        double minutes = 0; // when the gate decided
        for (double ms = 0; state == Waiting && ms <= 40 * kMinuteMs; ms += kSecondMs) {
            minutes = ms / kMinuteMs;
            state = gate.Feed(ms, chamber(minutes), board(minutes));
        }
        EXPECT_EQ(state, decided);
        EXPECT_GE(minutes, from);
        EXPECT_LE(minutes, to);
        // Once decided it stays so, whatever follows.
        EXPECT_EQ(gate.Feed(41 * kMinuteMs, kSetPoint + 5, kSetPoint + 5), decided);
    }
}

TEST(SoakGate, SoaksFromTheChambersFirstReadingInTheBand) {
    SoakGate gate(Settings(SoakRule::Chamber), 0);
    // 1 °C a minute from 20 °C: within ±0.5 °C of 25 °C from 4.5 minutes on, whatever follows.
    // The minute, the reading and the minutes soaked then (negative: still approaching).
    const std::tuple<double, double, double> readings[] = {
        {0, 20, -1}, {4.4, 24.4, -1}, {4.5, 24.5, 0}, {6, 26, 1.5}, {7, 25, 2.5}};
    for (const auto& [minutes, celsius, soaked] : readings) {
        gate.Feed(minutes * kMinuteMs, celsius, NAN);
        if (soaked < 0)
            EXPECT_LT(gate.SoakedMs(), 0) << minutes;
        else
            EXPECT_NEAR(gate.SoakedMs() / kMinuteMs, soaked, 1e-9) << minutes;
    }
}

TEST(SoakGate, TellsWhatItWaitsForAndHowItEnded) {
    // The rule, the minutes fed, the limit in minutes, the state then and how the gate ends.
    const std::tuple<SoakRule, double, double, const char*, const char*> cases[] = {
        {SoakRule::Board, 3.2, 30, "board stable 3.2 of 5 min, spread 0.12 °C",
         "board stable after 5.0 min"},
        {SoakRule::Chamber, 1.5, 4, "chamber stable 1.5 of 5 min, spread 0.12 °C",
         "chamber not stable after 4.0 min"},
    };
    for (const auto& [rule, minutes, limit, waiting, outcome] : cases) {
        SoakGateSettings settings = Settings(rule);
        settings.BoardChangeCelsius = 0.2;
        settings.LimitMs = limit * kMinuteMs;
        SoakGate gate(settings, 0);
        // 0.12 °C apart every other second.
        const auto wobble = [](double ms) {
            return kSetPoint + (static_cast<long>(ms / kSecondMs) % 2 == 1 ? 0.12 : 0.0);
        };
        double ms = 0;
        for (; ms <= minutes * kMinuteMs; ms += kSecondMs) gate.Feed(ms, wobble(ms), wobble(ms));
        EXPECT_EQ(gate.Text(), waiting);
        while (gate.Feed(ms, wobble(ms), wobble(ms)) == SoakGate::State::Waiting) ms += kSecondMs;
        EXPECT_EQ(gate.Outcome(), outcome);
    }
}

} // namespace
} // namespace qn::test
