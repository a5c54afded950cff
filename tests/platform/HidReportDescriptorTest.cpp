// Report lengths worked out from report descriptors of different shapes.
#include "platform/HidReportDescriptor.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace qn {
namespace {

// Input and output report lengths with the ID byte, whether reports are numbered, and the
// descriptor; input -1: the descriptor is refused.
struct DescriptorCase {
    std::tuple<const char*, int, int, bool> Expected;
    std::vector<uint8_t> Descriptor;
};

const DescriptorCase kCases[] = {
    {{"bridge: vendor page, 64 bytes each way, no IDs", 65, 65, false},
     {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x19, 0x01, 0x29, 0x40, 0x15, 0x00, 0x26, 0xFF,
      0x00, 0x75, 0x08, 0x95, 0x40, 0x81, 0x02, 0x19, 0x01, 0x29, 0x40, 0x91, 0x02, 0xC0}},
    {{"numbered reports: the longest of each kind counts", 33, 17, true},
     {0x85, 0x01, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0x95, 0x10, 0x91, 0x02, 0x85, 0x02, 0x95,
      0x20, 0x81, 0x02}},
    {{"input only, bit fields padded to whole bytes", 4, 0, false},
     {0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x75, 0x05, 0x95, 0x01, 0x81, 0x03, 0x75, 0x08, 0x95,
      0x02, 0x81, 0x06}},
    {{"odd bit count rounds up", 3, 0, false}, {0x75, 0x04, 0x95, 0x03, 0x81, 0x02}},
    {{"push and pop restore the report size", 7, 0, false},
     {0x75, 0x08, 0x95, 0x02, 0xA4, 0x75, 0x10, 0x81, 0x02, 0xB4, 0x81, 0x02}},
    {{"four-byte item value", 0, 257, false},
     {0x75, 0x08, 0x97, 0x00, 0x01, 0x00, 0x00, 0x91, 0x02}},
    {{"long item skipped", 3, 0, false},
     {0xFE, 0x02, 0x10, 0xAA, 0xBB, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02}},
    {{"feature reports do not count", 5, 0, false},
     {0x75, 0x08, 0x95, 0x10, 0xB1, 0x02, 0x95, 0x04, 0x81, 0x02}},
    {{"empty descriptor", 0, 0, false}, {}},
    {{"one-byte item without its data", -1, 0, false}, {0x75}},
    {{"four-byte item cut short", -1, 0, false}, {0x75, 0x08, 0x97, 0x01}},
    {{"long item without its size", -1, 0, false}, {0xFE}},
    {{"long item shorter than it says", -1, 0, false}, {0xFE, 0x05, 0x00, 0x01}},
};

TEST(HidReportDescriptor, ReportLengthsIncludeTheIdByteAndTruncatedItemsAreRefused) {
    for (const auto& c : kCases) {
        const auto [name, input, output, numbered] = c.Expected;
        const auto layout = ParseReportDescriptor(c.Descriptor.data(), c.Descriptor.size());
        ASSERT_EQ(layout.has_value(), input >= 0) << name;
        if (!layout) continue;
        EXPECT_EQ(std::tuple(layout->InputReportLength, layout->OutputReportLength,
                             layout->NumberedReports),
                  std::tuple(input, output, numbered))
            << name;
    }
}

} // namespace
} // namespace qn
