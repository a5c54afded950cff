// The arguments, replies and outcomes of remote commands as their handlers work with them:
// whole numbers in their ranges, names, word choices, and the bench's outcome as an error entry.
#pragma once

#include "remote/RemoteCommands.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace qn {

// A whole-number argument's name and limits, for the -222 message; MIN, MAX and DEF are taken
// where a default is given.
struct IntRange {
    std::string_view Name;
    int32_t Min;
    int32_t Max;
    std::optional<int32_t> Default;
};

// "points 1 to 65536": the range as the -222 message names it.
std::string RangeText(const IntRange& range);

// The bench's outcome as an error-queue entry; true when it was Done.
bool Succeeded(RemoteCall& call, const RemoteResult& result);

// Argument `index` as a whole number in `range` (MIN, MAX and DEF where it has a default); none,
// with the error queued, when it is not one.
std::optional<int32_t> IntArgument(RemoteCall& call, size_t index, const IntRange& range);

// A name as a "string" or as a word.
std::optional<std::string> TextArgument(RemoteCall& call, size_t index);

// The word argument's index among `choices` (each in its short and long form).
std::optional<size_t> ChoiceArgument(RemoteCall& call, size_t index,
                                     std::initializer_list<std::string_view> choices);

// Adds one reply to the line's replies.
void Reply(RemoteCall& call, std::string text);

// Counts this session's operation while the bench runs it.
class OperationScope {
  public:
    explicit OperationScope(RemoteSessionState& state) : state_(state) { ++state_.Operations; }
    ~OperationScope() { --state_.Operations; }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

  private:
    RemoteSessionState& state_;
};

} // namespace qn
