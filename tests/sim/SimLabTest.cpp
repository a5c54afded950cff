// Tests of the simulated lab: the calibrator's, supply's and chamber's answers to the tool's
// commands, the chamber's air on the bench clock, the faults, and the lab reaching the chip.
#include "SimTestHelpers.h"
#include "sim/SimWorld.h"

#include <cmath>
#include <initializer_list>
#include <string>

namespace qn::test {
namespace {

const std::string kStx = "\x02";

// A lab on a bench clock, its instruments reached through the world's serial ports.
class SimLabTest : public ::testing::Test {
  protected:
    std::unique_ptr<SerialLine> OpenPort(const char* name) {
        std::unique_ptr<SerialLine> line = world.SerialPorts.MakeLine();
        EXPECT_TRUE(line->Open(name)) << name;
        return line;
    }
    // Every byte waiting on the line.
    static std::string Waiting(SerialLine& line) {
        uint32_t errors = 0;
        size_t waiting = 0;
        EXPECT_TRUE(line.QueryStatus(errors, waiting));
        std::string text(waiting, '\0');
        EXPECT_EQ(line.Read(reinterpret_cast<uint8_t*>(text.data()), waiting), waiting);
        return text;
    }
    // Writes each part in a write of its own, then takes what came back at once.
    static std::string Send(SerialLine& line, std::initializer_list<std::string> parts) {
        for (const std::string& part : parts)
            line.Write(reinterpret_cast<const uint8_t*>(part.data()), part.size());
        return Waiting(line);
    }
    // The tool's way to talk to each instrument.
    std::string Calibrator(const std::string& command) { return Send(*com1, {command, "\r"}); }
    std::string Supply(const std::string& command) { return Send(*com2, {command + "\r\n"}); }
    std::string Chamber(const std::string& frame) { return Send(*com3, {kStx + frame + "\r\n"}); }
    // The measured temperature the chamber reports, in degrees.
    double ChamberReading() {
        const std::string answer = Chamber("01RSD,02,0001");
        EXPECT_EQ(answer.substr(0, 9), kStx + "01RSD,OK");
        const auto word = static_cast<uint16_t>(std::stoul(answer.substr(10, 4), nullptr, 16));
        return static_cast<int16_t>(word) / 10.0;
    }
    void RunChamber(const std::string& setPoint, const std::string& ramp) {
        ASSERT_EQ(Chamber("01WSD,02,0106," + ramp + ",0000"), kStx + "01WSD,OK\r\n");
        ASSERT_EQ(Chamber("01WSD,02,0102," + setPoint + ",0000"), kStx + "01WSD,OK\r\n");
        ASSERT_EQ(Chamber("01WSD,01,0200,0000"), kStx + "01WSD,OK\r\n");
        ASSERT_EQ(Chamber("01WSD,01,0101,0001"), kStx + "01WSD,OK\r\n");
    }

