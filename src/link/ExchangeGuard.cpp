// The link's one-exchange-at-a-time rule and the waits that keep the window alive.
#include "link/ExchangeGuard.h"

#include <algorithm>
#include <cmath>

namespace qn {
namespace {

constexpr double kPumpSliceMs = 10;

} // namespace

std::optional<ExchangeGuard::Hold> ExchangeGuard::Begin() {
    if (depth_ > 0 && pumping_ > ownerPumping_) return std::nullopt;
    if (depth_ == 0) {
        ownerPumping_ = pumping_;
        stopRequested_ = false;
    }
    ++depth_;
    return Hold(*this);
}

// The windows hear of the end when they were told of the operation or asked it to stop.
void ExchangeGuard::Release() {
    if (--depth_ > 0 || !(shownBusy_ || stopRequested_)) return;
    shownBusy_ = false;
    panels_.ShowBusy(false);
}

ExchangeGuard::MessagesScope::MessagesScope(ExchangeGuard& guard) : guard_(guard) {
    if (guard_.depth_ > 0 && !guard_.shownBusy_) {
        guard_.shownBusy_ = true;
        guard_.panels_.ShowBusy(true);
    }
    ++guard_.pumping_;
}

void ExchangeGuard::Pump() {
    const MessagesScope scope(*this);
    windows_.Pump();
}

bool ExchangeGuard::WaitMs(double ms, const std::function<void(double waitedMs)>& progress) {
    const double start = clock_.SteadyMs();
    for (;;) {
        Pump();
        if (stopRequested_) return false;
        const double waited = clock_.ElapsedMs(start);
        if (progress) progress(waited);
        if (waited >= ms) return true;
        clock_.SleepMs(static_cast<uint32_t>(std::ceil(std::min(kPumpSliceMs, ms - waited))));
    }
}

} // namespace qn
