// libFuzzer target: arbitrary bytes as an A file for the results chart. Either the series read or
// the line at fault is named, never both.
#include "FuzzCheck.h"
#include "run/TempSeries.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using qn::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const qn::TempRun run = qn::SeriesFromAFile(text);
    if (!run.Ok()) {
        Require(run.Error.starts_with("Line ") && run.Steps.empty());
        return 0;
    }
    for (const qn::TempStepSeries& series : run.Steps) Require(series.Step > 0);
    return 0;
}
