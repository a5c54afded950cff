// The link centre: "USB Scan", the 10 ms supervision tick, the idle link check and release.
#pragma once

#include "link/ChipLink.h"
#include "link/HostInterfaces.h"
#include "link/UsbBridge.h"

#include <cstdint>
#include <string>

namespace qn {

inline constexpr uint32_t kIdleCheckTicks = 1000;
inline constexpr int kChartTicks = 25;

// What the ADC panel asks of the tick: continuous single-result reads and how to show them.
struct AdcLiveRead {
    bool ContinuousRead = false; // the panel's "STOP"/"Reading" button
    bool HexOutput = true;       // output mode "HEX" (else "DEC")
    int32_t Divisor = 1;         // from the panel's output width
    std::string Text;            // last text put into the result label
};

class LinkCentre {
  public:
    LinkCentre(STND& stnd, UsbBridge& usb, ChipLink& chip, StatusBar& status, PanelRefresh& panels)
        : stnd_(stnd), usb_(usb), chip_(chip), status_(status), panels_(panels) {}

    void USBConnect();
    void Timer1Timer();
    void CheckUsbLink();
    void ReleaseUsb();

    AdcLiveRead LiveRead;
    bool ChartLive = false; // set by the analysis window while a capture runs

    // Text of the continuous ADC read for the three result bytes.
    static std::string AdcResultText(const std::array<uint8_t, 3>& bytes, bool hex,
                                     int32_t divisor);

  private:
    bool UsbKind() const;
    void ReadAdcLive();

    STND& stnd_;
    UsbBridge& usb_;
    ChipLink& chip_;
    StatusBar& status_;
    PanelRefresh& panels_;
    int chartTicks_ = 0;
};

} // namespace qn
