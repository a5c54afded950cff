// The bit, byte and word register lists that chip selection fills, each paged in 256-record pages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

namespace qn {

inline constexpr size_t kRegNameMax = 15;         // register and bit names
inline constexpr size_t kRegDescriptionMax = 160; // register descriptions
inline constexpr size_t kBitDescriptionMax = 250; // bit descriptions

// One bit register: its name, description, address and its eight bits, bit 7 first.
struct BitRegRecord {
    struct Bit {
        std::string Name;
        std::string Description;
    };
    std::string Name;
    std::string Description;
    uint16_t Address = 0;
    std::array<Bit, 8> Bits{};
    uint8_t Value = 0; // masked value the register panel shows

    uint32_t Key() const { return Address; }
};

// One byte register; its name lives in the byte grid.
struct ByteRegRecord {
    std::string Description;
    uint16_t Address = 0;
    uint16_t Value = 0;

    uint32_t Key() const { return Address; }
};

// One word register (high and low byte at their own addresses); its name lives in the word grid.
struct WordRegRecord {
    std::string Description;
    uint16_t AddressH = 0;
    uint16_t AddressL = 0;
    uint16_t Value = 0;

    uint32_t Key() const { return AddressH * 256u + AddressL; }
};

// A list of at most 512 records kept in two pages of 256, each allocated on first use.
template <typename Record> class PagedRegList {
  public:
    static constexpr int32_t kPageSize = 256;
    static constexpr int32_t kPageCount = 2;
    static constexpr int32_t kCapacity = kPageSize * kPageCount;

    // Copies the record into the next slot: 0 on success, non-zero when the list is full or a
    // page cannot be allocated (the record is then dropped).
    int Add(const Record& record) {
        if (count_ >= kCapacity) return 1;
        auto& page = pages_[static_cast<size_t>(count_ / kPageSize)];
        if (!page) page.reset(new (std::nothrow) PageArray());
        if (!page) return 2;
        (*page)[static_cast<size_t>(count_ % kPageSize)] = record;
        ++count_;
        return 0;
    }

    int32_t Count() const { return count_; }

    Record* Get(int32_t i) { return InRange(i) ? &Slot(i) : nullptr; }
    const Record* Get(int32_t i) const {
        return InRange(i) ? &pages_[PageOf(i)]->at(IndexOf(i)) : nullptr;
    }

    // The record's key (bit and byte: address; word: addressH * 256 + addressL); 0 outside.
    uint32_t Address(int32_t i) const {
        const Record* record = Get(i);
        return record != nullptr ? record->Key() : 0;
    }

    void Clear() {
        for (auto& page : pages_) page.reset();
        count_ = 0;
    }

  private:
    using PageArray = std::array<Record, kPageSize>;
    bool InRange(int32_t i) const { return i >= 0 && i < count_; }
    static size_t PageOf(int32_t i) { return static_cast<size_t>(i / kPageSize); }
    static size_t IndexOf(int32_t i) { return static_cast<size_t>(i % kPageSize); }
    Record& Slot(int32_t i) { return pages_[PageOf(i)]->at(IndexOf(i)); }

    std::array<std::unique_ptr<PageArray>, kPageCount> pages_;
    int32_t count_ = 0;
};

using TCRREGBitPtr = PagedRegList<BitRegRecord>;
using TCRREGBytePtr = PagedRegList<ByteRegRecord>;
using TCRREGWordPtr = PagedRegList<WordRegRecord>;

} // namespace qn
