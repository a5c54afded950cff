// The bench of the temperature test runs: the simulated world with all three instruments
// selected, temperature rows from 25 °C by 2 °C and their steps, and the helpers the run tests
// share.
#pragma once

#include "LabRun.h"
#include "ScriptedPrompt.h"
#include "link/SimLinkFixture.h"
#include "run/RunJournal.h"
#include "sim/SimWorld.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace qn::test {

namespace fs = std::filesystem;

// The bench's clock: the simulated one, moved on by TickMs at every reading of the steady time,
// as a real clock moves between two readings.
struct TickingClock final : Clock {
    explicit TickingClock(SimClock& clock) : Sim(clock) {}
    double Now() override { return Sim.Now(); }
    double SteadyMs() override {
        Sim.AdvanceMs(TickMs);
        return Sim.SteadyMs();
    }
    void SleepMs(uint32_t ms) override { Sim.SleepMs(ms); }
    SimClock& Sim;
    double TickMs = 0;
};

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

inline std::string FileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::vector<std::string> FileLines(const fs::path& file) {
    std::stringstream text(FileText(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

// The bench on the simulated lab with all three instruments selected, `rows` temperature rows
// from 25 °C and `steps` steps set up, its folder removed at the end.
struct RunBench {
    explicit RunBench(size_t rows = 2, size_t steps = 3) {
        PrepareLabRun(bench, world, chipInfo, {rows, "25.0", "2.0", 10, steps});
        plan.RegChg.Cell(1, 0) = "104"; // register 4, the address taken modulo 256
        counted = test.ProgressChanged.Subscribe([this](const TempTestProgress& p) {
            if (p.Step > 0 && !p.Completed) attempts.push_back(p.Step);
        });
    }

    size_t Attempts(size_t step) const {
        return static_cast<size_t>(std::count(attempts.begin(), attempts.end(), step));
    }
    bool ChamberWasSetTo(uint16_t tenths) const {
        return world.Chamber.Register(kChamberSetPointReg) == tenths;
    }
    // `watch` follows the progress, after the count of attempts, in place of an earlier watch.
    void Watch(std::function<void(const TempTestProgress&)> watch) {
        watched = test.ProgressChanged.Subscribe(std::move(watch));
    }
    RunJournalContents Journal() const { return ReadRunJournal(dir.string() + "/"); }

    TempFolder folder;
    fs::path dir = folder.Path();
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
    Subscription counted;
    Subscription watched;
};

} // namespace qn::test
