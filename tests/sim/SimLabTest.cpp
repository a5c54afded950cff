// Tests of what the simulated lab adds to its answers (the instruments' exchanges are tested
// through their drivers): the chamber's air on the bench clock, and the lab reaching the chip.
#include "SimTestHelpers.h"
#include "link/LinkFrames.h"
#include "sim/SimWorld.h"

#include <cmath>
#include <string>
#include <tuple>

namespace qn::test {
namespace {

const std::string kStx = "\x02";

// A lab on a bench clock; each line goes straight to its instrument.
class SimLabTest : public ::testing::Test {
  protected:
    // The answer `peer` gives at once to `line`.
    static std::string Send(SimLabPeer& peer, const std::string& line) {
        const std::vector<uint8_t> answer =
            peer.Take(reinterpret_cast<const uint8_t*>(line.data()), line.size());
        return {answer.begin(), answer.end()};
    }
    std::string Chamber(const std::string& frame) {
        return Send(world.Chamber, kStx + frame + "\r\n");
    }
    // The measured temperature the chamber reports, in degrees.
    double ChamberReading() {
        const std::string answer = Chamber("01RSD,02,0001");
        EXPECT_EQ(answer.substr(0, 9), kStx + "01RSD,OK");
        const auto word = static_cast<uint16_t>(std::stoul(answer.substr(10, 4), nullptr, 16));
        return static_cast<int16_t>(word) / 10.0;
    }
    void RunChamber(const std::string& setPoint, const std::string& ramp) {
        const std::string frames[] = {"01WSD,02,0106," + ramp + ",0000",
                                      "01WSD,02,0102," + setPoint + ",0000", "01WSD,01,0200,0000",
                                      "01WSD,01,0101,0001"};
        for (const std::string& frame : frames) ASSERT_EQ(Chamber(frame), kStx + "01WSD,OK\r\n");
    }

    SimClock clock;
    SimWorld world{clock};
};

// The air ramps toward the set point (3 degrees a minute when the ramp is 0), then holds it;
// stopped, it drifts slowly back toward the room.
TEST_F(SimLabTest, ChamberRampsToTheSetPointAndHoldsIt) {
    // Set point and ramp as sent, in degrees and degrees a minute.
    const std::tuple<const char*, const char*, double, double> cases[] = {{"FE70", "0000", -40, 3},
                                                                          {"0352", "0064", 85, 10}};
    for (const auto& [setPoint, ramp, celsius, perMinute] : cases) {
        const double start = world.Chamber.AirCelsius();
        RunChamber(setPoint, ramp);
        const double rampMs = std::abs(celsius - start) / perMinute * 60'000;
        clock.AdvanceMs(rampMs / 2);
        EXPECT_NEAR(world.Chamber.AirCelsius(), (start + celsius) / 2, perMinute) << celsius;
        clock.AdvanceMs(rampMs / 2 + 180'000);
        for (int minute = 0; minute < 60; ++minute) {
            EXPECT_NEAR(ChamberReading(), celsius, 0.5) << celsius << " at " << minute;
            clock.AdvanceMs(60'000);
        }
    }
    world.Chamber.Disturb(4.0);
    EXPECT_GT(ChamberReading(), 88.5);
    clock.AdvanceMs(180'000);
    EXPECT_NEAR(ChamberReading(), 85, 0.5) << "pulled back after a disturbance";
    ASSERT_EQ(Chamber("01WSD,01,0101,0004"), kStx + "01WSD,OK\r\n");
    clock.AdvanceMs(600'000);
    EXPECT_GT(world.Chamber.AirCelsius(), 50.0);
    EXPECT_LT(world.Chamber.AirCelsius(), 80.0);
}

// The calibrator drives the chip's input while it operates and the chamber's air sets the
// sensor's result. (The supply powering the chip is exercised by the temperature test runs.)
class SimLabChipTest : public SimLabTest {
  protected:
    void SetUp() override {
        model = SelectShipped(kQn7401);
        world.Bridge.LoadChip(model);
        SetFields(model, world.Bridge.Registers,
                  {{"ADCEN", 1}, {"IRQEN", 1}, {"INP", 0}, {"INN", 1}, {"PGA", 0}, {"OSR", 7}});
    }
    double SingleVolts() {
        const Bytes answer = Exchange(world.Bridge, AdcResultFrame().Bytes);
        return Code24(&answer.at(1)) / 8388608.0 * kSimReferenceVolts;
    }
    double SensorCelsius() {
        const Bytes answer = Exchange(world.Bridge, TempResultFrame().Bytes);
        return static_cast<int16_t>((answer.at(1) << 8) | answer.at(2)) / 128.0;
    }
    ChipModel model;
};

TEST_F(SimLabChipTest, CalibratorOutputReachesTheChipInput) {
    world.Bridge.SetInputVoltage(0.2); // a source on the inputs while the calibrator stands by
    const std::pair<std::string, double> cases[] = {
        {"OUT 1 V ,0 Hz", 0.2}, {"OPER", 1.0}, {"OUT -350 mV ,0 Hz", -0.35}, {"STBY", 0.2}};
    for (const auto& [command, volts] : cases) {
        Send(world.Calibrator, command + "\r");
        EXPECT_NEAR(SingleVolts(), volts, 1e-4) << command;
    }
}

TEST_F(SimLabChipTest, SensorFollowsTheBoard) {
    EXPECT_EQ(SensorCelsius(), 25.0);
    RunChamber("FE70", "0000");
    for (int minute = 0; minute < 40; minute += 5) {
        EXPECT_NEAR(SensorCelsius(), world.Chamber.BoardCelsius(), 1.0 / 128) << minute;
        clock.AdvanceMs(5 * 60'000);
    }
    EXPECT_NEAR(SensorCelsius(), -40, 0.5);
}

} // namespace
} // namespace qn::test
