// Pacing of a large run's result file rewrites.
#include "run/RewritePacer.h"

#include <chrono>

namespace qn {

double ProcessMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double, std::milli>(now).count();
}

void RewritePacer::Start(size_t tableSteps, double nowMs) {
    *this = RewritePacer{};
    tableSteps_ = tableSteps;
    startMs_ = nowMs;
}

// The next rewrite is expected to cost what the last one did.
bool RewritePacer::Due(double nowMs) const {
    if (tableSteps_ <= kAlwaysRewriteSteps) return true;
    return spentMs_ + lastCostMs_ <= kRewriteShare * (nowMs - startMs_);
}

void RewritePacer::Rewrote(double costMs) {
    spentMs_ += costMs;
    lastCostMs_ = costMs;
}

} // namespace qn
