// The state snapshot file: what the bench held when a capture was saved, written beside the data
// file and read back by the register panel's comparison.
#include "shell/Snapshot.h"

#include "analysis/FixedText.h"
#include "files/NumberText.h"
#include "files/TextFile.h"
#include "shell/ProgramVersion.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <optional>

namespace qn {
namespace {

constexpr std::string_view kHeader = "Snapshot=Qn-740xTEST state";
constexpr size_t kBytesPerLine = 16;
constexpr size_t kImageLines = kRegImageSize / kBytesPerLine;
// Far more than a snapshot ever holds; a larger file is not one.
constexpr uintmax_t kLargestFile = 64 * 1024;
constexpr const char* kLinkNames[] = {"RS232", "SPI", "Special", "Parallel", "UART", "QN740x"};

// Text keys and number keys, in the order they are written.
struct TextKey {
    std::string_view Key;
    std::string StateSnapshot::*Field;
    bool WrittenWhenEmpty = true;
};
constexpr TextKey kTextKeys[] = {
    {"Program", &StateSnapshot::Program},
    {"Time", &StateSnapshot::LocalTime},
    {"Chip", &StateSnapshot::Chip},
    {"ChipFile", &StateSnapshot::ChipFile},
    {"ChipFileSha256", &StateSnapshot::ChipFileSha256},
    {"Supply", &StateSnapshot::Supply},
    {"Calibrator", &StateSnapshot::Calibrator},
    {"Chamber", &StateSnapshot::Chamber},
    {"RefVolt", &StateSnapshot::EREFV},
    {"BoardTemp", &StateSnapshot::BoardTemp, false},
};
struct NumberKey {
    std::string_view Key;
    int32_t StateSnapshot::*Field;
};
constexpr NumberKey kNumberKeys[] = {
    {"NPoint", &StateSnapshot::NPoint},
    {"Scale", &StateSnapshot::TXScale},
    {"AvrTimes", &StateSnapshot::CMAVR},
};

std::string Pad(int value, int width) {
    std::string text = std::to_string(value);
    return std::string(static_cast<size_t>(std::max(0, width - static_cast<int>(text.size()))),
                       '0') +
           text;
}

std::string LocalTimeText() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return Pad(local.tm_year + 1900, 4) + "-" + Pad(local.tm_mon + 1, 2) + "-" +
           Pad(local.tm_mday, 2) + " " + Pad(local.tm_hour, 2) + ":" + Pad(local.tm_min, 2) + ":" +
           Pad(local.tm_sec, 2);
}

// Lower-case hex SHA-256 of the file's bytes; empty when it cannot be read.
std::string FileSha256(const std::string& path) {
    std::string contents;
    if (!ReadFileContents(path, contents)) return {};
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(contents.data(), contents.size(), digest.data(), &length, EVP_sha256(),
                   nullptr) != 1)
        return {};
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        const std::string pair = HexPad(digest[i], 2);
        hex += static_cast<char>(std::tolower(pair[0]));
        hex += static_cast<char>(std::tolower(pair[1]));
    }
    return hex;
}

// A value stays on its line: control characters become spaces.
std::string LineValue(std::string_view value) {
    std::string text(value);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text;
}

std::string ImageLine(const RegImageBytes& image, size_t line) {
    std::string text = "Reg" + HexPad(static_cast<uint16_t>(line * kBytesPerLine), 3) + "=";
    for (size_t i = 0; i < kBytesPerLine; ++i)
        text += (i == 0 ? "" : " ") + HexPad(image[line * kBytesPerLine + i], 2);
    return text;
}

std::optional<uint8_t> Nibble(char c) {
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
    return std::nullopt;
}

// A hex number of exactly `text`'s digits; none for any other character.
std::optional<uint32_t> HexNumber(std::string_view text) {
    uint32_t value = 0;
    for (char c : text) {
        const auto digit = Nibble(c);
        if (!digit) return std::nullopt;
        value = value << 4 | *digit;
    }
    return value;
}

std::optional<int32_t> Decimal(std::string_view text) {
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// "Reg0A0" with "16 bytes": the image line it fills; none when key or bytes are malformed.
std::optional<size_t> ParseImageLine(std::string_view key, std::string_view value,
                                     RegImageBytes& image) {
    const auto address = key.size() == 6 ? HexNumber(key.substr(3)) : std::nullopt;
    if (!address || *address % kBytesPerLine != 0 || *address >= kRegImageSize ||
        value.size() != kBytesPerLine * 3 - 1)
        return std::nullopt;
    for (size_t i = 0; i < kBytesPerLine; ++i) {
        const auto byte = HexNumber(value.substr(i * 3, 2));
        if (!byte || (i + 1 < kBytesPerLine && value[i * 3 + 2] != ' ')) return std::nullopt;
        image[*address + i] = static_cast<uint8_t>(*byte);
    }
    return *address / kBytesPerLine;
}

// Sets the field `key` names; false when its value is malformed. Unknown keys are skipped.
bool ParseSetting(std::string_view key, std::string_view value, StateSnapshot& state) {
    for (const TextKey& text : kTextKeys)
        if (key == text.Key) state.*text.Field = std::string(value);
    for (const NumberKey& number : kNumberKeys) {
        if (key != number.Key) continue;
        const auto parsed = Decimal(value);
        if (!parsed) return false;
        state.*number.Field = *parsed;
    }
    if (key == "Interface") {
        const auto parsed = Decimal(value);
        if (!parsed || *parsed < 0 || *parsed > 0xFFFF) return false;
        state.Interface = static_cast<uint16_t>(*parsed);
    }
    if (key == "UsbOpen" || key == "SerialOpen") {
        if (value != "0" && value != "1") return false;
        (key == "UsbOpen" ? state.UsbOpen : state.SerialOpen) = value == "1";
    }
    return true;
}

} // namespace

