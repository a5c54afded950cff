// The descriptor and interface replies of the driver layer, and its error codes.
#include "link/DriverReplies.h"
#include "platform/LibusbErrors.h"
#include "platform/LibusbDriverLayer.h"

#include <libusb.h>

#include <gtest/gtest.h>

#include <numeric>

namespace qn {
namespace {

uint32_t Word32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0] | (at[1] << 8) | (at[2] << 16) | (at[3] << 24));
}

TEST(DriverReplies, DescriptorBlockCarriesTheDeviceDescriptorThenZeros) {
    std::array<uint8_t, 18> descriptor{};
    std::iota(descriptor.begin(), descriptor.end(), uint8_t{0xA0});
    const auto block = DescriptorBlock(descriptor.data());
    for (size_t i = 0; i < block.size(); ++i)
        EXPECT_EQ(block[i], i < 18 ? descriptor[i] : 0) << "byte " << i;
}

TEST(DriverReplies, InterfaceBlockHeaderAndPipesInDescriptorOrder) {
    const InterfaceFacts facts{0,
                               1,
                               0xFF,
                               0x02,
                               0x03,
                               {{0x81, 0x02, 64, 0},
                                {0x01, 0x02, 512, 0},
                                {0x83, 0x03, 8, 10},
                                {0x04, 0x01, 1023, 1},
                                {0x00, 0x00, 64, 0}}};
    const auto block = InterfaceInfoBlock(facts, 0x500);
    EXPECT_EQ(block[0] | (block[1] << 8), 16 + 5 * 20);
    EXPECT_EQ(block[2], 0);
    EXPECT_EQ(block[3], 1);
    EXPECT_EQ(block[4], 0xFF);
    EXPECT_EQ(block[5], 0x02);
    EXPECT_EQ(block[6], 0x03);
    EXPECT_EQ(Word32(&block[8]), 0x500u);
    EXPECT_EQ(Word32(&block[12]), 5u);
    const uint32_t types[] = {2, 2, 3, 1, 0};
    for (size_t i = 0; i < kPipeCount; ++i) {
        SCOPED_TRACE("pipe " + std::to_string(i));
        const auto pipe = PipeRecord::FromBytes(block.data() + 16 + 20 * i);
        if (i >= facts.Endpoints.size()) {
            EXPECT_EQ(pipe.EndpointAddress, 0);
            EXPECT_EQ(pipe.PipeHandle, 0u);
            continue;
        }
        EXPECT_EQ(pipe.EndpointAddress, facts.Endpoints[i].Address);
        EXPECT_EQ(pipe.MaximumPacketSize, facts.Endpoints[i].MaxPacketSize);
        EXPECT_EQ(pipe.Interval, facts.Endpoints[i].Interval);
        EXPECT_EQ(pipe.PipeType, types[i]);
        EXPECT_EQ(pipe.PipeHandle, 0x500u + i + 1);
        EXPECT_EQ(pipe.MaximumTransferSize, kDriverMaxTransferSize);
        EXPECT_EQ(pipe.PipeFlags, 0u);
    }
}

TEST(DriverReplies, AtMostSeventeenPipes) {
    InterfaceFacts facts;
    for (uint8_t i = 0; i < 20; ++i) facts.Endpoints.push_back({i, 2, 64, 0});
    const auto block = InterfaceInfoBlock(facts, 0x100);
    EXPECT_EQ(Word32(&block[12]), 17u);
    EXPECT_EQ(block[0] | (block[1] << 8), 16 + 17 * 20);
    EXPECT_EQ(PipeRecord::FromBytes(block.data() + 16 + 20 * 16).EndpointAddress, 16);
}

TEST(DriverReplies, LibusbErrorsBecomeDriverErrors) {
    const std::pair<int, uint32_t> cases[] = {
        {LIBUSB_SUCCESS, 0},
        {LIBUSB_ERROR_TIMEOUT, kDriverErrorTimeout},
        {LIBUSB_ERROR_NO_DEVICE, kDriverErrorDeviceGone},
        {LIBUSB_ERROR_PIPE, kDriverErrorDeviceGone},
        {LIBUSB_ERROR_IO, kDriverErrorDeviceGone},
        {LIBUSB_ERROR_ACCESS, kDriverErrorAccessDenied},
        {LIBUSB_ERROR_BUSY, kDriverErrorBusy},
        {LIBUSB_ERROR_NOT_FOUND, kDriverErrorFileNotFound},
        {LIBUSB_ERROR_INVALID_PARAM, kDriverErrorBadParameter},
    };
    for (const auto& [libusb, driver] : cases)
        EXPECT_EQ(DriverErrorFromLibusb(libusb), driver) << libusb_error_name(libusb);
}

TEST(DriverReplies, DeviceNamesMapToIndexes) {
    EXPECT_EQ(DriverDeviceIndex("\\\\.\\Qnusb-0"), 0);
    EXPECT_EQ(DriverDeviceIndex("\\\\.\\Qnusb-31"), 31);
    for (const char* name : {"\\\\.\\Qnusb-32", "\\\\.\\Qnusb-", "Qnusb-1", "\\\\.\\Qnusb-01",
                             "\\\\.\\qnusb-1", "", "\\\\.\\Qnusb--1"})
        EXPECT_EQ(DriverDeviceIndex(name), -1) << name;
}

} // namespace
} // namespace qn
