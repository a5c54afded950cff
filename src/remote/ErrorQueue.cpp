// The error queue of a remote session and the standard error texts.
#include "remote/ErrorQueue.h"

#include "remote/ScpiReply.h"

#include <string>

namespace qn {

namespace {

struct StandardText {
    int Code;
    std::string_view Text;
};

constexpr StandardText kTexts[] = {
    {scpi::kNoError, "No error"},
    {scpi::kInvalidCharacter, "Invalid character"},
    {scpi::kSyntaxError, "Syntax error"},
    {scpi::kDataTypeError, "Data type error"},
    {scpi::kParameterNotAllowed, "Parameter not allowed"},
    {scpi::kMissingParameter, "Missing parameter"},
    {scpi::kUndefinedHeader, "Undefined header"},
    {scpi::kExponentTooLarge, "Exponent too large"},
    {scpi::kInvalidStringData, "Invalid string data"},
    {scpi::kExecutionError, "Execution error"},
    {scpi::kSettingsConflict, "Settings conflict"},
    {scpi::kDataOutOfRange, "Data out of range"},
    {scpi::kTooMuchData, "Too much data"},
    {scpi::kIllegalParameterValue, "Illegal parameter value"},
    {scpi::kDataStale, "Data corrupt or stale"},
    {scpi::kQueueOverflow, "Queue overflow"},
};

// Control characters become spaces; a cut never splits a UTF-8 sequence.
std::string CleanMessage(std::string_view message) {
    if (message.size() > ErrorQueue::kLongestMessage) {
        size_t end = ErrorQueue::kLongestMessage;
        while (end > 0 && (static_cast<unsigned char>(message[end]) & 0xC0) == 0x80) --end;
        message = message.substr(0, end);
    }
    std::string clean(message);
    for (char& c : clean)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return clean;
}

} // namespace

std::string_view StandardErrorText(int code) {
    for (const StandardText& text : kTexts)
        if (text.Code == code) return text.Text;
    return "Error";
}

void ErrorQueue::Push(int code, std::string_view message) {
    if (entries_.size() >= kCapacity) {
        entries_.back() = {scpi::kQueueOverflow, {}};
        return;
    }
    entries_.push_back({code, CleanMessage(message)});
}

std::string ErrorQueue::Next() {
    Entry entry;
    if (!entries_.empty()) {
        entry = std::move(entries_.front());
        entries_.pop_front();
    }
    std::string text(StandardErrorText(entry.Code));
    if (!entry.Message.empty()) text += ";" + entry.Message;
    return std::to_string(entry.Code) + "," + QuotedString(text);
}

} // namespace qn
