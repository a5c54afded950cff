// Chip selection runs at start-up and after every USB connection: reading the chip list and a
// shipped description file into the chip model.
#include "chip/ChipCatalogue.h"
#include "chip/ChipModel.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SelectShippedChip(benchmark::State& state) {
    const qn::ChipCatalogue catalogue(QN_INCLUDE_DIR);
    qn::ChipModel model;
    bool flag3 = true;
    for (auto _ : state) {
        const auto outcome =
            catalogue.SelectChip(model, static_cast<uint16_t>(state.range(0)), flag3);
        if (!outcome.Read) state.SkipWithError("chip file missing");
        benchmark::DoNotOptimize(model.ByteRegs.Count());
    }
}
BENCHMARK(BM_SelectShippedChip)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace
