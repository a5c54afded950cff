// libFuzzer target: arbitrary answers of the USB bridge, behind the kernel driver or as HID
// reports, and of the serial bridge: the open and identity handshake, chip reads and writes of
// every link kind, the bridge's own ADC commands, and a capture that decodes the streamed records.
#include "FuzzAnswers.h"
#include "analysis/AdcCapture.h"
#include "analysis/AnalysisStore.h"
#include "analysis/Decoding.h"
#include "host/EventPump.h"
#include "host/PanelRefresh.h"
#include "link/ChipLink.h"
#include "link/ExchangeGuard.h"
#include "link/LinkCentre.h"
#include "link/UsbBridge.h"

#include <cstring>

namespace qn::fuzz {

// The next answer into a buffer of `length` bytes (a longer answer is cut); false when the
// answer's delay byte says the transfer fails.
bool Deliver(AnswerScript& script, uint8_t* out, size_t length, size_t& count) {
    const AnswerScript::Answer answer = script.Next();
    if ((answer.Lead & 1) != 0) return false;
    count = std::min(length, answer.Bytes.size());
    if (count > 0) std::memcpy(out, answer.Bytes.data(), count);
    return true;
}

// The bridge behind the kernel driver ("\\.\Qnusb-0") or on the HID layer (index 0), present on
// either when its flag is set; its HID attributes and every answer come from the script.
class ScriptedBridge final : public DriverLayer, public HidLayer {
  public:
    ScriptedBridge(AnswerScript& script, bool onDriver, bool onHid)
        : script_(script), onDriver_(onDriver), onHid_(onHid) {}
    DriverHandle CreateFile(const std::string& path) override {
        return onDriver_ && path == DriverDeviceName(0) ? 3 : kInvalidDriver;
    }
    bool DeviceIoControl(DriverHandle handle, uint32_t code, const uint8_t* in, size_t inLength,
                         uint8_t* out, size_t outLength, uint32_t& returned) override {
        returned = 0;
        if (handle != 3) return false;
        if (code == kIoctlBulkWrite || code == kIoctlBulkRead)
            Require(in != nullptr && inLength == 4 && (in[0] == 0 || in[0] == 1));
        if (code == kIoctlBulkWrite) return true; // the data go out; nothing comes back
        size_t count = 0;
        if (!Deliver(script_, out, outLength, count)) return false;
        returned = static_cast<uint32_t>(count);
        return true;
    }
    void CloseHandle(DriverHandle /*handle*/) override {}
    uint32_t GetLastError() override { return 0; }

    HidHandle Hid_GetDeviceH(uint8_t& found, int index) override {
        found = onHid_ && index == 0 ? 1 : 0;
        return found != 0 ? 9 : kInvalidHid;
    }
    bool Hid_Get_att(HidHandle /*handle*/, uint16_t& inputReportLength,
                     uint16_t& outputReportLength, HidAttributes& attributes) override {
        std::string text = script_.Text(10);
        text.resize(10, '\0'); // zeros once the input has run out
        const auto* b = reinterpret_cast<const uint8_t*>(text.data());
        const auto word = [&](size_t i) { return static_cast<uint16_t>(b[i] | b[i + 1] << 8); };
        inputReportLength = word(0);
        outputReportLength = word(2);
        attributes = {word(4), word(6), word(8)};
        return true;
    }
    bool WriteReport(HidHandle /*handle*/, const uint8_t* report, size_t length) override {
        Require(length >= 2);
        sink = sink + report[0] + report[length - 1];
        return true;
    }
    bool ReadReport(HidHandle /*handle*/, uint8_t* report, size_t length) override {
        size_t count = 0;
        return Deliver(script_, report, length, count);
    }
    void Close(HidHandle /*handle*/) override {}

