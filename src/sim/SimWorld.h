// One simulated bench: a bridge reachable over the driver, HID and the serial bridge port, and
// the lab around it: calibrator on COM1, supply on COM2, chamber on COM3.
#pragma once

#include "sim/SimBridge.h"
#include "sim/SimCalibrator.h"
#include "sim/SimChamber.h"
#include "sim/SimDriverLayer.h"
#include "sim/SimHidLayer.h"
#include "sim/SimPowerSupply.h"
#include "sim/SimSerialBridge.h"
#include "sim/SimSerialLine.h"

#include <optional>

namespace qn {

// The calibrator drives the chip's input while it operates (in standby its terminals are open
// and the bridge's own input value stands); the chip's sensor reads the board's own temperature,
// which follows the chamber's air with a first-order lag of 3 minutes (kSimBoardLagMs): after a
// step of the air the board has gone 63 % of the way in 3 minutes and 99 % in 14.
class SimWorld final : private SimAnalogSource {
  public:
    explicit SimWorld(Clock& clock)
        : Bridge(clock), SerialBridge(Bridge.Registers), Calibrator(clock), Supply(clock),
          Chamber(clock) {
        Driver.AddDevice(Bridge);
        SerialPorts.Connect("COM1", Calibrator);
        SerialPorts.Connect("COM2", Supply);
        SerialPorts.Connect("COM3", Chamber);
        SerialPorts.Connect("COM16", SerialBridge);
        Bridge.SetAnalogSource(this);
    }
    ~SimWorld() override { Bridge.SetAnalogSource(nullptr); }
    SimWorld(const SimWorld&) = delete;
    SimWorld& operator=(const SimWorld&) = delete;

    // Bridge frames and instrument lines go to `trace` as the real transports write them.
    void TraceTo(BusTrace& trace) {
        Driver.TraceTo(trace);
        Hid.TraceTo(trace);
        SerialPorts.TraceTo(trace);
    }

    SimBridge Bridge;
    SimSerialBridge SerialBridge;
    SimCalibrator Calibrator;
    SimPowerSupply Supply;
    SimChamber Chamber;
    SimDriverLayer Driver;
    SimHidLayer Hid;
    SimSerialPortFactory SerialPorts;
    // The board draws its power from the supply: while the supply's output is off the chip
    // makes no conversions.
    bool SupplyPowersChip = false;

  private:
    std::optional<double> InputVolts() override {
        if (!Calibrator.Operating()) return std::nullopt;
        return Calibrator.OutputVolts();
    }
    uint16_t TemperatureCode() override { return SimSensorCode(Chamber.BoardCelsius()); }
    bool ChipPowered() override { return !SupplyPowersChip || Supply.OutputOn(); }
};

} // namespace qn
