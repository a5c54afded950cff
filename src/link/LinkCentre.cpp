// Connects the bridge on demand, supervises it when idle and shows its state on the status bar.
#include "link/LinkCentre.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace qn {
namespace {

constexpr char kOnLine[] = "USB On Line";
constexpr char kNotConnected[] = "USB not Connect !!!";

} // namespace

bool LinkCentre::UsbKind() const {
    return stnd_.Interface == kLinkSpecial || stnd_.Interface == kLinkQn740x;
}

void LinkCentre::USBConnect() {
    if (!UsbKind()) return;
    uint8_t fresh = 0;
    if (usb_.UsbOpen(stnd_.Usb, fresh) && usb_.UsbIdentify(stnd_.Usb)) {
        status_.SetPanelText(0, kOnLine);
        panels_.ShowChipTitles();
        return;
    }
    status_.SetPanelText(0, kNotConnected);
}

void LinkCentre::CheckUsbLink() {
    uint8_t fresh = 0;
    if (usb_.UsbOpen(stnd_.Usb, fresh)) {
        status_.SetPanelText(0, kOnLine);
        return;
    }
    usb_.UsbClose(stnd_.Usb);
    status_.SetPanelText(0, kNotConnected);
}

void LinkCentre::Timer1Timer() {
    if (++usb_.IdleTicks >= kIdleCheckTicks) {
        if (UsbKind()) CheckUsbLink();
        usb_.IdleTicks = 0;
    }
    if (LiveRead.ContinuousRead && chip_.ReadAdcResult()) ReadAdcLive();
    if (++chartTicks_ > kChartTicks) {
        if (ChartLive) panels_.RedrawLiveChart();
        chartTicks_ = 0;
    }
}

void LinkCentre::ReadAdcLive() {
    LiveRead.Text = AdcResultText(chip_.Readings.Adc, LiveRead.HexOutput, LiveRead.Divisor);
    panels_.ShowAdcResult(LiveRead.Text);
}

std::string LinkCentre::AdcResultText(const std::array<uint8_t, 3>& b, bool hex, int32_t divisor) {
    const int32_t raw = (b[0] * 65536 + b[1] * 256 + b[2]) >> 1;
    const int32_t value = raw / (divisor > 0 ? divisor : 1); // a zero divisor reads as 1
    if (hex) {
        char text[16];
        const auto end = std::to_chars(text, text + sizeof text, value, 16).ptr;
        std::string upper(text, end);
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](char c) { return static_cast<char>(std::toupper(c)); });
        return upper;
    }
    return std::to_string(b[0] >= 0x80 ? value - 8388608 : value);
}

void LinkCentre::ReleaseUsb() {
    if (!stnd_.Usb.HandleValid() || !stnd_.Usb.Open) return;
    uint16_t value = 0xFFFF;
    usb_.UsbBridgeControl(stnd_.Usb, 1, value);
    usb_.UsbClose(stnd_.Usb);
}

} // namespace qn
