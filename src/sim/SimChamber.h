// The simulated temperature chamber: station-01 WSD/RSD frames on controller registers, and air
// that follows the set point at the ramp rate on the bench clock.
#pragma once

#include "sim/SimLab.h"

#include <cstdint>
#include <map>
#include <random>
#include <string>

namespace qn {

inline constexpr double kSimRoomCelsius = 25.0;
// The board under test inside the chamber warms and cools with a first-order lag behind the air.
inline constexpr double kSimBoardLagMs = 180'000.0; // 3 minutes

// Registers (words): 0001 measured temperature x10 (two's complement), 0002 humidity x10,
// 0010 identification probe, 0101 operation (1 run, 4 stop), 0102/0103 temperature and humidity
// set points x10, 0106/0107 their ramp rates x10 in degrees (or percent) per minute, 0200.
// Writes reach 0101 to 0200 only. Frames to another station go unanswered. Refusals answer
// STX "01" command ",NG," code CR LF, the code being "01" for a frame it cannot read and "02"
// for a register that does not exist or cannot be written.
class SimChamber final : public SimLabPeer {
  public:
    explicit SimChamber(Clock& clock, uint32_t seed = 7);

    // The air temperature now, brought up to the clock.
    double AirCelsius();
    // The temperature of the board on the chamber's shelf now, following the air with a time
    // constant of kSimBoardLagMs.
    double BoardCelsius();
    // Moves the air by `celsius` at once, as an opened door would; the controller pulls it back.
    void Disturb(double celsius);
    bool Running() const { return running_; }
    // A register's value as last written (0 when never written).
    uint16_t Register(uint16_t address) const;

  protected:
    std::string Answer(const std::string& line) override;

  private:
    std::string Write(uint16_t address, const std::vector<uint16_t>& words);
    std::string Read(uint16_t address, size_t count);
    // The word a read of `address` answers; false for a register that does not exist.
    bool ReadWord(uint16_t address, uint16_t& word);
    double SetPointCelsius() const;
    // Moves the air from the last update to now.
    void Advance();

    std::map<uint16_t, uint16_t> written_;
    bool running_ = false;
    double air_ = kSimRoomCelsius;
    double board_ = kSimRoomCelsius;
    double ramped_ = kSimRoomCelsius; // where the controller's ramp has got to
    double updatedMs_;
    std::mt19937 rng_;
    std::normal_distribution<double> noise_{0.0, 1.0};
};

} // namespace qn
