// The temperature test window's result grid after a step of a 30-row by 10,000-step run: the
// cell of the step just measured filled and the grid repainted, offscreen.
#include "run/TempTestData.h"
#include "run/TempTestPlan.h"
#include "run/ui/TempTestModels.h"

#include <QApplication>
#include <QTableView>
#include <benchmark/benchmark.h>

namespace {

constexpr size_t kRows = 30;
constexpr size_t kSteps = 10'000;

void BM_ResultGridAfterAStep(benchmark::State& state) {
    qn::TempResults results;
    results.Reset(kRows, kSteps);
    qn::TempRunSettings settings;
    qn::TempResultModel model(results, settings);
    QTableView view;
    view.setModel(&model);
    view.resize(900, 300);
    view.show();
    model.LayOutRun(kRows, kSteps);
    QCoreApplication::processEvents();
    size_t cell = 0;
    for (auto _ : state) {
        const size_t row = cell / kSteps % kRows + 1;
        const size_t step = cell % kSteps + 1;
        ++cell;
        results.SetResult(row, step, {{static_cast<double>(cell), 0, 0, 0, 0, 0, 0}, {}});
        results.SetMeasured(row, step, true);
        model.Fill(row, step);
        view.viewport()->repaint();
        QCoreApplication::processEvents();
    }
    state.counters["cells"] = static_cast<double>(kRows * kSteps);
}
BENCHMARK(BM_ResultGridAfterAStep)->Unit(benchmark::kMillisecond);

} // namespace
