// What the chip's panels work on: the chip model, the register image, the one road to the chip,
// the user's answers, the status bar and the spreadsheet export.
#pragma once

#include "chip/ChipModel.h"
#include "chip/RegField.h"
#include "host/Prompt.h"
#include "host/SheetWriter.h"
#include "host/StatusBar.h"
#include "link/AdcResultDisplay.h"

#include <functional>
#include <string>

namespace qn {

struct ChipPanelContext {
    ChipModel& Model;
    const RegImageBytes& Image;
    // Writes one register byte to the chip, reads it back into the image and refreshes the RAM,
    // register and ADC panels (WriteRegister). A panel never writes the image itself.
    RegisterWriter Write;
    // Puts a byte into the image and refreshes the panels without writing the chip
    // (StoreRegister; loading a RAM file).
    RegisterWriter Store;
    Prompt& Ask;
    StatusBar& Status;
    SheetWriter& Sheets;
    // The program's folder, with a trailing separator (default place of files).
    std::string ProgramDir;
};

// What the ADC panel needs of the link besides register writes: the single ADC and temperature
// results, the result display settings that QnADC.cfg keeps, and the link timer's continuous read.
struct AdcPanelLink {
    std::function<bool()> ReadAdcResult;  // reads the result bytes into Readings
    std::function<bool()> ReadTempResult; // reads the temperature bytes into Readings
    const AdcReadings& Readings;
    AdcResultDisplay& Display;
    bool& ContinuousRead; // while set, the link timer reads the result and shows its text
};

} // namespace qn
