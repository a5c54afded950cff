// The stability gate's rule over the readings of its window.
#include "run/SoakGate.h"

#include "analysis/FixedText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

namespace qn {
namespace {

constexpr double kMsPerMinute = 60'000;

// The shortest text of `value` ("5", "2.5").
std::string Shortest(double value) {
    std::array<char, 32> text{};
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} ? std::string(text.data(), end) : std::string();
}

double Median(std::vector<double> values) {
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                     values.end());
    const double upper = values[middle];
    if (values.size() % 2 == 1) return upper;
    return (upper + *std::max_element(values.begin(),
                                      values.begin() + static_cast<std::ptrdiff_t>(middle))) /
           2;
}

} // namespace

SoakGate::SoakGate(const SoakGateSettings& settings, double startMs)
    : settings_(settings), startMs_(startMs), lastMs_(startMs) {}

double SoakGate::Watched(const Reading& r) const {
    return settings_.Rule == SoakRule::Board ? r.Board : r.Chamber;
}

double SoakGate::Allowed() const {
    return settings_.Rule == SoakRule::Board ? settings_.BoardChangeCelsius
                                             : settings_.SpreadCelsius;
}

const char* SoakGate::Name() const {
    return settings_.Rule == SoakRule::Board ? "board" : "chamber";
}

SoakGate::State SoakGate::Feed(double ms, double chamberCelsius, double boardCelsius) {
    if (state_ != State::Waiting) return state_;
    lastMs_ = ms;
    if (reachedMs_ < 0 &&
        std::fabs(chamberCelsius - settings_.SetPointCelsius) <= settings_.BandCelsius)
        reachedMs_ = ms;
    // A board gate cannot judge a reading the chip did not give: it is left out.
    if (!std::isnan(chamberCelsius) &&
        (settings_.Rule != SoakRule::Board || !std::isnan(boardCelsius)))
        readings_.push_back({ms, chamberCelsius, boardCelsius});
    // The window: every reading of the last W, and the newest one before it, which marks
    // that the readings cover the whole of W.
    while (readings_.size() > 1 && readings_[1].Ms <= ms - settings_.WindowMs)
        readings_.pop_front();
    Measure();
    const bool covered = stableMs_ >= settings_.WindowMs;
    const bool soaked = reachedMs_ >= 0 && ms - reachedMs_ >= settings_.MinimumMs;
    if (covered && soaked && spread_ <= Allowed())
        state_ = State::Open;
    else if (ms - startMs_ >= settings_.LimitMs)
        state_ = State::TimedOut;
    return state_;
}

// The stable stretch: the newest readings whose watched spread keeps the rule, while the
// window's chamber median lies in the band; and the spread of the whole window.
void SoakGate::Measure() {
    stableMs_ = 0;
    spread_ = 0;
    if (readings_.empty()) return;
    double low = Watched(readings_.back());
    double high = low;
    size_t first = readings_.size() - 1;
    bool keeping = true;
    for (size_t i = readings_.size(); i-- > 0;) {
        const double value = Watched(readings_[i]);
        low = std::min(low, value);
        high = std::max(high, value);
        if (keeping && high - low <= Allowed())
            first = i;
        else
            keeping = false;
    }
    spread_ = high - low;
    std::vector<double> chamber;
    chamber.reserve(readings_.size());
    for (const Reading& r : readings_) chamber.push_back(r.Chamber);
    const bool inBand =
        std::fabs(Median(std::move(chamber)) - settings_.SetPointCelsius) <= settings_.BandCelsius;
    if (inBand) stableMs_ = lastMs_ - readings_[first].Ms;
}

std::string SoakGate::Text() const {
    const double minutes = std::min(stableMs_, settings_.WindowMs) / kMsPerMinute;
    return std::string(Name()) + " stable " + FixedDecimals(minutes, 1) + " of " +
           Shortest(settings_.WindowMs / kMsPerMinute) + " min, spread " +
           FixedDecimals(spread_, 2) + " °C";
}

std::string SoakGate::Outcome() const {
    const std::string after = FixedDecimals((lastMs_ - startMs_) / kMsPerMinute, 1) + " min";
    if (state_ == State::Open) return std::string(Name()) + " stable after " + after;
    if (state_ == State::TimedOut) return std::string(Name()) + " not stable after " + after;
    return Text();
}

} // namespace qn
