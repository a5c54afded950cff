// Station-01 frames of the chamber controller and the operations built on them.
#include "instruments/Chamber.h"

#include "files/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace qn {
namespace {

constexpr uint8_t kCr = 13;
constexpr uint8_t kLf = 10;
constexpr size_t kWriteAnswerLength = 11;
constexpr size_t kMaxFrameWords = 4;
constexpr uint32_t kPollSliceMs = 1;
// Set points beyond this many whole degrees cannot be meant; it keeps the conversion in range.
constexpr double kLargestSetPoint = 1e8;

void Append(std::vector<uint8_t>& frame, const std::string& text) {
    frame.insert(frame.end(), text.begin(), text.end());
}

std::vector<uint8_t> FrameHead(const char* command, uint16_t address, size_t n) {
    std::vector<uint8_t> frame{kStx};
    Append(frame, std::string("01") + command + ",");
    Append(frame, DecPad(static_cast<uint16_t>(std::min<size_t>(n, 99)), 2));
    Append(frame, "," + HexPad(address, 4));
    return frame;
}

} // namespace

std::vector<uint8_t> ChamberWriteFrame(uint16_t address, std::span<const int> words) {
    const size_t n = std::min(words.size(), kMaxFrameWords);
    std::vector<uint8_t> frame = FrameHead("WSD", address, n);
    for (size_t i = 0; i < n; ++i)
        Append(frame, "," + HexPad(static_cast<uint16_t>(words[i]), 4)); // two's complement
    frame.push_back(kCr);
    frame.push_back(kLf);
    return frame;
}

std::vector<uint8_t> ChamberReadFrame(uint16_t address, int n) {
    std::vector<uint8_t> frame = FrameHead("RSD", address, static_cast<size_t>(std::max(n, 0)));
    frame.push_back(kCr);
    frame.push_back(kLf);
    return frame;
}

bool ChamberAnswerOk(const uint8_t* answer, size_t length) {
    return length >= kWriteAnswerLength && answer[0] == kStx && answer[7] == 'O' &&
           answer[8] == 'K';
}

uint16_t ChamberWord(const uint8_t* answer, size_t length, size_t offset) {
    if (offset > length || length - offset < 4) return 0;
    const std::string_view digits(reinterpret_cast<const char*>(answer) + offset, 4);
    return static_cast<uint16_t>(ParseHex(digits));
}

double ChamberCelsius(uint16_t word) {
    const int tenths = word > 0x8000 ? word - 0x10000 : word;
    return tenths / 10.0;
}

int ChamberTenths(const std::string& cell) {
    const auto first = cell.find_first_not_of(' ');
    const auto last = cell.find_last_not_of(' ');
    if (first == std::string::npos) return 0;
    const char* begin = cell.data() + first;
    const char* end = cell.data() + last + 1;
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return 0;
    const double degrees = std::clamp(std::floor(value), -kLargestSetPoint, kLargestSetPoint);
    return static_cast<int>(degrees) * 10;
}

size_t Chamber::WaitFor(size_t count) {
    Clock& clock = ports_.Time();
    const double start = clock.SteadyMs();
    for (;;) {
        size_t waiting = 0;
        if (!ports_.QueryStatus(ports_.ChamberPort, waiting))
            ports_.QueryStatus(ports_.ChamberPort, waiting);
        if (waiting >= count || clock.ElapsedMs(start) >= kChamberTimeoutMs) return waiting;
        clock.SleepMs(kPollSliceMs);
    }
}

bool Chamber::ChamberWrite(uint16_t address, std::span<const int> words) {
    const std::vector<uint8_t> frame = ChamberWriteFrame(address, words);
    ports_.WriteBytes(ports_.ChamberPort, frame.data(), frame.size());
    const size_t waiting = WaitFor(kWriteAnswerLength);
    if (waiting == 0) return false;
    InstrumentBuffers& buffers = ports_.Buffers;
    buffers.RxBuffer.fill(0);
    const size_t got = ports_.ReadWaiting(ports_.ChamberPort, buffers.RxBuffer.data(),
                                          buffers.RxBuffer.size(), waiting);
    return ChamberAnswerOk(buffers.RxBuffer.data(), got);
}

