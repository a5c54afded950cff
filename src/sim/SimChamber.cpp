// Frames, registers and the air model of the simulated chamber.
#include "sim/SimChamber.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qn {
namespace {

constexpr char kStx = '\x02';
constexpr uint16_t kTemperature = 0x0001;
constexpr uint16_t kHumidity = 0x0002;
constexpr uint16_t kProbe = 0x0010;
constexpr uint16_t kCommand = 0x0101;
constexpr uint16_t kSetPoint = 0x0102;
constexpr uint16_t kHumiditySetPoint = 0x0103;
constexpr uint16_t kRamp = 0x0106;
constexpr uint16_t kClear = 0x0200;
constexpr uint16_t kProbeAnswer = 0x0001;
constexpr uint16_t kRun = 1;
constexpr uint16_t kStop = 4;
constexpr size_t kMaxWords = 4;

constexpr double kDefaultRampPerMinute = 3.0; // the controller's rate when the ramp is 0
constexpr double kLagMs = 30'000.0;           // the air's lag behind the controller's ramp
constexpr double kDriftMs = 1'200'000.0;      // a stopped chamber's drift back to the room
constexpr double kStepMs = 1'000.0;           // longest step of the air model
constexpr double kNoiseCelsius = 0.05;        // RMS noise of the measured temperature
constexpr double kNoiseLimitCelsius = 0.2;
constexpr double kRoomHumidity = 50.0;

bool IsWritable(uint16_t address) {
    return address == kCommand || address == kSetPoint || address == kHumiditySetPoint ||
           address == kRamp || address == kRamp + 1 || address == kClear;
}

double Signed(uint16_t word) {
    return static_cast<double>(static_cast<int16_t>(word));
}

uint16_t Word(double tenths) {
    const long rounded = std::lround(std::clamp(tenths, -32768.0, 32767.0));
    return static_cast<uint16_t>(static_cast<int16_t>(rounded));
}

// Four hexadecimal digits (either case); false for anything else.
bool ParseWord(const std::string& text, uint16_t& word) {
    if (text.size() != 4) return false;
    unsigned value = 0;
    for (const char c : text) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        if (digit < 0) return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    word = static_cast<uint16_t>(value);
    return true;
}

std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields(1);
    for (const char c : text) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back().push_back(c);
    }
    return fields;
}

std::string Refusal(const std::string& command, const char* code) {
    return std::string(1, kStx) + "01" + command + ",NG," + code + "\r\n";
}

} // namespace

SimChamber::SimChamber(Clock& clock, uint32_t seed)
    : SimLabPeer(clock, '\n'), updatedMs_(clock.SteadyMs()), rng_(seed) {}

uint16_t SimChamber::Register(uint16_t address) const {
    const auto found = written_.find(address);
    return found == written_.end() ? uint16_t{0} : found->second;
}

double SimChamber::SetPointCelsius() const {
    return Signed(Register(kSetPoint)) / 10.0;
}

double SimChamber::AirCelsius() {
    Advance();
    return air_;
}

double SimChamber::BoardCelsius() {
    Advance();
    return board_;
}

void SimChamber::Disturb(double celsius) {
    Advance();
    air_ += celsius;
}

// Running, the controller's ramp moves toward the set point at the ramp rate and the air follows
// it with a first-order lag; stopped, the air drifts back toward the room. The board follows the
// air, whether the chamber runs or not.
void SimChamber::Advance() {
    const double now = clock_.SteadyMs();
    while (updatedMs_ < now) {
        const double step = std::min(kStepMs, now - updatedMs_);
        updatedMs_ += step;
        board_ += (air_ - board_) * -std::expm1(-step / kSimBoardLagMs);
        if (!running_) {
            air_ += (kSimRoomCelsius - air_) * -std::expm1(-step / kDriftMs);
            continue;
        }
        const double rate =
            Register(kRamp) == 0 ? kDefaultRampPerMinute : Signed(Register(kRamp)) / 10.0;
        const double reach = std::abs(rate) * step / 60'000.0;
        const double target = SetPointCelsius();
        ramped_ = ramped_ < target ? std::min(target, ramped_ + reach)
                                   : std::max(target, ramped_ - reach);
        air_ += (ramped_ - air_) * -std::expm1(-step / kLagMs);
    }
}

std::string SimChamber::Answer(const std::string& line) {
    std::string frame = line;
    if (!frame.empty() && frame.back() == '\r') frame.pop_back();
    if (frame.size() < 6 || frame[0] != kStx) return {};
    if (frame.compare(1, 2, "01") != 0) return {}; // another station's frame
    const std::string command = frame.substr(3, 3);
    if (command != "WSD" && command != "RSD") return Refusal(command, "01");
    if (Faults.AnswerNg) return Refusal(command, "01");
    const std::vector<std::string> fields = Fields(frame.substr(6));
    // fields[0] is the empty text before the first comma, then n, the address and the words.
    uint16_t address = 0;
    if (fields.size() < 3 || !fields[0].empty() || fields[1].size() != 2 ||
        !ParseWord(fields[2], address))
        return Refusal(command, "01");
    const int count = std::atoi(fields[1].c_str());
    if (count < 1 || static_cast<size_t>(count) > kMaxWords) return Refusal(command, "01");
    const auto n = static_cast<size_t>(count);
    if (command == "RSD") {
        if (fields.size() != 3) return Refusal(command, "01");
        return Read(address, n);
    }
    if (fields.size() != 3 + n) return Refusal(command, "01");
    std::vector<uint16_t> words(n);
    for (size_t i = 0; i < n; ++i)
        if (!ParseWord(fields[3 + i], words[i])) return Refusal(command, "01");
    return Write(address, words);
}

std::string SimChamber::Write(uint16_t address, const std::vector<uint16_t>& words) {
    for (size_t i = 0; i < words.size(); ++i)
        if (!IsWritable(static_cast<uint16_t>(address + i))) return Refusal("WSD", "02");
    Advance();
    for (size_t i = 0; i < words.size(); ++i) {
        const auto at = static_cast<uint16_t>(address + i);
        written_[at] = words[i];
        if (at != kCommand) continue;
        if (words[i] == kRun && !running_) ramped_ = air_;
        if (words[i] == kRun) running_ = true;
        if (words[i] == kStop) running_ = false;
    }
    return std::string(1, kStx) + "01WSD,OK\r\n";
}

std::string SimChamber::Read(uint16_t address, size_t count) {
    if (Faults.WrongIdentity && address == kProbe) return Refusal("RSD", "02");
    std::string answer = std::string(1, kStx) + "01RSD,OK";
    for (size_t i = 0; i < count; ++i) {
        uint16_t word = 0;
        if (!ReadWord(static_cast<uint16_t>(address + i), word)) return Refusal("RSD", "02");
        char text[8];
        std::snprintf(text, sizeof text, ",%04X", static_cast<unsigned>(word));
        answer += text;
    }
    return answer + "\r\n";
}

bool SimChamber::ReadWord(uint16_t address, uint16_t& word) {
    if (address == kTemperature) {
        const double noise =
            std::clamp(noise_(rng_) * kNoiseCelsius, -kNoiseLimitCelsius, kNoiseLimitCelsius);
        word = Word((AirCelsius() + noise) * 10.0);
    } else if (address == kHumidity) {
        word = running_ ? Register(kHumiditySetPoint) : Word(kRoomHumidity * 10.0);
    } else if (address == kProbe) {
        word = kProbeAnswer;
    } else if (IsWritable(address)) {
        word = Register(address);
    } else {
        return false;
    }
    return true;
}

} // namespace qn
