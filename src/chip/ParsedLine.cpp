// The line tokenizer of the chip list and chip description files.
#include "chip/ParsedLine.h"

namespace qn {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

void ParsedLine::Parse(std::string_view line) {
    text_.assign(line.substr(0, kMaxLength));
    slots_ = {};
    size_t end = text_.find_first_of("\";");
    if (end != std::string::npos) {
        slots_[kTailSlot] = {static_cast<uint8_t>(end), static_cast<uint8_t>(text_.size() - end)};
    } else {
        end = text_.size();
    }
    int slot = kFirstWordSlot;
    size_t at = 0;
    while (slot <= kSlotCount) {
        while (at < end && IsBlank(text_[at])) ++at;
        if (at >= end) break;
        const size_t start = at;
        while (at < end && !IsBlank(text_[at])) ++at;
        slots_[static_cast<size_t>(slot++)] = {static_cast<uint8_t>(start),
                                               static_cast<uint8_t>(at - start)};
    }
}

int ParsedLine::WordCount() const {
    int count = 0;
    while (count < kMaxWords && slots_[static_cast<size_t>(kFirstWordSlot + count)].Length > 0)
        ++count;
    return count;
}

std::string_view ParsedLine::WordView(int n) const {
    if (n < 1 || n > kMaxWords) return {};
    return SlotText(n + kFirstWordSlot - 1);
}

std::string_view ParsedLine::SlotText(int slot) const {
    const Slot& s = slots_[static_cast<size_t>(slot)];
    return std::string_view(text_).substr(s.Start, s.Length);
}

} // namespace qn
