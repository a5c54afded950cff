// Connects the bridge on demand, supervises it when idle and shows its state on the status bar.
#include "link/LinkCentre.h"

namespace qn {
namespace {

constexpr char kOnLine[] = "USB On Line";
constexpr char kNotConnected[] = "USB not Connect !!!";

} // namespace

bool LinkCentre::UsbKind() const {
    return stnd_.Interface == kLinkSpecial || stnd_.Interface == kLinkQn740x;
}

void LinkCentre::USBConnect() {
    const auto hold = guard_.Begin();
    if (!hold || !UsbKind()) return;
    uint8_t fresh = 0;
    if (usb_.UsbOpen(stnd_.Usb, fresh) && usb_.UsbIdentify(stnd_.Usb)) {
        status_.SetPanelText(StatusPanel::Bridge, kOnLine);
        panels_.ShowChipTitles();
        return;
    }
    status_.SetPanelText(StatusPanel::Bridge, kNotConnected);
}

void LinkCentre::CheckUsbLink() {
    const auto hold = guard_.Begin();
    if (!hold) return;
    uint8_t fresh = 0;
    if (usb_.UsbOpen(stnd_.Usb, fresh)) {
        status_.SetPanelText(StatusPanel::Bridge, kOnLine);
        return;
    }
    usb_.UsbClose(stnd_.Usb);
    status_.SetPanelText(StatusPanel::Bridge, kNotConnected);
}

// While an operation owns the link, the tick neither checks the link nor reads the ADC; the live
// chart of a running capture is still redrawn.
void LinkCentre::Timer1Timer() {
    if (const auto hold = guard_.Begin()) {
        if (++usb_.IdleTicks >= kIdleCheckTicks) {
            if (UsbKind()) CheckUsbLink();
            usb_.IdleTicks = 0;
        }
        if (ContinuousRead && chip_.ReadAdcResult()) ReadAdcLive();
    }
    if (++chartTicks_ > kChartTicks) {
        if (ChartLive) panels_.RedrawLiveChart();
        chartTicks_ = 0;
    }
}

void LinkCentre::ReadAdcLive() {
    AdcText = AdcResultText(chip_.Readings.Adc, display_.Hex(), display_.Divisor);
    panels_.ShowAdcResult(AdcText);
}

bool LinkCentre::ReopenUsb() {
    const auto hold = guard_.Begin();
    if (!hold) return false;
    usb_.UsbClose(stnd_.Usb);
    uint8_t fresh = 0;
    const bool open = usb_.UsbOpen(stnd_.Usb, fresh);
    status_.SetPanelText(StatusPanel::Bridge, open ? kOnLine : kNotConnected);
    return open;
}

void LinkCentre::ReleaseUsb() {
    const auto hold = guard_.Begin();
    if (!hold || !stnd_.Usb.HandleValid() || !stnd_.Usb.Open) return;
    uint16_t value = 0xFFFF;
    usb_.UsbBridgeControl(stnd_.Usb, 1, value);
    usb_.UsbClose(stnd_.Usb);
}

} // namespace qn
