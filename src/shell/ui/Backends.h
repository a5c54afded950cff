// The bench's outside world: the real hidapi, libusb and serial back ends, the simulated bench, or
// the simulated board or lab beside the real other part.
#pragma once

#include "files/BusTrace.h"
#include "host/SerialLine.h"
#include "link/DriverLayer.h"
#include "link/HidLayer.h"
#include "shell/CommandLine.h"

#include <QString>

#include <memory>

namespace qn {

class ChipModel;
class Clock;
class SimWorld;

class Backends {
  public:
    // The simulated parts run on `clock`; the real serial ports read their port map from
    // `programFolder`. A simulated board answers over HID, the bulk driver and the serial
    // bridge's port; a simulated lab on COM1 to COM3; every other port is a real one. Every
    // transport writes to the bus trace, which is on when QN_BUS_TRACE names a file.
    Backends(Simulated parts, Clock& clock, const QString& programFolder);
    ~Backends();
    Backends(const Backends&) = delete;
    Backends& operator=(const Backends&) = delete;

    HidLayer& Hid() { return *hid_; }
    DriverLayer& Driver() { return *driver_; }
    SerialPortFactory& SerialPorts() { return *serial_; }
    // The simulated chip follows the chip the tool selected; a real board needs nothing.
    void ChipSelected(const ChipModel& model);
    // The simulated bench; null when nothing is simulated.
    SimWorld* Sim() { return sim_.get(); }

  private:
    BusTrace trace_; // first made, last gone: every layer below writes to it
    Simulated parts_;
    std::unique_ptr<SimWorld> sim_;
    std::unique_ptr<HidLayer> ownHid_;
    std::unique_ptr<DriverLayer> ownDriver_;
    std::unique_ptr<SerialPortFactory> realSerial_;
    std::unique_ptr<SerialPortFactory> routedSerial_;
    HidLayer* hid_ = nullptr;
    DriverLayer* driver_ = nullptr;
    SerialPortFactory* serial_ = nullptr;
};

} // namespace qn
