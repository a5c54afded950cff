// The snapshot beside a saved capture: what it records, reading it back, refusing damaged files,
// and the register differences named by the chip's registers and fields.
#include "shell/Snapshot.h"

#include "files/TextFile.h"
#include "shell/SettingsFixture.h"
#include "shell/SimBenchFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace qn::test {
namespace {

constexpr uint16_t kQn7401 = 0, k52K12 = 3;

class SnapshotTest : public SimBenchTest {
  protected:
    TempFolder folder;
};

TEST_F(SnapshotTest, SideFileRecordsTheBenchAndTheComparisonReadsIt) {
    ASSERT_TRUE(bench.SelectChip(kQn7401));
    for (size_t a = 0; a < kRegImageSize; ++a) bench.Stnd.RegImage[a] = static_cast<uint8_t>(a * 7);
    bench.Instruments.Select(InstrumentKind::Fluke, 0);
    bench.Instruments.Select(InstrumentKind::Chamber, 2);
    bench.Config.Analysis.EREFV = "1.25";

    const std::string data = folder.File("QnADC.CSV");
    ASSERT_TRUE(WriteSnapshotBeside(bench, data));
    const SnapshotRead read = ReadSnapshot(data + ".snapshot");
    ASSERT_TRUE(read.Ok) << read.Error;
    const StateSnapshot& state = read.State;
    EXPECT_EQ(state.RegImage, bench.Stnd.RegImage);
    // A supply that was never selected has no identity.
    EXPECT_EQ(std::tuple(state.Program, state.Chip, state.ChipFile, state.Calibrator, state.Chamber,
                         state.Supply, state.EREFV),
              std::tuple("Qn-740xTEST V1.3", "QN7401", "QN7401.INC", "SC600", "01RSD,OK,0001", "",
                         "1.25"));
    EXPECT_EQ(state.ChipFileSha256.size(), 64u);
    EXPECT_NE(state.ChipFileSha256,
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855")
        << "the hash of no bytes at all";
    EXPECT_EQ(state.NPoint, bench.Config.Analysis.NPoint);
    EXPECT_EQ(state.LocalTime.size(), 19u);

    const std::string text = Slurp(data + ".snapshot");
    EXPECT_NE(text.find("\r\nReg3F0=" + std::string("90 97 9E A5"), 0), std::string::npos);
    EXPECT_EQ(text.find('\n'), text.find('\r') + 1) << "lines end with CR LF";

    // The comparison reads the file back and names the changes; another chip is noted first.
    bench.Stnd.RegImage[3] = 0xB5;
    EXPECT_EQ(CompareWithSnapshot(bench, data + ".snapshot").Text,
              "ADCCN3 [003] 15 → B5: PGA 0 → 5\n");
    ASSERT_TRUE(bench.SelectChip(k52K12));
    EXPECT_EQ(CompareWithSnapshot(bench, data + ".snapshot")
                  .Text.rfind("The snapshot was taken with chip QN7401, the chip now is 52K12", 0),
              0u);
    EXPECT_FALSE(CompareWithSnapshot(bench, data).Read);
}

TEST_F(SnapshotTest, EveryFieldSurvivesWriteAndRead) {
    StateSnapshot state{"P",  "T",  "52K12",        "52K12.INC", "ab", kLinkSpecial,
                        true, true, "HP\r\nE3631A", "C=1",       "",   1024,
                        12,   3,    "2.4",          {}};
    state.RegImage[1023] = 0xA5;
    StateSnapshot back;
    ASSERT_EQ(ParseSnapshot(SnapshotText(state), back), "");
    EXPECT_EQ(back.Supply, "HP  E3631A") << "a value stays on its line";
    back.Supply = state.Supply;
    EXPECT_EQ(SnapshotText(back), SnapshotText(state));
}

TEST_F(SnapshotTest, DamagedOrForeignFilesAreRefused) {
    const std::string good = SnapshotText(StateSnapshot{});
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        return text.replace(text.find(from), from.size(), to);
    };
    const std::map<std::string, std::pair<std::string, std::string>> cases = {
        {"empty", {"", "not a snapshot file"}},
        {"csv", {"No,Value\r\n1,2\r\n", "not a snapshot file"}},
        {"short line", {replaced("Reg0A0=00 00", "Reg0A0=00"), "line 28 is damaged"}},
        {"bad hex", {replaced("Reg010=00", "Reg010=0G"), "is damaged"}},
        {"odd address", {replaced("Reg010=", "Reg011="), "is damaged"}},
        {"twice", {replaced("Reg010=", "Reg000="), "is damaged"}},
        {"missing", {good.substr(0, good.find("Reg3F0")), "lacks line Reg3F0"}},
        {"number", {replaced("NPoint=0", "NPoint=x"), "is damaged"}},
        {"no equals", {replaced("NPoint=0", "NPoint"), "is damaged"}},
        {"huge", {good + std::string(70000, 'x'), "not a snapshot file"}},
    };
    for (const auto& [name, entry] : cases) {
        const std::string path = folder.File(name);
        ASSERT_TRUE(ReplaceFileContents(path, entry.first));
        const SnapshotRead read = ReadSnapshot(path);
        EXPECT_FALSE(read.Ok) << name;
        EXPECT_EQ(read.Error.rfind("Cannot use the snapshot file " + path + ": ", 0), 0u) << name;
        EXPECT_NE(read.Error.find(entry.second), std::string::npos) << name << ": " << read.Error;
    }
    EXPECT_NE(ReadSnapshot(folder.File("none")).Error.find("cannot be read"), std::string::npos);
}

TEST_F(SnapshotTest, DiffNamesChangedRegistersAndFields) {
    ASSERT_TRUE(bench.SelectChip(k52K12));
    const std::vector<std::pair<std::string, std::map<int, uint8_t>>> cases = {
        {"No register differs", {}},
        {"No register differs", {{0x80, 0x55}}}, // RAM, not a register
        {"ADCCN2 [03E] 00 → A0: PGA 0 → 5\n", {{0x3E, 0xA0}}},
        {"INTE [00B] 00 → 81: GIE 0 → 1, ADIE 0 → 1\n", {{0x0B, 0x81}}},
        {"ADCMUX [030] 00 → 02: FSRB 0 → 1\n", {{0x30, 0x03}}}, // bit 0 is not implemented
        {"WORK [029] 00 → 5A\n", {{0x29, 0x5A}}},
        {"FSR0 [00F] 0000 → 0134\n", {{0x0F, 0xFF}, {0x10, 0x34}}},
    };
    for (const auto& [expected, bytes] : cases) {
        RegImageBytes now{};
        for (const auto& [address, value] : bytes) now[static_cast<size_t>(address)] = value;
        EXPECT_EQ(DiffText(DiffRegisters(bench.Model, RegImageBytes{}, now)), expected);
    }
}

} // namespace
} // namespace qn::test
