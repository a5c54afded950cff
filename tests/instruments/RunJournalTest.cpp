// The run journal's records read back exactly, and a journal whose last record was cut or
// damaged read up to its last whole record.
#include "instruments/RunJournal.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <unistd.h>
#include <vector>

namespace qn::test {
namespace {

namespace fs = std::filesystem;

JournalPlan SamplePlan() {
    TempTestPlan plan;
    plan.Settings.Start = "25\t%0A"; // texts that must not break a record's line
    plan.Settings.Source = CaptureSource::AdcAndBrymen;
    plan.Settings.Alternate = true;
    plan.SetTemperatureRows();
    plan.RegChg.Cell(1, 0) = "04";
    plan.RegChg.Cell(1, 1) = "01";
    plan.RegChg.Cell(kAcmColumn, 1) = "2.4\r\n溫度";
    StepTable fluke, power;
    fluke.Row(1) = {"1", "OUT 100 mV ,0 Hz "};
    return PlanInUse(RunMode::Test, "2026-12-07 02:14:00", plan, fluke, power);
}

JournalAttempt SampleAttempt(int attempt) {
    JournalAttempt a{2, 1, attempt, attempt == 4, 27, 0.1 + 0.2, NAN, {}, {}, ""};
    a.Result.Adc = {
        100000.123456789012, 1e-310, -0.0, std::numeric_limits<double>::infinity(), 1.0 / 3.0,
        123456789.987654321, 17.25};
    a.Result.Temperature.Average = -40.000000000000007;
    a.Meters.assign(kMeterChannels, {2.5e-7, "mV %\t"});
    a.FullFile = "TEMP/QnTMP-7.CSV";
    return a;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(RunJournal, RecordsReadBackExactlyUpToTheLastWholeOne) {
    const std::string plan = JournalPlanRecord(SamplePlan());
    const std::string first = JournalAttemptRecord(SampleAttempt(1));
    const std::string second = JournalAttemptRecord(SampleAttempt(4));
    const std::string whole = plan + first + second;
    std::string damaged = whole;
    damaged[plan.size() + first.size() + 20] ^= 0x01;
    struct Case {
        const char* name;
        std::string text;
        size_t attempts;
        bool unfinished;
    };
    const Case cases[] = {
        {"whole and ended", whole + JournalEndRecord(true), 2, false},
        {"whole, never ended", whole, 2, true},
        {"last record cut", whole.substr(0, whole.size() - 9), 1, true},
        {"last record without its line end", whole.substr(0, whole.size() - 1), 1, true},
        {"last record damaged", damaged, 1, true},
        {"plan record cut", plan.substr(0, plan.size() / 2), 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RunJournalContents read = ParseRunJournal(c.text);
        ASSERT_EQ(read.Attempts.size(), c.attempts);
        EXPECT_EQ(read.Unfinished(), c.unfinished);
        if (c.attempts == 1) {
            EXPECT_EQ(read.WholeBytes, plan.size() + first.size());
        }
    }

    const RunJournalContents read = ParseRunJournal(whole);
    const JournalPlan expected = SamplePlan();
    EXPECT_EQ(read.Plan.Settings.Start, expected.Settings.Start);
    EXPECT_EQ(read.Plan.Settings.Source, CaptureSource::AdcAndBrymen);
    EXPECT_EQ(read.Plan.Mode, RunMode::Test);
    EXPECT_EQ(read.Plan.Grid, expected.Grid);
    EXPECT_EQ(read.Plan.Fluke[1].Input, "OUT 100 mV ,0 Hz ");
    EXPECT_EQ(read.Plan.Rows.size(), expected.Rows.size());
    const JournalAttempt& a = read.Attempts[1];
    const JournalAttempt e = SampleAttempt(4);
    EXPECT_TRUE(a.Final);
    EXPECT_TRUE(std::isnan(a.ChamberCelsius));
    EXPECT_TRUE(SameBits(a.HumiditySetPoint, e.HumiditySetPoint));
    const double* got = &a.Result.Adc.Average;
    const double* want = &e.Result.Adc.Average;
    for (size_t i = 0; i < 7; ++i) EXPECT_TRUE(SameBits(got[i], want[i])) << "figure " << i;
    EXPECT_TRUE(SameBits(a.Result.Temperature.Average, e.Result.Temperature.Average));
    EXPECT_EQ(a.Meters[5].Unit, "mV %\t");
    EXPECT_EQ(NextFullFileNumber(read), 8u);
}

// The record line of `payload` with its checksum (CRC-32, as the journal writes it).
std::string ChecksummedLine(const std::string& payload) {
    uint32_t crc = 0xFFFFFFFFu;
    for (const char c : payload) {
        crc ^= static_cast<uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", ~crc);
    return std::string(hex) + "\t" + payload + "\n";
}

// A plan record with a sound checksum but a row count far beyond its fields is refused, without
// making room for the rows first.
TEST(RunJournal, PlanWithARowCountBeyondItsFieldsIsRefused) {
    const std::string record = JournalPlanRecord(SamplePlan());
    std::vector<std::string> fields;
    for (size_t start = record.find('\t') + 1;;) {
        const size_t tab = record.find('\t', start);
        fields.push_back(record.substr(start, tab == std::string::npos ? record.size() - 1 - start
                                                                       : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    constexpr size_t kRowCountField = 18; // kind, version, mode, start time, 14 settings
    ASSERT_EQ(fields[kRowCountField], std::to_string(SamplePlan().TempCount()));
    auto joined = [&fields] {
        std::string payload;
        for (const std::string& f : fields) payload += (payload.empty() ? "" : "\t") + f;
        return payload;
    };
    EXPECT_TRUE(ParseRunJournal(ChecksummedLine(joined())).HasPlan); // the checksum is sound
    for (const char* count : {"99999999999", "18446744073709551615"}) {
        fields[kRowCountField] = count;
        const RunJournalContents read = ParseRunJournal(ChecksummedLine(joined()));
        EXPECT_FALSE(read.HasPlan) << count;
        EXPECT_EQ(read.WholeBytes, 0u) << count;
    }
}

TEST(RunJournal, ResumedJournalAppendsAfterItsLastWholeRecord) {
    const fs::path dir = fs::temp_directory_path() / ("qn-journal-" + std::to_string(getpid()));
    fs::create_directories(dir);
    RunJournal journal;
    ASSERT_TRUE(journal.Begin(dir.string(), SamplePlan()));
    ASSERT_TRUE(journal.Attempt(SampleAttempt(1)));
    const std::string torn = JournalAttemptRecord(SampleAttempt(2)).substr(0, 30);
    {
        AppendFile raw;
        ASSERT_TRUE(raw.Open((dir / kJournalFile).string()));
        ASSERT_TRUE(raw.Append(torn));
    }
    const RunJournalContents cut = ReadRunJournal(dir.string());
    ASSERT_EQ(cut.Attempts.size(), 1u);
    RunJournal resumed;
    ASSERT_TRUE(resumed.Continue(dir.string(), cut.WholeBytes));
    ASSERT_TRUE(resumed.Attempt(SampleAttempt(2)));
    ASSERT_TRUE(resumed.End(false));
    const RunJournalContents read = ReadRunJournal(dir.string());
    EXPECT_EQ(read.Attempts.size(), 2u);
    EXPECT_TRUE(read.Ended);
    EXPECT_FALSE(read.Completed);
    ASSERT_TRUE(RunJournal().Begin(dir.string(), SamplePlan()));
    std::string old;
    ASSERT_TRUE(ReadFileContents((dir / kJournalOldFile).string(), old));
    EXPECT_EQ(ParseRunJournal(old).Attempts.size(), 2u) << "a new run keeps the last as .old";
    fs::remove_all(dir);
}

} // namespace
} // namespace qn::test
