// Walks the items of a HID report descriptor, adding up the bits of each report.
#include "platform/HidReportDescriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace qn {
namespace {

constexpr uint8_t kLongItem = 0xFE;
constexpr uint8_t kTypeMain = 0;
constexpr uint8_t kTypeGlobal = 1;
constexpr uint8_t kTagInput = 0x8;
constexpr uint8_t kTagOutput = 0x9;
constexpr uint8_t kTagReportSize = 0x7;
constexpr uint8_t kTagReportId = 0x8;
constexpr uint8_t kTagReportCount = 0x9;
constexpr uint8_t kTagPush = 0xA;
constexpr uint8_t kTagPop = 0xB;

struct Globals {
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

struct Walk {
    Globals globals;
    std::vector<Globals> stack;
    std::map<uint8_t, uint64_t> inputBits;  // per report ID
    std::map<uint8_t, uint64_t> outputBits; // per report ID
    bool numbered = false;
};

uint32_t ItemValue(const uint8_t* data, size_t size) {
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) value |= static_cast<uint32_t>(data[i]) << (8 * i);
    return value;
}

void ApplyGlobal(Walk& walk, uint8_t tag, uint32_t value) {
    if (tag == kTagReportSize) walk.globals.reportSize = value;
    if (tag == kTagReportCount) walk.globals.reportCount = value;
    if (tag == kTagReportId) {
        walk.globals.reportId = static_cast<uint8_t>(value);
        walk.numbered = true;
    }
    if (tag == kTagPush) walk.stack.push_back(walk.globals);
    if (tag == kTagPop && !walk.stack.empty()) {
        walk.globals = walk.stack.back();
        walk.stack.pop_back();
    }
}

void ApplyMain(Walk& walk, uint8_t tag) {
    const uint64_t bits = uint64_t{walk.globals.reportSize} * walk.globals.reportCount;
    if (tag == kTagInput) walk.inputBits[walk.globals.reportId] += bits;
    if (tag == kTagOutput) walk.outputBits[walk.globals.reportId] += bits;
}

uint16_t LongestReport(const std::map<uint8_t, uint64_t>& bits) {
    uint64_t longest = 0;
    for (const auto& [id, count] : bits) longest = std::max(longest, count);
    if (longest == 0) return 0;
    return static_cast<uint16_t>(std::min<uint64_t>(1 + (longest + 7) / 8, UINT16_MAX));
}

} // namespace

std::optional<HidReportLayout> ParseReportDescriptor(const uint8_t* data, size_t length) {
    Walk walk;
    size_t at = 0;
    while (at < length) {
        const uint8_t prefix = data[at];
        if (prefix == kLongItem) {
            if (at + 1 >= length) return std::nullopt;
            at += 3 + size_t{data[at + 1]};
            continue;
        }
        const size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (at + 1 + size > length) return std::nullopt;
        const auto type = static_cast<uint8_t>((prefix >> 2) & 3);
        const auto tag = static_cast<uint8_t>(prefix >> 4);
        if (type == kTypeGlobal) ApplyGlobal(walk, tag, ItemValue(data + at + 1, size));
        if (type == kTypeMain) ApplyMain(walk, tag);
        at += 1 + size;
    }
    if (at > length) return std::nullopt;
    return HidReportLayout{LongestReport(walk.inputBits), LongestReport(walk.outputBits),
                           walk.numbered};
}

} // namespace qn
