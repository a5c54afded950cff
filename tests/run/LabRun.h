// A bench on the simulated lab made ready for a temperature run: the bridge's signal, the chip,
// all three instruments selected, and a plan of temperature rows and steps. The run tests and the
// run benchmark share it.
#pragma once

#include "link/ChipLinkInfo.h"
#include "shell/Bench.h"
#include "sim/SimWorld.h"

#include <string>

namespace qn::test {

struct LabRunShape {
    size_t Rows;
    std::string Start, Increment;
    size_t StepRows; // the grid's rows
    size_t Steps;    // the steps set up, from the first
};

// Step `step` sets register 4, then the supply as `supply` says and the calibrator to 100 mV.
inline void SetLabStep(Bench& bench, size_t step, const std::string& supply) {
    bench.Plan.RegChg.Cell(1, step) = std::to_string(step % 10);
    bench.Plan.RegChg.Cell(kDelayColumn, step) = "1";
    bench.Plan.RegChg.Cell(kAcmColumn, step) = "2.4";
    bench.Instruments.PowerSteps.Row(step) = {"1", supply};
    bench.Instruments.FlukeSteps.Row(step) = {"1", "OUT 100 mV ,0 Hz "};
}

inline void PrepareLabRun(Bench& bench, SimWorld& world, const ChipLinkInfo& chip,
                          const LabRunShape& shape) {
    world.Bridge.SetOutputRate(2000);
    world.Bridge.SetSignal(200000, 3);
    bench.Chip.SetChip(&chip);
    bench.Stnd.Interface = kLinkQn740x;
    bench.Centre.USBConnect();
    bench.Instruments.Select(InstrumentKind::Fluke, 0);
    bench.Instruments.Select(InstrumentKind::Power, 1);
    bench.Instruments.Select(InstrumentKind::Chamber, 2);
    TempRunSettings& s = bench.Plan.Settings;
    s.TempCount = std::to_string(shape.Rows), s.Start = shape.Start, s.Increment = shape.Increment;
    s.StepRows = std::to_string(shape.StepRows), s.SoakMinutes = "1", s.SupplyDelay = "100";
    bench.Plan.SetTemperatureRows();
    bench.Plan.SetStepRows(bench.Instruments.FlukeSteps, bench.Instruments.PowerSteps);
    bench.Plan.RegChg.Cell(1, 0) = "4";
    for (size_t step = 1; step <= shape.Steps; ++step) SetLabStep(bench, step, "VOLT 3.3");
}

} // namespace qn::test