    SimClock clock;
    SimWorld world{clock};
    std::unique_ptr<SerialLine> com1 = OpenPort("COM1");
    std::unique_ptr<SerialLine> com2 = OpenPort("COM2");
    std::unique_ptr<SerialLine> com3 = OpenPort("COM3");
};

TEST_F(SimLabTest, CalibratorAnswersEachLineAndOutputsOnlyWhileOperating) {
    const struct {
        const char* Command;
        const char* Answer;
        double Volts;
    } cases[] = {
        {"*OPT", "SC600\r\n", 0},
        {"OUT 600 mV ,0 Hz ", "=>\r\n", 0},
        {"OPER", "=>\r\n", 0.6},
        {"out 1.5 v ,0 hz", "=>\r\n", 1.5},
        {"OUT 250uV", "=>\r\n", 250e-6},
        {"OUT -2 MV ,0 Hz", "=>\r\n", -2e-3},
        {"OUT 3 kV ,0 Hz", "?>\r\n", -2e-3},
        {"RANGELCK ON", "=>\r\n", -2e-3},
        {"STBY", "=>\r\n", 0},
        {"OPER", "=>\r\n", -2e-3},
        {"FOO", "?>\r\n", -2e-3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Calibrator(c.Command), c.Answer) << c.Command;
        EXPECT_DOUBLE_EQ(world.Calibrator.OutputVolts(), c.Volts) << c.Command;
    }
    EXPECT_TRUE(world.Calibrator.RangeLocked());
    EXPECT_EQ(world.Calibrator.Log().at(1), "OUT 600 mV ,0 Hz ");
}

TEST_F(SimLabTest, ChamberAnswersFramesAndRefusesBadOnes) {
    const struct {
        const char* Frame;
        std::string Answer;
    } cases[] = {
        {"01RSD,01,0010", kStx + "01RSD,OK,0001\r\n"},
        {"01WSD,02,0102,FE70,0000", kStx + "01WSD,OK\r\n"},
        {"01WSD,02,0106,001e,0032", kStx + "01WSD,OK\r\n"},
        {"01RSD,02,0102", kStx + "01RSD,OK,FE70,0000\r\n"},
        {"01RSD,02,0106", kStx + "01RSD,OK,001E,0032\r\n"},
        {"01WSD,01,0001,0000", kStx + "01WSD,NG,02\r\n"},
        {"01RSD,01,0300", kStx + "01RSD,NG,02\r\n"},
        {"01RSD,05,0001", kStx + "01RSD,NG,01\r\n"},
        {"01WSD,02,0102,FE70", kStx + "01WSD,NG,01\r\n"},
        {"01WSD,01,0101,00G1", kStx + "01WSD,NG,01\r\n"},
        {"01XYZ,01,0010", kStx + "01XYZ,NG,01\r\n"},
        {"02RSD,01,0010", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Chamber(c.Frame), c.Answer) << c.Frame;
    EXPECT_EQ(Send(*com3, {"01RSD,01,0010\r\n"}), "") << "no STX";
    EXPECT_FALSE(world.Chamber.Running());
}

// The air ramps toward the set point (3 degrees a minute when the ramp is 0), then holds it;
// stopped, it drifts slowly back toward the room.
TEST_F(SimLabTest, ChamberRampsToTheSetPointAndHoldsIt) {
    const struct {
        const char* SetPoint;
        const char* Ramp;
        double Celsius, PerMinute;
    } cases[] = {{"FE70", "0000", -40, 3}, {"0352", "0064", 85, 10}};
    for (const auto& c : cases) {
        const double start = world.Chamber.AirCelsius();
        RunChamber(c.SetPoint, c.Ramp);
        const double rampMs = std::abs(c.Celsius - start) / c.PerMinute * 60'000;
        clock.AdvanceMs(rampMs / 2);
        EXPECT_NEAR(world.Chamber.AirCelsius(), (start + c.Celsius) / 2, c.PerMinute) << c.Celsius;
        clock.AdvanceMs(rampMs / 2 + 180'000);
        for (int minute = 0; minute < 60; ++minute) {
            EXPECT_NEAR(ChamberReading(), c.Celsius, 0.5) << c.Celsius << " at " << minute;
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

TEST_F(SimLabTest, FaultsDisturbTheAnswers) {
    const std::string identity = "HEWLETT-PACKARD,E3631A,0,2.1-5.0-1.0\r\n";
    const struct {
        const char* Name;
        SimLabPeer& Peer;
        SimLabFaults Faults;
        std::string Command;
        std::string AtOnce, Later;
    } cases[] = {
        {"silent", world.Chamber, {.Silent = true}, "01RSD,01,0010", "", ""},
        {"split",
         world.Supply,
         {.SplitAnswers = true},
         "*IDN?",
         identity.substr(0, 19),
         identity.substr(19)},
        {"split late",
         world.Calibrator,
         {.SplitAnswers = true, .SplitDelayMs = 800},
         "OPER",
         "=>",
         "\r\n"},
        {"no CR", world.Calibrator, {.NoTerminator = true}, "OPER", "=>", ""},
        {"NG",
         world.Chamber,
         {.AnswerNg = true},
         "01WSD,01,0200,0000",
         kStx + "01WSD,NG,01\r\n",
         ""},
    };
    for (const auto& c : cases) {
        c.Peer.Faults = c.Faults;
        const std::string atOnce = &c.Peer == &world.Calibrator ? Calibrator(c.Command)
                                   : &c.Peer == &world.Supply   ? Supply(c.Command)
                                                                : Chamber(c.Command);
        EXPECT_EQ(atOnce, c.AtOnce) << c.Name;
        clock.AdvanceMs(c.Faults.SplitDelayMs - 1);
        EXPECT_EQ(Waiting(*com1) + Waiting(*com2) + Waiting(*com3), "") << c.Name;
        clock.AdvanceMs(1);
        EXPECT_EQ(Waiting(*com1) + Waiting(*com2) + Waiting(*com3), c.Later) << c.Name;
        c.Peer.Faults = {};
    }
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
        const Bytes answer = Exchange(world.Bridge, {0xC4, 0x01, 0xA0, 0x05, 0x03});
        const int32_t raw = (answer.at(1) << 16) | (answer.at(2) << 8) | answer.at(3);
        return (raw >= 0x800000 ? raw - 0x1000000 : raw) / 8388608.0 * kSimReferenceVolts;
    }
    double SensorCelsius() {
        const Bytes answer = Exchange(world.Bridge, {0xC4, 0x01, 0xA0, 0x06, 0x02});
        return static_cast<int16_t>((answer.at(1) << 8) | answer.at(2)) / 128.0;
    }
    ChipModel model;
};

TEST_F(SimLabChipTest, CalibratorOutputReachesTheChipInput) {
    world.Bridge.SetInputVoltage(0.2); // a source on the inputs while the calibrator stands by
    const struct {
        const char* Command;
        double Volts;
    } cases[] = {
        {"OUT 1 V ,0 Hz", 0.2}, {"OPER", 1.0}, {"OUT -350 mV ,0 Hz", -0.35}, {"STBY", 0.2}};
    for (const auto& c : cases) {
        Calibrator(c.Command);
        EXPECT_NEAR(SingleVolts(), c.Volts, 1e-4) << c.Command;
    }
}

TEST_F(SimLabChipTest, SensorFollowsTheChamberAir) {
    EXPECT_EQ(SensorCelsius(), 25.0);
    RunChamber("FE70", "0000");
    for (int minute = 0; minute < 40; minute += 5) {
        EXPECT_NEAR(SensorCelsius(), world.Chamber.AirCelsius(), 1.0 / 128) << minute;
        clock.AdvanceMs(5 * 60'000);
    }
    EXPECT_NEAR(SensorCelsius(), -40, 0.5);
}

} // namespace
} // namespace qn::test