  private:
    AnswerScript& script_;
    bool onDriver_, onHid_;
};

// Input layout: one byte choosing the bridge (bit 0: behind the driver or HID; bit 1: present at
// all) and the link kind, then the answers in the order they are asked for.
void Fuzz(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const uint8_t choice = data[0];
    AnswerScript script(data + 1, size - 1);
    const bool present = (choice & 2) == 0;
    ScriptedBridge bridge(script, present && (choice & 1) == 0, present && (choice & 1) != 0);

    SimClock clock;
    NoStatus status;
    PanelRefresh panels;
    NullEventPump windows;
    ExchangeGuard guard(clock, windows, panels);
    STND stnd;
    UsbBridge usb(bridge, bridge);
    ChipLink link(stnd, usb, guard, clock, status, panels);
    AdcResultDisplay display;
    LinkCentre centre(stnd, usb, link, guard, display, status, panels);

    uint8_t fresh = 0;
    const bool open = usb.UsbOpen(stnd.Usb, fresh);
    Require(open == stnd.Usb.Open);
    Require(open ? fresh == kFreshNewBridge : fresh == kFreshNothingFound);
    if (open && usb.UsbIdentify(stnd.Usb))
        Require(std::memcmp(usb.UsbIoBuffer.data(), "Brenmoss", 8) == 0);

    static const uint16_t kKinds[] = {kLinkQn740x, kLinkSpecial, kLinkRs232};
    stnd.Interface = kKinds[(choice >> 2) % 3];
    if (stnd.Interface == kLinkRs232) {
        stnd.Serial.Line = AnswerLine(clock, script);
        stnd.Serial.Line->Open("COM16");
    }
    // Once the input has run out every further exchange only fails or times out: the run ends
    // there.
    link.ReadChip(0, 5);
    link.ReadChip(0x1F0, 255);
    if (script.Empty()) return;
    link.WriteRegister(2, 0x5A);
    link.WriteRegister(kPairedRegister, 0x11);
    link.WriteChip(0x100, std::vector<uint8_t>(250));
    if (script.Empty()) return;
    std::string version;
    link.ReadBridgeVersion(stnd.Usb, version);
    Require(version.empty() || version.size() == 8);
    uint8_t l1 = 0, l2 = 0, l3 = 0;
    link.ReadBridgeLines(stnd.Usb, l1, l2, l3);
    link.ReadAdcResult();
    link.ReadTempResult();
    if (script.Empty()) return;

    const int fetched = link.FetchAdcSamples().Count;
    Require(fetched >= 0 && fetched <= kMaxSamplesPerFetch);
    // The records decode into the codes their mode allows.
    for (int k = 0; k < fetched; ++k) {
        const uint8_t* r = usb.UsbIoBuffer.data() + 1 + 3 * k;
        for (const bool halve : {false, true}) {
            const int32_t t = DecodeRecord(kMode16Temperature, r[0], r[1], r[2], {halve, false});
            Require(t >= 0 && t <= (halve ? 0x7FFF : 0xFFFF));
            for (const bool full : {false, true}) {
                const int32_t c = DecodeRecord(kMode24Polled, r[0], r[1], r[2], {halve, full});
                Require(c >= -0x800000 && c < 0x800000);
                const int32_t scaled = ScaledValue(c, r[2] - 8);
                Require(scaled == 0 || (scaled < 0) == (c < 0));
                Require(scaled >= -0x800000 && scaled < 0x800000);
            }
        }
    }
    if (script.Empty()) return;

    // A short capture through the stream commands, as "Catch ADC" makes it.
    static AnalysisStore store; // large arrays: made once
    AdcCapture capture({link, guard, clock, status, centre, store});
    const CaptureOptions options{.NPoint = 64,
                                 .ScaleDiv = 1 + (choice >> 5),
                                 .Decode = {.HalveCodes = (choice & 0x10) != 0}};
    capture.ReadADCALL((choice & 0x20) != 0 ? kMode16Temperature : kMode24Interrupt, options);
    Require(store.SampleCount >= 0 && store.SampleCount <= options.NPoint);
}

} // namespace qn::fuzz
