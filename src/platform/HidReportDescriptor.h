// Report lengths of a HID device worked out from its report descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace qn {

// Report lengths count the report ID byte, which is there (as 0) even when the device does not
// number its reports; 0 means the device has no report of that kind.
struct HidReportLayout {
    uint16_t InputReportLength = 0;
    uint16_t OutputReportLength = 0;
    // True when the descriptor declares report IDs: reads then start with the ID.
    bool NumberedReports = false;
};

// The longest input and output report over all report IDs. Nullopt for a truncated descriptor.
std::optional<HidReportLayout> ParseReportDescriptor(const uint8_t* data, size_t length);

} // namespace qn
