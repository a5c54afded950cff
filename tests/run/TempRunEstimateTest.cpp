// The clean run's estimate: ramps, soaks and each step's instruments, waits and capture; the
// time left at a point of a run; the step rates after the step's register writes.
#include "run/TempRunEstimate.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

namespace qn::test {
namespace {

// One capture of 256 samples at the bridge's limit: 269 records at 2100 a second and one fetch.
constexpr double kCapture256Ms = 269.0 / 2100 * 1000 + 10;
// A step of the plain plan: the 4 s settle and that capture.
constexpr double kPlainStepMs = 4000 + kCapture256Ms;
// The soak "0" still checks once, a second later.
constexpr double kNoSoakMs = 1000;
// The whole plain plan: one row at the room's 25 °C, no soak, one step.
constexpr double kPlainMs = kNoSoakMs + kPlainStepMs;

struct Plain {
    Plain() {
        s.TempCount = "1", s.Start = "25", s.SoakMinutes = "0", s.StepRows = "4";
        s.SupplyDelay = "100";
        plan.SetTemperatureRows();
        plan.SetStepRows(fluke, power);
        RegisterStepGrid& grid = plan.RegChg;
        grid.Cell(1, 0) = "04", grid.Cell(1, 1) = "01";
        grid.Cell(kDelayColumn, 1) = "0", grid.Cell(kAcmColumn, 1) = "2.4";
    }
    TempTestPlan plan;
    TempRunSettings& s = plan.Settings;
    StepTable fluke, power;
    TempRunEstimateInput in{plan, fluke, power};
};

// Step 1 plays `line` on the instrument of `steps`.
void Plays(StepTable& steps, const char* line) {
    steps.Row(1) = {"1", line};
}

TEST(TempRunEstimate, TotalFollowsTheChamberTheInstrumentsAndTheCapture) {
    // The case, its change to the plain plan and the whole run's time.
    const std::tuple<const char*, std::function<void(Plain&)>, double> cases[] = {
        {"plain", [](Plain&) {}, kPlainMs},
        {"row 2 ramps from row 1 at its own rate",
         [](Plain& p) { p.plan.Rows.emplace_back("35", "0", "2", "5"); },
         10.0 / 2 * 60'000 + 2 * kPlainMs},
        {"row 1 ramps from the chamber's reading, a ramp of 0 at 3 °C/min",
         [](Plain& p) { p.in.StartCelsius = 40; }, 15.0 / 3 * 60'000 + kPlainMs},
        {"without a reading row 1 ramps from 25 °C",
         [](Plain& p) { p.plan.Rows[1].Temperature = "-5"; }, 30.0 / 3 * 60'000 + kPlainMs},
        {"the soak's minutes and its last check", [](Plain& p) { p.s.SoakMinutes = "20"; },
         20 * 60'000 + 1000 + kPlainStepMs},
        {"a gate soaks at least its window when that is longer than the soak time",
         [](Plain& p) { p.s.SoakMinutes = "2", p.s.Gate = SoakRule::Board, p.s.GateMinutes = "5"; },
         5 * 60'000 + 1000 + kPlainStepMs},
        {"a gate soaks at least the soak time when that is longer than its window",
         [](Plain& p) { p.s.SoakMinutes = "20", p.s.Gate = SoakRule::Chamber; },
         20 * 60'000 + 1000 + kPlainStepMs},
        {"the step delay is waited twice",
         [](Plain& p) { p.plan.RegChg.Cell(kDelayColumn, 1) = "1.5"; }, kPlainMs + 3000},
        {"a data rate below the bridge's limit", [](Plain& p) { p.in.StepRates.assign(2, 100); },
         kNoSoakMs + 4000 + 269.0 / 100 * 1000 + 10},
        {"a data rate above the bridge's limit counts at the limit",
         [](Plain& p) { p.in.StepRates.assign(2, 2560); }, kPlainMs},
        {"1024 samples", [](Plain& p) { p.in.Samples = 1024; },
         kNoSoakMs + 4000 + 1037.0 / 2100 * 1000 + 10},
        {"a supply setting unanswered goes twice, so does OUTP ON, then the supply delay",
         [](Plain& p) { Plays(p.power, "VOLT 3.3"); }, kPlainMs + 1000 + 1000 + 100},
        {"a supply query is answered at once; OUTP OFF needs no OUTP ON",
         [](Plain& p) { Plays(p.power, "OUTP OFF;*OPC?"); }, kPlainMs + 500 + 100},
        {"a supply that is not selected plays nothing",
         [](Plain& p) { Plays(p.power, "VOLT 3.3"), p.in.PowerSelected = false; }, kPlainMs},
        {"calibrator: STBY, the line, its answer, OPER and its answer",
         [](Plain& p) { Plays(p.fluke, "OUT 1 V"); }, kPlainMs + 40 + 40 + 500 + 40 + 500},
        {"calibrator kept on and a STBY line: no STBY before it, no OPER after",
         [](Plain& p) { Plays(p.fluke, "stby"), p.s.KeepFlukeOn = true; }, kPlainMs + 40 + 500},
        {"register 49 (address 131 modulo 256) reads back a second later",
         [](Plain& p) { p.plan.RegChg.Cell(1, 0) = "131"; }, kPlainMs + 1000},
        {"both channels captured", [](Plain& p) { p.s.Alternate = true; },
         kPlainMs + kCapture256Ms},
        {"no capture: four attempts a step", [](Plain& p) { p.s.Source = CaptureSource::Brymen; },
         kNoSoakMs + 4 * 4000},
        {"T-Test: neither ramp nor soak",
         [](Plain& p) { p.plan.Rows[1].Temperature = "100", p.in.WithChamber = false; },
         kPlainStepMs},
    };
    for (const auto& [name, change, totalMs] : cases) {
        SCOPED_TRACE(name);
        Plain p;
        change(p);
        p.s.TempCount = std::to_string(p.plan.Rows.size() - 1);
        EXPECT_NEAR(EstimateTempRun(p.in).TotalMs(), totalMs, 1e-6);
    }
}

TEST(TempRunEstimate, TimeLeftCountsWhatRemainsFromWhereTheRunStands) {
    TempRunEstimate e;
    e.RowCelsius = {0, 25, 35};
    e.RowRamp = {3, 3, 2};
    e.RampMs = {0, 0, 300'000};
    e.SoakMs = 61'000;
    e.StepMs = {0, 5'000, 7'000};
    const double row2 = 300'000 + 61'000 + 12'000;
    // The case, where the run stands and the time left.
    const std::tuple<const char*, RunPosition, double> cases[] = {
        {"approaching row 1 before a reading", {1, 0, false, 0, NAN}, 61'000 + 12'000 + row2},
        {"approaching row 1 from 19 °C",
         {1, 0, false, 0, 19},
         6.0 / 3 * 60'000 + 61'000 + 12'000 + row2},
        {"soaking 20 s", {1, 0, true, 20'000, 25}, 41'000 + 12'000 + row2},
        {"soaked past the soak time", {1, 0, true, 90'000, 25}, 12'000 + row2},
        {"at row 1 step 2", {1, 2, false, 0, 25}, 7'000 + row2},
        {"at row 2 step 1", {2, 1, false, 0, 35}, 12'000},
        {"past the last row", {3, 0, false, 0, 35}, 0},
    };
    for (const auto& [name, at, leftMs] : cases)
        EXPECT_NEAR(TimeLeftMs(e, at), leftMs, 1e-6) << name;
    e.AttemptsPerStep = 4;
    EXPECT_NEAR(TimeLeftMs(e, {2, 2, false, 0, 35}), 4 * 7'000, 1e-6) << "four attempts a step";
}

// Each step's writes land on the image the steps before it left, at the address modulo 256.
TEST(TempRunEstimate, StepRatesFollowTheStepsRegisterWrites) {
    Plain p;
    p.plan.RegChg.Cell(1, 0) = "102";
    p.plan.RegChg.Cell(2, 0) = "04";
    p.plan.RegChg.Cell(1, 2) = "07";
    p.plan.RegChg.Cell(2, 2) = "02";
    RegImageBytes image{};
    image[2] = 5;
    image[4] = 9;
    const auto rate = [](const RegImageBytes& i) { return i[2] * 10.0 + i[4]; };
    // Step 1 writes 02 := 1 and 04 := "" (0); step 2 writes 02 := 7 and 04 := 2.
    EXPECT_EQ(StepOutputRates(p.plan, image, rate), (std::vector<double>{0, 10, 72}));
}

TEST(TempRunEstimate, DurationTextRoundsSecondsUp) {
    const std::pair<double, const char*> cases[] = {
        {0, "0:00:00"},         {1, "0:00:01"},  {59'999, "0:01:00"},
        {3'723'000, "1:02:03"}, {-5, "0:00:00"}, {360'000'000, "100:00:00"}};
    for (const auto& [ms, text] : cases) EXPECT_EQ(DurationText(ms), text) << ms;
}

} // namespace
} // namespace qn::test
