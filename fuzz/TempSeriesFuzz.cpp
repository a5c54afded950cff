// libFuzzer target: arbitrary bytes as an A file for the results chart. Either the series read or
// the line at fault is named, never both.
#include "FuzzCheck.h"
#include "run/TempSeries.h"

void qn::fuzz::Fuzz(const uint8_t* data, size_t size) {
    const TempRun run = SeriesFromAFile(Text(data, size));
    if (!run.Ok()) Require(run.Error.starts_with("Line ") && run.Steps.empty());
    for (const TempStepSeries& series : run.Steps) Require(series.Step > 0);
}
