// The link centre: "USB Scan", the 10 ms supervision tick, the idle link check and release.
#pragma once

#include "host/PanelRefresh.h"
#include "host/StatusBar.h"
#include "link/AdcResultDisplay.h"
#include "link/ChipLink.h"
#include "link/ExchangeGuard.h"
#include "link/UsbBridge.h"

#include <cstdint>
#include <string>

namespace qn {

inline constexpr uint32_t kIdleCheckTicks = 1000;
inline constexpr int kChartTicks = 25;

class LinkCentre {
  public:
    LinkCentre(STND& stnd, UsbBridge& usb, ChipLink& chip, ExchangeGuard& guard,
               const AdcResultDisplay& display, StatusBar& status, PanelRefresh& panels)
        : stnd_(stnd), usb_(usb), chip_(chip), guard_(guard), display_(display), status_(status),
          panels_(panels) {}

    void USBConnect();
    void Timer1Timer();
    void CheckUsbLink();
    void ReleaseUsb();
    // Closes the bridge connection and opens it again (each temperature test row starts so),
    // showing whether it came back; true when it is open.
    bool ReopenUsb();

    bool ContinuousRead = false; // the ADC panel's "STOP"/"Reading" button
    std::string AdcText;         // last text put into the ADC panel's result label
    bool ChartLive = false;      // set by the analysis window while a capture runs

  private:
    bool UsbKind() const;
    void ReadAdcLive();

    STND& stnd_;
    UsbBridge& usb_;
    ChipLink& chip_;
    ExchangeGuard& guard_;
    const AdcResultDisplay& display_;
    StatusBar& status_;
    PanelRefresh& panels_;
    int chartTicks_ = 0;
};

} // namespace qn