bool Chamber::ChamberRead(uint16_t address, int n) {
    const std::vector<uint8_t> frame = ChamberReadFrame(address, n);
    ports_.WriteBytes(ports_.ChamberPort, frame.data(), frame.size());
    const size_t waiting = WaitFor(kWriteAnswerLength + 5 * static_cast<size_t>(std::max(n, 0)));
    if (waiting == 0) {
        ports_.Buffers.BytesRead = 0;
        return false;
    }
    InstrumentBuffers& buffers = ports_.Buffers;
    return ports_.ReadWaiting(ports_.ChamberPort, buffers.RxBuffer.data(), buffers.RxBuffer.size(),
                              waiting) > 0;
}

bool Chamber::LoadTemp(const ChamberSetPoint& row) {
    const std::array<int, 2> setPoint{ChamberTenths(row.Temperature), ChamberTenths(row.Humidity)};
    const std::array<int, 2> ramp{ChamberTenths(row.TemperatureRamp),
                                  ChamberTenths(row.HumidityRamp)};
    for (const auto& [address, words] :
         {std::pair{kChamberSetPointReg, setPoint}, std::pair{kChamberRampReg, ramp}}) {
        if (ChamberWrite(address, words)) continue;
        ports_.Pause(kChamberTimeoutMs);
        if (!ChamberWrite(address, words)) return false;
    }
    return true;
}

// An answer that is not a whole "OK" with both words counts as none: its words would read as
// 0.0 °C, which a run near 0 °C would take for the chamber's temperature.
bool Chamber::ReadTemperatureWords() {
    if (!ChamberRead(kChamberTemperatureReg, 2)) return false;
    const InstrumentBuffers& buffers = ports_.Buffers;
    return buffers.BytesRead >= kWriteAnswerLength + 10 &&
           ChamberAnswerOk(buffers.RxBuffer.data(), buffers.BytesRead);
}

bool Chamber::ReadTemp(uint16_t& first, uint16_t& second) {
    if (!ReadTemperatureWords()) {
        ports_.Pause(kChamberTimeoutMs);
        if (!ReadTemperatureWords()) return false;
    }
    const InstrumentBuffers& buffers = ports_.Buffers;
    first = ChamberWord(buffers.RxBuffer.data(), buffers.BytesRead, 10);
    second = ChamberWord(buffers.RxBuffer.data(), buffers.BytesRead, 15);
    return true;
}

std::optional<double> Chamber::ReadCelsius() {
    uint16_t word = 0;
    uint16_t humidity = 0;
    if (!ReadTemp(word, humidity)) return std::nullopt;
    return ChamberCelsius(word);
}

bool Chamber::ChamberRun() {
    const int clear = 0;
    const int run = kChamberRun;
    ChamberWrite(kChamberClearReg, std::span(&clear, 1));
    return ChamberWrite(kChamberCommandReg, std::span(&run, 1));
}

bool Chamber::ChamberStop() {
    const int stop = kChamberStop;
    return ChamberWrite(kChamberCommandReg, std::span(&stop, 1));
}

bool Chamber::Identify() {
    Identity.clear();
    if (!ChamberRead(kChamberProbeReg, 1)) return false;
    const InstrumentBuffers& buffers = ports_.Buffers;
    const size_t length = std::min(buffers.BytesRead, buffers.RxBuffer.size());
    for (size_t i = 0; i < length; ++i)
        if (buffers.RxBuffer[i] >= 0x20 && buffers.RxBuffer[i] < 0x7F)
            Identity += static_cast<char>(buffers.RxBuffer[i]);
    return buffers.BytesRead > 8 && buffers.RxBuffer[0] == kStx && buffers.RxBuffer[7] == 'O' &&
           buffers.RxBuffer[8] == 'K';
}

} // namespace qn
