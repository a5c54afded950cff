// One remote client's session: the lines it sends, run through the command tree.
#include "remote/RemoteSession.h"

#include "remote/ScpiParser.h"

#include <algorithm>
#include <utility>

namespace qn {

namespace {

bool IsAbortOnly(const std::vector<ScpiUnit>& units) {
    return !units.empty() && std::all_of(units.begin(), units.end(), [](const ScpiUnit& unit) {
        return unit.Error == 0 && !unit.Common && !unit.Query && unit.Mnemonics.size() == 1 &&
               MnemonicMatches(unit.Mnemonics[0], "ABORt");
    });
}

// *OPC?, *OPC and *WAI wait for the session's operations.
bool Synchronises(const std::vector<ScpiUnit>& units) {
    return std::any_of(units.begin(), units.end(), [](const ScpiUnit& unit) {
        return unit.Common && unit.Error == 0 &&
               (MnemonicMatches(unit.Mnemonics[0], "OPC") ||
                MnemonicMatches(unit.Mnemonics[0], "WAI"));
    });
}

bool HasQuery(const std::vector<ScpiUnit>& units) {
    return std::any_of(units.begin(), units.end(), [](const ScpiUnit& unit) { return unit.Query; });
}

} // namespace

void RemoteSession::LineTooLong() {
    state_.Report(scpi::kTooMuchData, "line over 65536 bytes dropped");
}

std::string RemoteSession::HandleLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kLongestLine) {
        LineTooLong();
        return {};
    }
    if (state_.Operations > 0) {
        // Called from inside this session's own capture or run.
        const std::vector<ScpiUnit> units = ParseScpiLine(line);
        if (IsAbortOnly(units)) return Run(line);
        if (!held_.empty() || answering_ > 0 || Synchronises(units)) {
            held_.emplace_back(line);
            return {};
        }
        return Run(line);
    }
    std::string reply = Run(line);
    while (!held_.empty()) {
        const std::string next = std::move(held_.front());
        held_.pop_front();
        reply += Run(next);
    }
    return reply;
}

std::string RemoteSession::Run(std::string_view line) {
    const std::vector<ScpiUnit> units = ParseScpiLine(line);
    const bool answers = HasQuery(units);
    answering_ += answers ? 1 : 0;
    std::vector<std::string> replies;
    std::vector<std::string> current; // the path a relative header starts from
    for (const ScpiUnit& unit : units) {
        if (unit.Error != 0) {
            state_.Report(unit.Error, unit.Message);
            break;
        }
        std::vector<std::string> path = unit.Mnemonics;
        if (!unit.Common && !unit.Rooted) path.insert(path.begin(), current.begin(), current.end());
        const RemoteCommand* command = FindRemoteCommand(path, unit.Common, unit.Query);
        if (command == nullptr) {
            std::string header;
            for (const std::string& word : path) header += (header.empty() ? "" : ":") + word;
            state_.Report(scpi::kUndefinedHeader,
                          (unit.Common ? "*" : "") + header + (unit.Query ? "?" : ""));
            break;
        }
        if (!unit.Common) current.assign(path.begin(), path.end() - 1);
        if (unit.Arguments.size() < command->MinArguments) {
            state_.Report(scpi::kMissingParameter);
            break;
        }
        if (unit.Arguments.size() > command->MaxArguments) {
            state_.Report(scpi::kParameterNotAllowed);
            break;
        }
        // This session's own operation counts even if the bench would not call itself busy.
        if (command->NeedsLink && (bench_.Busy() || state_.Operations > 0)) {
            state_.Report(scpi::kSettingsConflict, "another operation holds the link");
            continue;
        }
        RemoteCall call{bench_, state_, unit.Arguments, replies};
        command->Run(call);
    }
    answering_ -= answers ? 1 : 0;
    if (replies.empty()) return {};
    std::string text = replies.front();
    for (size_t i = 1; i < replies.size(); ++i) text += ";" + replies[i];
    return text + "\n";
}

} // namespace qn
