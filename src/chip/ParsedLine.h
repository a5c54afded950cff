// The line tokenizer of the chip list and chip description files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qn {

// One line held as at most 160 characters with 32 slots of (start, length) into it. Slot 1 holds
// the tail (from the first '"' or ';' to the end); slots 4..32 hold the words of the text before
// the tail, split at spaces and tabs. Slots 2 and 3 stay empty.
class ParsedLine {
  public:
    static constexpr size_t kMaxLength = 160;
    static constexpr int kSlotCount = 32;
    static constexpr int kTailSlot = 1;
    static constexpr int kFirstWordSlot = 4;
    static constexpr int kMaxWords = kSlotCount - kFirstWordSlot + 1;

    ParsedLine() = default;
    explicit ParsedLine(std::string_view line) { Parse(line); }

    void Parse(std::string_view line);

    const std::string& Text() const { return text_; }
    // Number of consecutive filled word slots (at most 29).
    int WordCount() const;
    // Word `n` (from 1); empty when the line has fewer words.
    std::string Word(int n) const { return std::string(WordView(n)); }
    std::string_view WordView(int n) const;
    bool HasTail() const { return slots_[kTailSlot].Length > 0; }
    std::string_view Tail() const { return SlotText(kTailSlot); }

  private:
    struct Slot {
        uint8_t Start = 0;
        uint8_t Length = 0;
    };
    std::string_view SlotText(int slot) const;

    std::string text_;
    std::array<Slot, kSlotCount + 1> slots_{}; // index 0 unused: slots count from 1
};

} // namespace qn
