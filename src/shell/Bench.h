// The Bench owns what the tool holds process-wide: the device record, the link and its centre,
// the chip model and catalogue, the settings and the program's folder.
#pragma once

#include "analysis/AdcCapture.h"
#include "analysis/AnalysisStore.h"
#include "chip/ChipCatalogue.h"
#include "chip/ChipModel.h"
#include "chip/SelectedChipInfo.h"
#include "host/Clock.h"
#include "host/EventPump.h"
#include "host/PanelRefresh.h"
#include "host/Prompt.h"
#include "host/SerialLine.h"
#include "host/StatusBar.h"
#include "instruments/BenchInstruments.h"
#include "link/ChipLink.h"
#include "link/DriverLayer.h"
#include "link/ExchangeGuard.h"
#include "link/HidLayer.h"
#include "link/LinkCentre.h"
#include "link/LinkRecords.h"
#include "link/UsbBridge.h"
#include "run/TempTest.h"
#include "run/TempTestPlan.h"
#include "shell/settings/ConfigFile.h"
#include "shell/settings/Settings.h"
#include "shell/settings/WindowPlacements.h"

#include <filesystem>
#include <string>

namespace qn {

// The outside world as the core sees it: real hardware and windows, or the simulated bench.
struct Platform {
    HidLayer& Hid;
    DriverLayer& Driver;
    SerialPortFactory& SerialPorts;
    Clock& Time;
    EventPump& Windows; // lets window messages through
    StatusBar& Status;
    PanelRefresh& Panels;
    Prompt& Ask;
};

class Bench {
    // Declared first: the members below are built from them.
    const std::string programDir_;
    const ChipCatalogue catalogue_;
    WindowPlacements places_;
    StatusBar& status_;
    AnalysisStore samples_;

  public:
    // `programDir` holds the settings and result files (with a trailing separator);
    // `includeDir` the chip list and chip description files.
    Bench(const Platform& platform, std::string programDir, std::filesystem::path includeDir);
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    // Start-up: both link records closed, no idle time counted.
    void ResetLink();
    // Shutdown: closes the serial bridge and instrument ports and releases the USB bridge.
    void Shutdown();
    // The capture "Catch ADC" makes: the analysis settings, the front end's gain from the
    // register image, 23-bit codes.
    CaptureOptions CatchOptions() const;
    // What a user does on the ADC panel before capturing: the chip converts only while "ADCEN"
    // is 1 and streams its conversions only while "IRQEN" is 1, so each of them that reads 0 is
    // written 1. False when the chip did not take it; fields the chip lacks are left alone.
    bool SwitchAdcOn();
    // The ADC front end's gain and the output rate its oversampling fields select (0 when they
    // select none), both read from the chip model over the register image.
    double FrontEndGain() const;
    double OutputRate() const;
    // Writes `value` into `field` of the chip through the link, each byte the field spans with its
    // read-back, and returns what the register image holds in the field afterwards.
    uint32_t WriteChipField(const RegFieldDesc& field, uint32_t value);
    // Selects chip list entry `index`: rebuilds the chip model from its description file and takes
    // the optocoupler state selection sets. False when the list or description file is missing.
    bool SelectChip(uint16_t index);
    // The setup dialog's channel step after a USB connection: the interface stays "QN740x", then
    // the chip of the device record is selected again (a "52K12" selection moves the link to
    // "Special" from here on).
    bool ChennalComChange();

    // The settings file in the program's folder.
    std::string SettingsPath() const;
    // Reads the settings file into the records; `selectChip` is the chip selection that ends the
    // load. A missing file is first written from the current state, unless `writeNothing`: the
    // defaults it would hold are then read from memory.
    ConfigLoadResult LoadSettings(const SelectChipFn& selectChip, bool writeNothing = false);
    // Writes the settings file from the records; false with the reason in `problem`.
    bool SaveSettings(std::string* problem);

    // The program's folder, with a trailing separator.
    const std::string& ProgramDir() const { return programDir_; }
    // The chip list and chip description files.
    const ChipCatalogue& Catalogue() const { return catalogue_; }
    // The window placement file's contents; the main window restores and saves them.
    WindowPlacements& Places() { return places_; }
    // The status bar the core's messages go to.
    StatusBar& Status() const { return status_; }
    // The samples of the last ADC capture and their noise figures: the analysis window's store,
    // which it rescales and saves.
    AnalysisStore& Samples() { return samples_; }

    Settings Config;
    STND Stnd;
    // Everything that waits and lets window messages through pumps through the guard.
    ExchangeGuard Guard;
    UsbBridge Usb;
    ChipLink Chip;
    LinkCentre Centre;
    ChipModel Model;
    // The ADC capture into Samples(): the analysis window's "Catch ADC" and the temperature test.
    AdcCapture Capture;
    // Questions to the user; while an operation runs, their dialogs start no exchange.
    GuardedPrompt Ask;
    // Calibrator, power supply and chamber with their ports and step tables.
    BenchInstruments Instruments;
    // The temperature test's settings and grids, and the sequence that runs them.
    TempTestPlan Plan;
    TempTest Temp;

  private:
    // The records the settings file is read into and written from.
    ConfigTargets SettingsTargets();

    // What the link needs of the selected chip, read from Model.
    SelectedChipInfo chipInfo_{Model};
    Subscription tempSnapshots_; // the state beside each file a run writes
};

} // namespace qn
