// The error queue of a remote session (read by SYSTem:ERRor?) and the standard texts of the error
// codes the command tree reports.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace qn {

// The codes the command tree reports: command errors (-1xx), execution errors (-2xx), the queue's
// own overflow (-350).
namespace scpi {
inline constexpr int kNoError = 0;
inline constexpr int kInvalidCharacter = -101;
inline constexpr int kSyntaxError = -102;
inline constexpr int kDataTypeError = -104;
inline constexpr int kParameterNotAllowed = -108;
inline constexpr int kMissingParameter = -109;
inline constexpr int kUndefinedHeader = -113;
inline constexpr int kExponentTooLarge = -123;
inline constexpr int kInvalidStringData = -151;
inline constexpr int kExecutionError = -200;
inline constexpr int kSettingsConflict = -221;
inline constexpr int kDataOutOfRange = -222;
inline constexpr int kTooMuchData = -223;
inline constexpr int kIllegalParameterValue = -224;
inline constexpr int kDataStale = -230;
inline constexpr int kQueueOverflow = -350;
} // namespace scpi

// "Undefined header" for -113 and so on; "Error" for a code the table does not hold.
std::string_view StandardErrorText(int code);

// Errors oldest first. When a new error finds the queue full, the newest entry becomes -350
// "Queue overflow" (and stays so until read), as SCPI has it.
class ErrorQueue {
  public:
    static constexpr size_t kCapacity = 20;
    // A bench's message may say anything: control characters become spaces, and the entry keeps
    // at most kLongestMessage bytes of it (cut on a character boundary).
    static constexpr size_t kLongestMessage = 200;

    void Push(int code, std::string_view message = {});
    // The oldest entry as a reply, `-113,"Undefined header;FOO"`, removed from the queue; `0,"No
    // error"` when the queue is empty.
    std::string Next();
    size_t Count() const { return entries_.size(); }
    void Clear() { entries_.clear(); }

  private:
    struct Entry {
        int Code = 0;
        std::string Message;
    };
    std::deque<Entry> entries_;
};

} // namespace qn
