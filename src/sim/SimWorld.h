// One simulated bench: a bridge reachable over the driver, HID and the serial bridge port.
#pragma once

#include "sim/SimBridge.h"
#include "sim/SimDriverLayer.h"
#include "sim/SimHidLayer.h"
#include "sim/SimSerialBridge.h"
#include "sim/SimSerialLine.h"

namespace qn {

class SimWorld {
  public:
    explicit SimWorld(Clock& clock) : Bridge(clock), SerialBridge(Bridge.Registers) {
        Driver.AddDevice(Bridge);
        SerialPorts.Connect("COM16", SerialBridge);
    }
    SimWorld(const SimWorld&) = delete;
    SimWorld& operator=(const SimWorld&) = delete;

    SimBridge Bridge;
    SimSerialBridge SerialBridge;
    SimDriverLayer Driver;
    SimHidLayer Hid;
    SimSerialPortFactory SerialPorts;
};

} // namespace qn
