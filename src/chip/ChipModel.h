// The selected chip's description: names, areas, banks, register lists, fields and gain tables.
#pragma once

#include "chip/RegField.h"
#include "chip/RegisterLists.h"
#include "link/RegImage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qn {

inline constexpr int kRamBankCount = 5;
inline constexpr int kRegPageCount = 4;

// An address range [Start, End] of the chip file; present when End > Start.
struct AddressRange {
    uint16_t Start = 0;
    uint16_t End = 0;

    bool Present() const { return End > Start; }
    bool Contains(int address) const { return address >= Start && address <= End; }
};

// What chip selection shows or hides in the windows; the windows apply it.
struct ChipControls {
    // Main window menu items.
    bool EnobTest = false;       // "ENOB Test"
    bool ContinuousRead = false; // "連續讀取"
    bool Fluke = false;          // "Fluke"
    bool Power = false;          // "Power"
    bool FileMenu = false;       // "File"
    bool SaveFluke = false;      // "Save Fluke"
    bool DownLoadFluke = false;  // "DownLoad Fluke"
    bool SavePower = false;      // "Save Power"
    bool DownloadPower = false;  // "Download Power"
    bool SaveReg = false;        // "Save Reg"
    bool DownloadReg = false;    // "Download Reg"
    // Setup dialog: port label, combo box and button of each instrument.
    bool CalibratorPort = false;
    bool PowerPort = false;
    bool ChamberPort = false;
    // Setup dialog's hidden optocoupler box "光耦合".
    bool OptocouplerChecked = true;
    bool OptocouplerEnabled = false;
    // RAM panel bank buttons "Bank0".."Bank4" with their menu items; register panel
    // "PAGE1".."PAGE4".
    std::array<bool, kRamBankCount> BankButtons{};
    std::array<bool, kRegPageCount> PageButtons{};
};

// Text of a 9-column register grid: register k's name sits at row 2*(k div 9), column k mod 9,
// its value in the row below.
struct NameGrid {
    static constexpr size_t kColumns = 9;
    using Row = std::array<std::string, kColumns>;
    std::vector<Row> Rows;

    // Grows or shrinks to `rows` rows; new rows are blank.
    void SetRowCount(size_t rows) { Rows.resize(rows); }
    // The cell text, or empty outside the grid.
    const std::string& Cell(size_t row, size_t column) const;
};

struct ChipModel {
    std::string ProductName;
    std::string CompilerName;
    std::string RegisterCaption; // register panel caption: product name followed by "Register"
    uint16_t ChipId = 0;
    uint32_t RomSize = 0x1000;
    std::array<AddressRange, 2> RegArea{};
    std::array<AddressRange, kRamBankCount> RamBank{};
    std::array<uint16_t, kRegPageCount> BitRegCount{}; // bit registers of pages 1..4
    uint16_t ByteRegCount = 0;
    uint16_t WordRegCount = 0;
    uint16_t Reg3ByteCount = 0;
    uint8_t StackDepth = 0;
    uint16_t SimIc = 0;
    std::array<uint8_t, 8> PgaGainTable{1, 1, 1, 1, 1, 1, 1, 1};
    std::array<uint8_t, 4> AdcGainTable{1, 1, 1, 1};

    // Per-address bookkeeping of the register image.
    std::array<uint8_t, kRegImageSize> ImplementedMask{};
    std::array<uint8_t, kRegImageSize> PreviousValue{};
    std::array<uint8_t, kRegImageSize> ChangedFlag{};

    uint8_t CurrentBank = 0; // RAM panel bank, 0..4
    uint8_t CurrentPage = 0; // register panel bit-register page, 0..3

    FieldSet AdcFields{AdcFieldNames()}; // "#ADC0S"; includes "ADCO" and "TSO"
    FieldSet OpFields{OpFieldNames()};   // "#OP0S"
    FieldSet CmpFields{CmpFieldNames()}; // "#CMP0S"

    TCRREGBitPtr BitRegs;
    TCRREGBytePtr ByteRegs;
    TCRREGWordPtr WordRegs;
    NameGrid ByteGrid;
    NameGrid WordGrid;

    ChipControls Controls;
    bool HasAdcSection = false; // the chip file had an "#ADC0S" section
    // The 52K chips ("52K12", "52K21") take "Special" frames with the low address byte only.
    bool ShortSpecialAddress = false;

    // Address of the ADC result and of the temperature result (address only).
    const RegFieldDesc& AdcOutput() const { return AdcFields["ADCO"]; }
    const RegFieldDesc& TempOutput() const { return AdcFields["TSO"]; }

    // Implemented bits of `address`; 0 outside the image.
    uint8_t Mask(int address) const;
    // True inside a present register area 0 or 1.
    bool InRegisterArea(int address) const;
};

} // namespace qn