StateSnapshot CaptureState(const Bench& bench) {
    StateSnapshot state;
    state.Program = std::string(kProgramName) + " " + std::string(kProgramVersion);
    state.LocalTime = LocalTimeText();
    state.Chip = bench.Model.ProductName;
    const auto chipFile = bench.Catalogue().ChipFilePath(bench.Stnd.Chip);
    if (chipFile && !state.Chip.empty()) {
        state.ChipFile = chipFile->filename().string();
        state.ChipFileSha256 = FileSha256(chipFile->string());
    }
    state.Interface = bench.Stnd.Interface;
    state.UsbOpen = bench.Stnd.Usb.Open;
    state.SerialOpen = bench.Stnd.Serial.IsOpen();
    const BenchInstruments& instruments = bench.Instruments;
    if (instruments.Ports.PowerPort.Selected != 0) state.Supply = instruments.Power.Identity;
    if (instruments.Ports.FlukePort.Selected != 0) state.Calibrator = instruments.Fluke.Identity;
    if (instruments.Ports.ChamberPort.Selected != 0) state.Chamber = instruments.Climate.Identity;
    state.NPoint = bench.Config.Analysis.NPoint;
    state.TXScale = bench.Config.Analysis.TXScale;
    state.CMAVR = bench.Config.Analysis.CMAVR;
    state.EREFV = bench.Config.Analysis.EREFV;
    state.RegImage = bench.Stnd.RegImage;
    if (const double board = bench.Temp.BoardCelsius(); !std::isnan(board))
        state.BoardTemp = TwoDecimals(board);
    return state;
}

std::string SnapshotText(const StateSnapshot& state) {
    std::string out;
    AppendLine(out, kHeader);
    for (const TextKey& text : kTextKeys)
        if (text.WrittenWhenEmpty || !(state.*text.Field).empty())
            AppendLine(out, std::string(text.Key) + "=" + LineValue(state.*text.Field));
    for (const NumberKey& number : kNumberKeys)
        AppendLine(out, std::string(number.Key) + "=" + std::to_string(state.*number.Field));
    AppendLine(out, "Interface=" + std::to_string(state.Interface));
    if (state.Interface < std::size(kLinkNames))
        AppendLine(out, std::string("InterfaceName=") + kLinkNames[state.Interface]);
    AppendLine(out, std::string("UsbOpen=") + (state.UsbOpen ? "1" : "0"));
    AppendLine(out, std::string("SerialOpen=") + (state.SerialOpen ? "1" : "0"));
    for (size_t line = 0; line < kImageLines; ++line)
        AppendLine(out, ImageLine(state.RegImage, line));
    return out;
}

std::string ParseSnapshot(std::string_view text, StateSnapshot& state) {
    const std::vector<std::string_view> lines = SplitTextLines(text);
    if (lines.empty() || lines[0] != kHeader) return "it is not a snapshot file of Qn-740xTEST";
    StateSnapshot parsed;
    std::array<bool, kImageLines> seen{};
    for (size_t n = 1; n < lines.size(); ++n) {
        const std::string_view line = lines[n];
        const size_t equals = line.find('=');
        const std::string damaged = "line " + std::to_string(n + 1) + " is damaged";
        if (equals == std::string_view::npos) {
            if (line.empty()) continue;
            return damaged;
        }
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (key.starts_with("Reg")) {
            const auto index = ParseImageLine(key, value, parsed.RegImage);
            if (!index || seen[*index]) return damaged;
            seen[*index] = true;
        } else if (!ParseSetting(key, value, parsed)) {
            return damaged;
        }
    }
    for (size_t line = 0; line < kImageLines; ++line)
        if (!seen[line])
            return "the register image lacks line Reg" +
                   HexPad(static_cast<uint16_t>(line * kBytesPerLine), 3);
    state = std::move(parsed);
    return {};
}

bool WriteSnapshot(const std::string& path, const StateSnapshot& state) {
    return ReplaceFileContents(path, SnapshotText(state));
}

SnapshotRead ReadSnapshot(const std::string& path) {
    SnapshotRead read;
    const std::string refused = "Cannot use the snapshot file " + path + ": ";
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    std::string contents;
    if (!error && size > kLargestFile) {
        read.Error = refused + "it is not a snapshot file of Qn-740xTEST";
    } else if (error || !ReadFileContents(path, contents)) {
        read.Error = refused + "it cannot be read";
    } else if (const std::string problem = ParseSnapshot(contents, read.State); !problem.empty()) {
        read.Error = refused + problem;
    } else {
        read.Ok = true;
    }
    return read;
}

bool WriteSnapshotBeside(const Bench& bench, const std::string& dataPath) {
    return WriteSnapshot(dataPath + std::string(kSnapshotSuffix), CaptureState(bench));
}

SnapshotComparisonText CompareWithSnapshot(const Bench& bench, const std::string& path) {
    const SnapshotRead read = ReadSnapshot(path);
    if (!read.Ok) return {false, 0, read.Error};
    const std::vector<RegisterChange> changes =
        DiffRegisters(bench.Model, read.State.RegImage, bench.Stnd.RegImage);
    std::string text;
    if (read.State.Chip != bench.Model.ProductName)
        text = "The snapshot was taken with chip " + read.State.Chip + ", the chip now is " +
               bench.Model.ProductName + ".\n";
    return {true, changes.size(), text + DiffText(changes)};
}

} // namespace qn
