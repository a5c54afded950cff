// The bench's outside world: the real hidapi, libusb and serial back ends, or the simulated bench.
#pragma once

#include "files/BusTrace.h"
#include "host/SerialLine.h"
#include "link/DriverLayer.h"
#include "link/HidLayer.h"

#include <QString>

#include <memory>

namespace qn {

class ChipModel;
class Clock;
class SimWorld;

class Backends {
  public:
    // The simulated bench runs on `clock`; the real serial ports read their port map from
    // `programFolder`. Every transport writes to the bus trace, which is on when QN_BUS_TRACE
    // names a file.
    Backends(bool simulate, Clock& clock, const QString& programFolder);
    ~Backends();
    Backends(const Backends&) = delete;
    Backends& operator=(const Backends&) = delete;

    HidLayer& Hid() { return *hid_; }
    DriverLayer& Driver() { return *driver_; }
    SerialPortFactory& SerialPorts() { return *serial_; }
    // The simulated chip follows the chip the tool selected; real hardware needs nothing.
    void ChipSelected(const ChipModel& model);
    // The simulated bench; null on real hardware.
    SimWorld* Sim() { return sim_.get(); }

  private:
    BusTrace trace_; // first made, last gone: every layer below writes to it
    std::unique_ptr<SimWorld> sim_;
    std::unique_ptr<HidLayer> ownHid_;
    std::unique_ptr<DriverLayer> ownDriver_;
    std::unique_ptr<SerialPortFactory> ownSerial_;
    HidLayer* hid_ = nullptr;
    DriverLayer* driver_ = nullptr;
    SerialPortFactory* serial_ = nullptr;
};

} // namespace qn
