// Line assembly, timed delivery and faults of the simulated bench instruments.
#include "sim/SimLab.h"

#include "sim/SimLog.h"

#include <algorithm>
#include <cctype>

namespace qn {

std::vector<uint8_t> SimLabPeer::Take(const uint8_t* data, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (data[i] != terminator_) {
            input_.push_back(static_cast<char>(data[i]));
            continue;
        }
        std::string line = std::move(input_);
        input_.clear();
        if (terminator_ == '\n' && !line.empty() && line.back() == '\r') line.pop_back();
        AppendToLog(log_, line);
        Send(Answer(line));
    }
    return Due();
}

void SimLabPeer::Send(std::string answer) {
    if (answer.empty() || Faults.Silent) return;
    if (Faults.NoTerminator) std::erase_if(answer, [](char c) { return c == '\r' || c == '\n'; });
    if (answer.empty()) return;
    const double now = clock_.SteadyMs();
    if (Faults.SplitAnswers && answer.size() > 1) {
        const size_t first = answer.size() / 2;
        pending_.push_back({now, answer.substr(0, first)});
        pending_.push_back({now + Faults.SplitDelayMs, answer.substr(first)});
    } else {
        pending_.push_back({now, std::move(answer)});
    }
}

std::vector<uint8_t> SimLabPeer::Due() {
    std::vector<uint8_t> due;
    const double now = clock_.SteadyMs();
    while (!pending_.empty() && pending_.front().DueMs <= now) {
        due.insert(due.end(), pending_.front().Bytes.begin(), pending_.front().Bytes.end());
        pending_.pop_front();
    }
    return due;
}

std::string SimCommandText(const std::string& line) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    const auto first = std::find_if_not(line.begin(), line.end(), blank);
    const auto last = std::find_if_not(line.rbegin(), line.rend(), blank).base();
    std::string text = first < last ? std::string(first, last) : std::string();
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace qn
