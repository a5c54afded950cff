// The one road to the chip: reads and writes in the frames of the current link kind, register
// writes with read-back into the register image, and the bridge's own ADC and status commands.
#pragma once

#include "host/Clock.h"
#include "host/PanelRefresh.h"
#include "host/StatusBar.h"
#include "link/AdcResultDisplay.h"
#include "link/ChipLinkInfo.h"
#include "link/ExchangeGuard.h"
#include "link/LinkFrames.h"
#include "link/LinkRecords.h"
#include "link/SerialBridgeLink.h"
#include "link/UsbBridge.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace qn {

inline constexpr int kMaxSamplesPerFetch = 21;
inline constexpr size_t kAdcRecordSize = 3;
// The bridge gathers at most 21 records between two fetches this far apart.
inline constexpr double kFetchIntervalMs = 10;

// One answer of the ADC stream.
struct AdcRecords {
    int Count = 0; // records in the answer, 0..21
    // Three bytes a record, most significant first.
    std::array<uint8_t, kAdcRecordSize * kMaxSamplesPerFetch> Bytes{};
    double AskedMs = 0; // steady time the request went out

    std::span<const uint8_t, kAdcRecordSize> Record(int k) const {
        return std::span(Bytes)
            .subspan(kAdcRecordSize * static_cast<size_t>(k))
            .first<kAdcRecordSize>();
    }
};

// Registers that the register write treats apart.
inline constexpr int kPairBaseRegister = 26; // 27 is written only together with it
inline constexpr int kPairedRegister = 27;   // write-only: goes out as a two-byte write at 26
inline constexpr int kSlowRegisterA = 49;    // these two need a second before they read back
inline constexpr int kSlowRegisterB = 50;
// Registers kept per function choice of the analysis window: 60..64 at preset entries 0..4,
// and 48 at entry 5.
inline constexpr int kPresetFirstRegister = 60;
inline constexpr int kPresetLastRegister = 64;
inline constexpr int kPresetExtraRegister = 48;
inline constexpr size_t kPresetExtraEntry = 5;

// Settings of other windows that change what goes over the link.
struct LinkOptions {
    bool Optocoupler = true; // setup dialog's optocoupler box: "Special" frames start BE, not BA
    int FunctionChoice = 0;  // analysis window's function choice: which ADC preset a write updates
};

class ChipLink {
  public:
    ChipLink(STND& stnd, UsbBridge& usb, ExchangeGuard& guard, Clock& clock, StatusBar& status,
             PanelRefresh& panels)
        : stnd_(stnd), usb_(usb), guard_(guard), clock_(clock), status_(status), panels_(panels),
          serial_(stnd.Serial, usb.UsbIoBuffer, clock, status) {}

    void SetChip(const ChipLinkInfo* chip) { chip_ = chip; }

    // The n bytes at chip address a; none when the read failed.
    ChipBytes ReadChip(uint16_t a, uint16_t n, int dev = 0);
    // Writes `data` at chip address a. "QN740x" frames carry the shadow registers from a on
    // instead, as many as `data` holds.
    bool WriteChip(uint16_t a, std::span<const uint8_t> data, int dev = 0);
    void WriteRegister(int a, uint8_t v, int dev = 0);
    void StoreRegister(int a, uint8_t v, int dev = 0);
    uint8_t GetReg(int a, int dev = 0) const;
    void SetReg(int a, uint8_t v, int dev = 0);

    // One fetch of the stream, never sooner than kFetchIntervalMs after the previous one began.
    AdcRecords FetchAdcSamples(int dev = 0);
    bool ReadAdcResult();
    bool ReadTempResult();
    bool StartTempConversion();
    bool StartAdcStream(uint8_t mode);
    bool StopAdcStream();
    bool ReadBridgeLines(Devc& devc, uint8_t& l1, uint8_t& l2, uint8_t& l3);
    bool ReadBridgeVersion(Devc& devc, std::string& version);

    ShadowBytes ChipShadow{};
    std::array<uint8_t, 6> AdcPresetA{};
    std::array<uint8_t, 6> AdcPresetB{};
    LinkOptions Options;
    AdcReadings Readings;
    SerialBridgeLink& Serial() { return serial_; }

  private:
    ChipBytes ReadSpecial(uint16_t a, uint16_t n);
    bool WriteSpecial(uint16_t a, std::span<const uint8_t> data);
    ChipBytes ReadQn740x(uint16_t a, uint16_t n);
    bool WriteQn740x(uint16_t a, uint16_t n);
    SpecialFrameOptions SpecialOptions() const;
    ChipBytes BufferBytes(size_t from, uint16_t n) const;
    // Puts the frame in the buffer and exchanges it with the bridge.
    bool Send(const LinkFrame& frame) { return SendTo(stnd_.Usb, frame); }
    bool SendTo(Devc& devc, const LinkFrame& frame);
    bool WriteFieldRegister(const char* field, uint8_t orMask);
    void KeepPreset(int a, uint8_t v);
    std::array<uint8_t, kUsbIoAreaSize>& Io() { return usb_.UsbIoBuffer; }
    const std::array<uint8_t, kUsbIoAreaSize>& Io() const { return usb_.UsbIoBuffer; }

    STND& stnd_;
    UsbBridge& usb_;
    ExchangeGuard& guard_;
    Clock& clock_;
    StatusBar& status_;
    PanelRefresh& panels_;
    SerialBridgeLink serial_;
    const ChipLinkInfo* chip_ = nullptr;
    double nextFetchMs_ = 0; // the next stream fetch goes out no sooner
};

} // namespace qn
