// Chip selection as the settings load, the setup dialog and a USB connection run it.
#include "shell/ChipSelection.h"

namespace qn {

bool SelectBenchChip(Bench& bench, uint16_t index) {
    bench.Stnd.Chip = index;
    const ChipSelectOutcome outcome =
        bench.Catalogue.SelectChip(bench.Model, index, bench.Config.Flags[kFlagAdcSection]);
    if (outcome.AsksSpecialLink) bench.Stnd.Interface = kLinkSpecial;
    bench.Chip.Options.Optocoupler = bench.Model.Controls.OptocouplerChecked;
    return outcome.Read;
}

bool ChennalComChange(Bench& bench) {
    bench.Stnd.Interface = kLinkQn740x;
    return SelectBenchChip(bench, bench.Stnd.Chip);
}

} // namespace qn
