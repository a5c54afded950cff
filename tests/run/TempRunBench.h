// The bench of the temperature test runs: the simulated world with all three instruments
// selected, two temperature rows and three steps, and the helpers the run tests share.
#pragma once

#include "ScriptedPrompt.h"
#include "link/SimLinkFixture.h"
#include "run/RunJournal.h"
#include "sim/SimWorld.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace qn::test {

namespace fs = std::filesystem;

// The bench's clock: the simulated one, moved on by TickMs at every reading of the steady time,
// as a real clock moves between two readings.
class TickingClock final : public Clock {
  public:
    explicit TickingClock(SimClock& clock) : clock_(clock) {}
    double Now() override { return clock_.Now(); }
    double SteadyMs() override {
        clock_.AdvanceMs(TickMs);
        return clock_.SteadyMs();
    }
    void SleepMs(uint32_t ms) override { clock_.SleepMs(ms); }
    double TickMs = 0;

  private:
    SimClock& clock_;
};

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

inline std::string FileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> FileLines(const fs::path& file) {
    std::stringstream text(FileText(file));
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(text, line)) lines.push_back(line);
    return lines;
}

// The bench on the simulated world with all three instruments selected, two temperature rows
// and three steps set up.
struct RunBench {
    RunBench() {
        fs::create_directories(dir);
        world.Bridge.SetOutputRate(2000);
        world.Bridge.SetSignal(200000, 3);
        bench.Chip.SetChip(&chipInfo);
        bench.Stnd.Interface = kLinkQn740x;
        bench.Centre.USBConnect();
        bench.Instruments.Select(InstrumentKind::Fluke, 0);
        bench.Instruments.Select(InstrumentKind::Power, 1);
        bench.Instruments.Select(InstrumentKind::Chamber, 2);
        TempRunSettings& s = plan.Settings;
        s.TempCount = "2";
        s.Start = "25.0";
        s.Increment = "2.0";
        s.StepRows = "10";
        s.SoakMinutes = "1";
        s.SupplyDelay = "100";
        plan.SetTemperatureRows();
        plan.RegChg.Cell(1, 0) = "104"; // register 4, the address taken modulo 256
        for (size_t step = 1; step <= 3; ++step) AddStep(step, "VOLT 3.3");
        Watch([this](const TempTestProgress& p) {
            if (p.Step > 0 && !p.Completed) attempts.push_back(p.Step);
        });
    }
    ~RunBench() { fs::remove_all(dir); }
    RunBench(const RunBench&) = delete;
    RunBench& operator=(const RunBench&) = delete;

    void AddStep(size_t step, const std::string& supply) {
        plan.RegChg.Cell(1, step) = "0" + std::to_string(step);
        plan.RegChg.Cell(kDelayColumn, step) = "1";
        plan.RegChg.Cell(kAcmColumn, step) = "2.4";
        bench.Instruments.PowerSteps.Resize(10);
        bench.Instruments.FlukeSteps.Resize(10);
        bench.Instruments.PowerSteps.Row(step) = {"1", supply};
        bench.Instruments.FlukeSteps.Row(step) = {"1", "OUT 100 mV ,0 Hz "};
    }
    size_t Attempts(size_t step) const {
        return static_cast<size_t>(std::count(attempts.begin(), attempts.end(), step));
    }
    // The attempts of steps 1, 2 and 3, as "1 2 1".
    std::string AttemptsOfSteps() const {
        return std::to_string(Attempts(1)) + " " + std::to_string(Attempts(2)) + " " +
               std::to_string(Attempts(3));
    }
    // One temperature row, at 25 °C.
    void OneRow() {
        plan.Settings.TempCount = "1";
        plan.SetTemperatureRows();
    }
    bool ChamberWasSetTo(uint16_t tenths) const {
        return world.Chamber.Register(kChamberSetPointReg) == tenths;
    }
    // `watch` follows the progress in place of the bench's own watch.
    void Watch(std::function<void(const TempTestProgress&)> watch) {
        watched = test.ProgressChanged.Subscribe(std::move(watch));
    }
    RunJournalContents Journal() const { return ReadRunJournal(dir.string() + "/"); }
    // The run ended through its safe finish: calibrator on standby, chamber as `command` says.
    void ExpectSafeEnd(int command = kChamberStop) const {
        EXPECT_EQ(world.Calibrator.Log().back(), "STBY");
        EXPECT_EQ(world.Chamber.Register(kChamberCommandReg), command);
    }

    inline static int made = 0;
    fs::path dir = fs::temp_directory_path() /
                   ("qn-temp-run-" + std::to_string(::getpid()) + "-" + std::to_string(++made));
    SimClock clock;
    TickingClock benchClock{clock};
    SimWorld world{clock};
    ScriptedPump pump;
    ScriptedPrompt prompt;
    RecordingStatus status;
    CountingPanels panels;
    FixedChipInfo chipInfo{2, 3};
    Bench bench{Platform{world.Hid, world.Driver, world.SerialPorts, benchClock, pump, status,
                         panels, prompt},
                dir.string() + "/", ""};
    TempTestPlan& plan = bench.Plan;
    TempTest& test = bench.Temp;
    std::vector<size_t> attempts; // the step of every attempt, in order
    // The bench's watch of the progress; a test that watches otherwise takes its place.
    Subscription watched;
};

} // namespace qn::test
