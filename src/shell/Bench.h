// The Bench owns what the tool holds process-wide: the device record, the link and its centre.
#pragma once

#include "chip/ChipCatalogue.h"
#include "chip/ChipModel.h"
#include "chip/SelectedChipInfo.h"
#include "link/ChipLink.h"
#include "link/Clock.h"
#include "link/DriverLayer.h"
#include "link/HidLayer.h"
#include "link/HostInterfaces.h"
#include "link/LinkCentre.h"
#include "link/LinkRecords.h"
#include "link/SerialLine.h"
#include "link/UsbBridge.h"
#include "shell/settings/Settings.h"
#include "shell/settings/WindowPlacements.h"

#include <string>

namespace qn {

// The outside world as the core sees it: real hardware and windows, or the simulated bench.
struct Platform {
    HidLayer& Hid;
    DriverLayer& Driver;
    SerialPortFactory& SerialPorts;
    Clock& Time;
    EventPump& Pump;
    StatusBar& Status;
    PanelRefresh& Panels;
};

class Bench {
  public:
    explicit Bench(const Platform& platform)
        : Usb(platform.Hid, platform.Driver),
          Chip(Stnd, Usb, platform.Time, platform.Status, platform.Panels),
          Centre(Stnd, Usb, Chip, platform.Status, platform.Panels) {
        Stnd.Serial.Line = platform.SerialPorts.MakeLine();
        Chip.SetChip(&ChipInfo);
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    STND Stnd;
    UsbBridge Usb;
    ChipLink Chip;
    LinkCentre Centre;
    ChipModel Model;
    SelectedChipInfo ChipInfo{Model};
    ChipCatalogue Catalogue{""};
    Settings Config;
    WindowPlacements Places;
    // Folder of the settings and result files, with a trailing separator.
    std::string ProgramDir;
};

} // namespace qn
