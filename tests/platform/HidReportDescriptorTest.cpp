// Report lengths worked out from report descriptors of different shapes.
#include "platform/HidReportDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace qn {
namespace {

struct DescriptorCase {
    const char* name;
    std::vector<uint8_t> descriptor;
    uint16_t input;
    uint16_t output;
    bool numbered;
};

const DescriptorCase kCases[] = {
    {"bridge: vendor page, 64 bytes each way, no IDs",
     {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x19, 0x01, 0x29, 0x40, 0x15, 0x00, 0x26, 0xFF,
      0x00, 0x75, 0x08, 0x95, 0x40, 0x81, 0x02, 0x19, 0x01, 0x29, 0x40, 0x91, 0x02, 0xC0},
     65,
     65,
     false},
    {"numbered reports: the longest of each kind counts",
     {0x85, 0x01, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0x95, 0x10, 0x91, 0x02, 0x85, 0x02, 0x95,
      0x20, 0x81, 0x02},
     33,
     17,
     true},
    {"input only, bit fields padded to whole bytes",
     {0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x75, 0x05, 0x95, 0x01, 0x81, 0x03, 0x75, 0x08, 0x95,
      0x02, 0x81, 0x06},
     4,
     0,
     false},
    {"odd bit count rounds up", {0x75, 0x04, 0x95, 0x03, 0x81, 0x02}, 3, 0, false},
    {"push and pop restore the report size",
     {0x75, 0x08, 0x95, 0x02, 0xA4, 0x75, 0x10, 0x81, 0x02, 0xB4, 0x81, 0x02},
     7,
     0,
     false},
    {"four-byte item value", {0x75, 0x08, 0x97, 0x00, 0x01, 0x00, 0x00, 0x91, 0x02}, 0, 257, false},
    {"long item skipped",
     {0xFE, 0x02, 0x10, 0xAA, 0xBB, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02},
     3,
     0,
     false},
    {"feature reports do not count",
     {0x75, 0x08, 0x95, 0x10, 0xB1, 0x02, 0x95, 0x04, 0x81, 0x02},
     5,
     0,
     false},
    {"empty descriptor", {}, 0, 0, false},
};

TEST(HidReportDescriptor, ReportLengthsIncludeTheIdByte) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const auto layout = ParseReportDescriptor(c.descriptor.data(), c.descriptor.size());
        ASSERT_TRUE(layout.has_value());
        EXPECT_EQ(layout->InputReportLength, c.input);
        EXPECT_EQ(layout->OutputReportLength, c.output);
        EXPECT_EQ(layout->NumberedReports, c.numbered);
    }
}

TEST(HidReportDescriptor, TruncatedItemsAreRejected) {
    const std::vector<std::vector<uint8_t>> truncated = {
        {0x75},                   // one-byte item without its data
        {0x75, 0x08, 0x97, 0x01}, // four-byte item cut short
        {0xFE},                   // long item without its size
        {0xFE, 0x05, 0x00, 0x01}, // long item shorter than it says
    };
    for (const auto& bytes : truncated)
        EXPECT_FALSE(ParseReportDescriptor(bytes.data(), bytes.size()).has_value())
            << "descriptor of " << bytes.size() << " bytes";
}

} // namespace
} // namespace qn
