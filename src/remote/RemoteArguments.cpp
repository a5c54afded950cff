// The arguments, replies and outcomes of remote commands as their handlers work with them.
#include "remote/RemoteArguments.h"

#include <cmath>
#include <utility>

namespace qn {

std::string RangeText(const IntRange& range) {
    return std::string(range.Name) + " " + std::to_string(range.Min) + " to " +
           std::to_string(range.Max);
}

// The bench's outcome as an error-queue entry; true when it was Done.
bool Succeeded(RemoteCall& call, const RemoteResult& result) {
    switch (result.Outcome) {
    case RemoteOutcome::Done:
        return true;
    case RemoteOutcome::Busy:
        call.State.Report(scpi::kSettingsConflict, result.Message.empty()
                                                       ? "another operation holds the link"
                                                       : result.Message);
        return false;
    case RemoteOutcome::OutOfRange:
        call.State.Report(scpi::kDataOutOfRange, result.Message);
        break;
    case RemoteOutcome::NoData:
        call.State.Report(scpi::kDataStale, result.Message);
        break;
    case RemoteOutcome::Failed:
        call.State.Report(scpi::kExecutionError, result.Message);
        break;
    }
    return false;
}

std::optional<int32_t> IntArgument(RemoteCall& call, size_t index, const IntRange& range) {
    const ScpiArgument& argument = call.Arguments.at(index);
    if (argument.Type == ScpiArgument::Kind::Word && range.Default) {
        if (MnemonicMatches(argument.Text, "MINimum")) return range.Min;
        if (MnemonicMatches(argument.Text, "MAXimum")) return range.Max;
        if (MnemonicMatches(argument.Text, "DEFault")) return range.Default;
    }
    if (argument.Type != ScpiArgument::Kind::Number) {
        call.State.Report(scpi::kDataTypeError, std::string(range.Name) + " is a number");
        return std::nullopt;
    }
    const double rounded = std::round(argument.Number);
    if (!(rounded >= range.Min && rounded <= range.Max)) {
        call.State.Report(scpi::kDataOutOfRange, RangeText(range));
        return std::nullopt;
    }
    return static_cast<int32_t>(rounded);
}

// A name as a "string" or as a word.
std::optional<std::string> TextArgument(RemoteCall& call, size_t index) {
    const ScpiArgument& argument = call.Arguments.at(index);
    if (argument.Type == ScpiArgument::Kind::String || argument.Type == ScpiArgument::Kind::Word)
        return argument.Text;
    call.State.Report(scpi::kDataTypeError, "a name in quotes expected");
    return std::nullopt;
}

// The word argument's index among `choices` (each in its short and long form).
std::optional<size_t> ChoiceArgument(RemoteCall& call, size_t index,
                                     std::initializer_list<std::string_view> choices) {
    const ScpiArgument& argument = call.Arguments.at(index);
    if (argument.Type != ScpiArgument::Kind::Word) {
        call.State.Report(scpi::kDataTypeError);
        return std::nullopt;
    }
    size_t i = 0;
    for (const std::string_view choice : choices) {
        if (MnemonicMatches(argument.Text, choice)) return i;
        ++i;
    }
    call.State.Report(scpi::kIllegalParameterValue, argument.Text);
    return std::nullopt;
}

void Reply(RemoteCall& call, std::string text) {
    call.Replies.push_back(std::move(text));
}

} // namespace qn
