// The unmeasured steps of a run, rows outer and steps inner as the run goes through them.
#include "run/UnmeasuredSteps.h"

namespace qn {

UnmeasuredSteps FindUnmeasured(const TempResults& results) {
    UnmeasuredSteps found;
    for (size_t row = 1; row <= results.TempCount(); ++row)
        for (size_t step = 1; step <= results.StepCount(); ++step) {
            if (results.Measured(row, step)) continue;
            if (++found.Count > kNamedUnmeasured) continue;
            if (found.Count > 1) found.Text += ", ";
            found.Text += "row " + std::to_string(row) + " step " + std::to_string(step);
        }
    if (found.Count > kNamedUnmeasured)
        found.Text += " and " + std::to_string(found.Count - kNamedUnmeasured) + " more";
    return found;
}

} // namespace qn
