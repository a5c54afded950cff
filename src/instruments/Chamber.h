// The temperature chamber over ChamberPort: station-01 WSD/RSD frames and the operations on them.
#pragma once

#include "instruments/InstrumentPorts.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qn {

inline constexpr uint8_t kStx = 2;
inline constexpr uint16_t kChamberTemperatureReg = 0x0001;
inline constexpr uint16_t kChamberProbeReg = 0x0010;
inline constexpr uint16_t kChamberCommandReg = 0x0101;
inline constexpr uint16_t kChamberSetPointReg = 0x0102;
inline constexpr uint16_t kChamberRampReg = 0x0106;
inline constexpr uint16_t kChamberClearReg = 0x0200;
inline constexpr int kChamberRun = 1;
inline constexpr int kChamberStop = 4;

// The write frame for 1 to 4 words (negative values as 16-bit two's complement).
std::vector<uint8_t> ChamberWriteFrame(uint16_t address, std::span<const int> words);
// The read frame for n words.
std::vector<uint8_t> ChamberReadFrame(uint16_t address, int n);
// True when an answer of `length` bytes accepts a write: at least 11 bytes, STX, "OK" at 7..8.
bool ChamberAnswerOk(const uint8_t* answer, size_t length);
// The four hexadecimal digits at `offset` as a word; any other character gives 0.
uint16_t ChamberWord(const uint8_t* answer, size_t length, size_t offset);
// A read temperature word in degrees: above 8000 hex it is negative (two's complement), /10.
double ChamberCelsius(uint16_t word);
// A set-point cell in tenths: the number rounded down to whole degrees, times 10; a text that is
// not a number gives 0.
int ChamberTenths(const std::string& cell);

// The four cells of a temperature row that LoadTemp sends.
struct ChamberSetPoint {
    std::string Temperature;
    std::string Humidity;
    std::string TemperatureRamp; // "溫度斜率"
    std::string HumidityRamp;    // "濕度斜率"
};

class Chamber {
  public:
    explicit Chamber(InstrumentPorts& ports) : ports_(ports) {}

    // Sends the write frame and waits up to 1 s for 11 bytes; true when the answer says "OK".
    bool ChamberWrite(uint16_t address, std::span<const int> words);
    // Sends the read frame and waits up to 1 s for 11 + 5n bytes; true when any byte came.
    bool ChamberRead(uint16_t address, int n);
    // Set point 0102 and ramp 0106, each retried once after 1 s.
    bool LoadTemp(const ChamberSetPoint& row);
    // Register 0001, retried once after 1 s; the two words of a well-formed "OK" answer.
    bool ReadTemp(uint16_t& first, uint16_t& second);
    // The temperature ReadTemp reads, in °C; none when the chamber did not answer.
    std::optional<double> ReadCelsius();
    // 0200 := 0, then 0101 := 1; the result of the second write.
    bool ChamberRun();
    // 0101 := 4.
    bool ChamberStop();
    // Reads 0010; accepted when the answer is STX "01RSD,OK"...
    bool Identify();

    // The printable characters of the last identification answer (empty before one came).
    std::string Identity;

  private:
    // Polls until `count` bytes wait or 1 s has passed; a failed status query is asked again.
    size_t WaitFor(size_t count);
    bool ReadTemperatureWords();
    InstrumentPorts& ports_;
};

} // namespace qn
