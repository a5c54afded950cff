// The bounded logs of the simulated devices.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace qn {

// A log keeps at least the newest kSimLogKept entries and at most twice as many: a rehearsal of
// a long run keeps its memory flat, and a test sees every entry of what it just did.
inline constexpr size_t kSimLogKept = 8192;

template <typename Entry> void AppendToLog(std::vector<Entry>& log, Entry entry) {
    if (log.size() >= 2 * kSimLogKept)
        log.erase(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(kSimLogKept));
    log.push_back(std::move(entry));
}

} // namespace qn
