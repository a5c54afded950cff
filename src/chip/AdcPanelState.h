// What the ADC panel shows and what its controls write, worked out from the chip model, the
// register image and the last results; the window only presents it.
#pragma once

#include "chip/ChipModel.h"
#include "chip/RegField.h"
#include "link/AdcResultDisplay.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// The panel's fields in the order the data update reads them.
inline constexpr std::array<std::string_view, 20> kAdcPanelFields = {
    "OSCS", "VRPS",  "VRNS", "ENLDO", "TS",  "REFO", "ENREFO", "ADCEN", "ENOP", "HS",
    "OSM",  "IRQEN", "OSR",  "FSRB",  "INP", "INN",  "LDO",    "PGA",   "ADGN", "DCSET"};

// One field as its control shows it.
struct AdcFieldView {
    bool Defined = false; // the chip file defines it: only then is its control enabled
    uint32_t Value = 0;   // the field's value in the image
    int Shown = 0;        // the combo index or switch state shown, after the display's clamps
};

// Everything the panel shows.
struct AdcPanelView {
    std::map<std::string, AdcFieldView, std::less<>> Fields;
    int InpLabel = 0;             // LINP0..LINP7 highlighted
    int InnLabel = 0;             // LINN0..LINN7 highlighted
    std::string PgaGain;          // TXPGAGNS, "x 128"
    bool PgaBypassClosed = false; // PGA 0: the two gain-bypass switches drawn closed
    std::string AdcGain;          // TXADGNS, "ADGN = 4"
    std::string DcOffset;         // TXDCSETS, "+1/8*VRE"
    std::string OutputRate;       // TXOSR, "ADC_CK = 2560sps"
    int ClockLabel = 0;           // index of the highlighted LOSCS0..LOSCS3 label
    std::string Ldo;              // LLDO: the LDO combo's item text
    std::string RefOut;           // TXREFOS, "1.5V" / "1.2V"
    std::string FullScale;        // TXFRb, "FRb = full" / "FRb = 1/2"
    int VrpsLabel = 0;            // highlighted: 0 "V12" (LV12P), 1 "VDDA" (LVDDAP), 2 "REFP"
    bool VrpsBufferOn = false;    // VERBUFFon0 shown (else VERBUFFoff0)
    int VrnsLabel = 0;            // highlighted: 0 "V12" (LV12N), 1 "VSSA" (LVDDAN), 2 "REFN"
    bool VrnsBufferOn = false;    // VERBUFFon1 shown (else VERBUFFoff1)
    std::string AdcText;          // TXADC
    std::string TempText;         // the temperature result label
    // The texts of LOSCS0..LOSCS3: "/15", "/5", then the chip file's names of OSCS 0 and 1.
    std::array<std::string, 4> ClockTexts;
};

// Reads every field from the image into its descriptor's value and works out every control,
// then the result labels (the data update).
AdcPanelView ReadAdcPanel(ChipModel& model, const RegImageBytes& image, const AdcReadings& readings,
                          const AdcResultDisplay& display);

// The result label of a panel just created: "ADC OFF" while the chip's ADC enable is off, else
// the view's result text. Every later refresh shows the result.
std::string AdcTextAtCreation(const AdcPanelView& view);

// Items of a field's combo box: the names the chip file gives, else binary texts of the field's
// values ("000" … "111" for INP, "00" … "11" for ADGN).
std::vector<std::string> AdcComboItems(const ChipModel& model, std::string_view field);

// Conversions per second at an "OSR" combo index (0 fastest .. 7 slowest), tripled by "HS".
int AdcOutputRate(int osr, bool highSpeed);

// The register byte a control writes.
struct FieldWrite {
    int Address = 0;
    uint8_t Byte = 0;        // the whole new register byte (read-modify-write of the image)
    uint32_t FieldValue = 0; // the field's new value
    bool Reverted = false;   // the choice lay beyond the field's width: the stored value is kept
};

// A selector choice `item` for `field`; none for a field the chip does not define.
std::optional<FieldWrite> SelectorWrite(const ChipModel& model, const RegImageBytes& image,
                                        std::string_view field, int item);
// A switch toggle of `field` (0 becomes 1, anything else 0); none for an undefined field.
std::optional<FieldWrite> ToggleWrite(const ChipModel& model, const RegImageBytes& image,
                                      std::string_view field);

} // namespace qn
