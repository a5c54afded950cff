// The run journal's records read back exactly; a journal cut, damaged or converted keeps every
// intact record of its run and names what was damaged; the results and the steps left to measure
// come from it; a new run never destroys the previous journal.
#include "run/RunJournal.h"
#include "TempRunBench.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <tuple>

namespace qn::test {
namespace {

JournalPlan SamplePlan() {
    TempTestPlan plan;
    TempRunSettings& s = plan.Settings;
    s.Start = "25\t%0A";     // texts that must not break a record's line
    s.LowestCelsius = "-40"; // a resumed run is checked against the same limits
    s.Source = CaptureSource::AdcAndBrymen, s.Alternate = true;
    s.Gate = SoakRule::Board, s.BoardChange = "0.02";
    plan.RegChg.Cell(1, 0) = "04", plan.RegChg.Cell(1, 1) = "01";
    plan.RegChg.Cell(kAcmColumn, 1) = "2.4\r\n溫度";
    StepTable fluke, power;
    fluke.Row(1) = {"1", "OUT 100 mV ,0 Hz "};
    return PlanInUse(RunMode::Test, "2026-12-07 02:14:00", plan, fluke, power);
}

JournalAttempt SampleAttempt(int attempt) {
    JournalAttempt a{2, 1, attempt, attempt == 4, 27, 0.1 + 0.2, NAN, {}, {}, "", attempt == 4};
    a.Result.Adc = {
        100000.123456789012, 1e-310, -0.0, std::numeric_limits<double>::infinity(), 1.0 / 3.0,
        123456789.987654321, 17.25};
    a.Result.Temperature.Average = -40.000000000000007;
    a.Meters.assign(kMeterChannels, {2.5e-7, "mV %\t"});
    a.FullFile = "TEMP/QnTMP-7.CSV";
    a.BoardCelsius = attempt == 4 ? 24.5078125 : NAN; // a record without a reading has no field
    return a;
}

// `text` with one bit of the byte at `at` flipped.
std::string Flipped(std::string text, size_t at) {
    text[at] ^= 0x01;
    return text;
}

// The payload of a journal record: without its checksum in front and its line end.
std::string Payload(const std::string& record) {
    return record.substr(9, record.size() - 10);
}

// A record of `payload` with its checksum in front, as the journal writes one.
std::string Checksummed(const std::string& payload) {
    const auto crc = crc32(0L, reinterpret_cast<const Bytef*>(payload.data()),
                           static_cast<uInt>(payload.size()));
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08lX\t", static_cast<unsigned long>(crc));
    return hex + payload + "\n";
}

// Every LF of `text` as `lineEnd`.
std::string WithLineEnds(const std::string& text, const std::string& lineEnd) {
    std::string out;
    for (const char c : text) out += c == '\n' ? lineEnd : std::string(1, c);
    return out;
}

TEST(RunJournal, IntactRecordsAreKeptAndDamageIsNamed) {
    const std::string plan = JournalPlanRecord(SamplePlan());
    const std::string first = JournalAttemptRecord(SampleAttempt(1));
    const std::string second = JournalAttemptRecord(SampleAttempt(4));
    const std::string end = JournalEndRecord(true);
    const std::string whole = plan + first + second;
    // The case, the journal's text, the attempts read, whether it is unfinished, what the damage
    // texts name (empty: no damage) and where a resumed run appends (not checked when 0).
    using Case = std::tuple<const char*, std::string, size_t, bool, const char*, size_t>;
    const Case cases[] = {
        {"whole and ended", whole + end, 2, false, "", 0},
        {"whole, never ended", whole, 2, true, "", whole.size()},
        {"last record cut by a crash", whole.substr(0, whole.size() - 9), 1, true, "",
         plan.size() + first.size()},
        {"last record without its line end", whole.substr(0, whole.size() - 1), 1, true, "", 0},
        {"middle record damaged", Flipped(whole + end, plan.size() + 20), 1, false,
         "Run journal line 2 is damaged and was left out", 0},
        {"last record damaged", Flipped(whole, plan.size() + first.size() + 20), 1, true,
         "Run journal line 3 is damaged", whole.size()},
        {"two damaged lines in a row",
         Flipped(Flipped(whole + end, plan.size() + 20), plan.size() + first.size() + 20), 0, false,
         "Run journal lines 2 to 3 are damaged and were left out", 0},
        {"plan record damaged", Flipped(whole, 30), 0, false,
         "Run journal line 1, the run's plan, is damaged: the run it records can be neither "
         "resumed nor rebuilt",
         0},
        {"plan record cut by a crash", plan.substr(0, plan.size() / 2), 0, false, "", 0},
        {"CR LF line ends", WithLineEnds(whole, "\r\n"), 2, true, "", whole.size() + 3},
        {"CR line ends", WithLineEnds(whole + end, "\r"), 2, false, "", 0},
        {"empty lines", WithLineEnds(whole, "\n\n"), 2, true, "", 0},
        {"record after the end", whole + end + first, 2, false, "Run journal line 5 is damaged", 0},
        {"end record with a field too many", whole + Checksummed("END\t1\t1"), 2, true,
         "Run journal line 4 is damaged", 0},
        {"a second run follows", plan + first + plan + second, 1, false,
         "Run journal line 3 starts another run: it and the lines after it were left out", 0},
    };
    for (const auto& [name, text, attempts, unfinished, named, wholeBytes] : cases) {
        SCOPED_TRACE(name);
        const RunJournalContents read = ParseRunJournal(text);
        ASSERT_EQ(read.Attempts.size(), attempts);
        EXPECT_EQ(read.Unfinished(), unfinished);
        EXPECT_TRUE(read.Ended || !read.Completed) << "complete only with a whole end record";
        const std::string damage = DamageText(read);
        EXPECT_EQ(damage.empty(), *named == '\0') << damage;
        EXPECT_THAT(damage, HasSubstr(named));
        EXPECT_TRUE(wholeBytes == 0 || read.WholeBytes == wholeBytes) << read.WholeBytes;
    }

    // Read back and written again, every record is as it was; each figure keeps its bits.
    const RunJournalContents read = ParseRunJournal(whole);
    EXPECT_EQ(JournalPlanRecord(read.Plan), plan);
    EXPECT_EQ(read.Plan.Settings.Start, "25\t%0A");
    EXPECT_EQ(read.Plan.Settings.LowestCelsius, "-40");
    EXPECT_EQ(read.Plan.Settings.BoardChange, "0.02");
    EXPECT_EQ(JournalAttemptRecord(read.Attempts[0]), first);
    EXPECT_EQ(JournalAttemptRecord(read.Attempts[1]), second);
    const JournalAttempt e = SampleAttempt(4);
    EXPECT_EQ(std::memcmp(&read.Attempts[1].Result.Adc, &e.Result.Adc, sizeof(NoiseFigures)), 0);
    EXPECT_EQ(read.Attempts[1].BoardCelsius, e.BoardCelsius);
    EXPECT_EQ(NextFullFileNumber(read), 8u);
    // The gate's fields follow the plan's, which stay as a journal without a gate has them.
    JournalPlan band = SamplePlan();
    band.Settings.Gate = SoakRule::Band;
    EXPECT_EQ(Payload(plan).rfind(Payload(JournalPlanRecord(band)), 0), 0u);
}

// An attempt as the run records it: captured attempts end their step, as does the fourth.
JournalAttempt Try(size_t row, size_t step, int attempt, bool captured, double rmsNV) {
    const bool ends = captured || attempt == 4;
    JournalAttempt a{row, step, attempt, ends, 23 + 2.0 * double(row), 0, 0, {}, {}, "", captured};
    a.Result.Adc.RmsNV = rmsNV;
    return a;
}

// Three rows from 25 °C by 2 °C, two steps, as a version-1 journal's plan.
JournalPlan ThreeRowsTwoSteps() {
    TempTestPlan plan;
    plan.Settings = {.TempCount = "3", .Start = "25", .Increment = "2"};
    plan.SetTemperatureRows();
    plan.RegChg.Cell(1, 0) = "04", plan.RegChg.Cell(1, 1) = "01", plan.RegChg.Cell(1, 2) = "02";
    StepTable fluke, power;
    JournalPlan journal = PlanInUse(RunMode::Begin, "2026-12-07 02:14:00", plan, fluke, power);
    journal.Version = 1;
    return journal;
}

TEST(RunJournal, EachStepCountsOnceAndOnlyCapturedAttemptsAreResults) {
    const std::string plan = JournalPlanRecord(ThreeRowsTwoSteps());
    const std::string rowOneStepOne = JournalAttemptRecord(Try(1, 1, 1, true, 11));
    // Duplicated records with sound checksums end one step, not the row.
    EXPECT_EQ(ParseRunJournal(plan + rowOneStepOne + rowOneStepOne).NextRow(), 1u);

    // A version-1 record has no "captured" field: it counts as captured.
    std::string old = Payload(JournalAttemptRecord(Try(2, 2, 1, true, 32)));
    old = Checksummed(old.substr(0, old.rfind('\t')));
    std::string text = plan + rowOneStepOne;
    for (int attempt = 1; attempt <= 4; ++attempt)
        text += JournalAttemptRecord(Try(1, 2, attempt, false, 99));
    for (const JournalAttempt& a :
         {Try(2, 1, 1, true, 21), Try(2, 1, 1, true, 22), Try(2, 1, 2, false, 99)})
        text += JournalAttemptRecord(a);
    const RunJournalContents read = ParseRunJournal(text + old);
    ASSERT_EQ(read.Attempts.size(), 9u) << DamageText(read);
    EXPECT_TRUE(read.Unfinished()) << "a version-1 journal still resumes";
    EXPECT_EQ(read.NextRow(), 3u);

    const TempResults results = JournalResults(read);
    // Row, step and the figure it keeps, 0 where it is not measured.
    const std::tuple<size_t, size_t, double> steps[] = {
        {1, 1, 11}, {1, 2, 0}, {2, 1, 22}, {2, 2, 32}, {3, 1, 0}};
    for (const auto& [row, step, rmsNV] : steps) {
        SCOPED_TRACE("row " + std::to_string(row) + " step " + std::to_string(step));
        EXPECT_EQ(results.Measured(row, step), rmsNV != 0);
        EXPECT_EQ(results.Result(row, step).Adc.RmsNV, rmsNV);
    }
    EXPECT_EQ(results.SetPoint(3), 29.0) << "a row without a capture keeps its plan set point";
}

// A plan record with a sound checksum but a row count far beyond its fields is refused, without
// making room for the rows first.
TEST(RunJournal, PlanWithARowCountBeyondItsFieldsIsRefused) {
    const std::string payload = Payload(JournalPlanRecord(SamplePlan()));
    constexpr size_t kRowCountField = 18; // kind, version, mode, start time, 14 settings
    size_t at = 0;
    for (size_t field = 0; field < kRowCountField; ++field) at = payload.find('\t', at) + 1;
    const size_t length = payload.find('\t', at) - at;
    ASSERT_EQ(payload.substr(at, length), std::to_string(SamplePlan().TempCount()));
    for (const char* count : {"99999999999", "18446744073709551615"}) {
        const std::string changed = std::string(payload).replace(at, length, count);
        const RunJournalContents read = ParseRunJournal(Checksummed(changed));
        EXPECT_FALSE(read.HasPlan) << count;
        EXPECT_EQ(read.WholeBytes, 0u) << count;
    }
}

// Appending starts after the last whole line: a torn record goes, a damaged one and the intact
// records after it stay. A new run keeps the previous journal; when it cannot move it aside it
// does not begin, and the previous journal stays as it was.
TEST(RunJournal, ResumedJournalAppendsAfterItsLastWholeLineAndANewRunKeepsIt) {
    const TempFolder folder;
    const fs::path& dir = folder.Path();
    RunJournal journal;
    ASSERT_EQ(journal.Begin(dir.string(), SamplePlan()), "");
    ASSERT_TRUE(journal.Attempt(SampleAttempt(1)));
    const std::string damaged = Flipped(JournalAttemptRecord(SampleAttempt(2)), 20);
    const std::string torn = JournalAttemptRecord(SampleAttempt(3)).substr(0, 30);
    std::ofstream(dir / kJournalFile, std::ios::binary | std::ios::app)
        << damaged + JournalAttemptRecord(SampleAttempt(3)) + torn;
    RunJournal resumed;
    ASSERT_TRUE(resumed.Continue(dir.string(), ReadRunJournal(dir.string()).WholeBytes));
    ASSERT_TRUE(resumed.Attempt(SampleAttempt(4)));
    ASSERT_TRUE(resumed.End(false));
    const RunJournalContents read = ReadRunJournal(dir.string());
    EXPECT_EQ(read.Attempts.size(), 3u);
    EXPECT_EQ(DamageText(read), "Run journal line 3 is damaged and was left out");
    EXPECT_TRUE(read.Ended);

    RunJournal next;
    ASSERT_EQ(next.Begin(dir.string(), SamplePlan()), "");
    EXPECT_EQ(ParseRunJournal(FileText(dir / kJournalOldFile)).Attempts.size(), 3u)
        << "kept as .old";
    ASSERT_TRUE(next.Attempt(SampleAttempt(1)));
    const std::string before = FileText(dir / kJournalFile);
    fs::remove(dir / kJournalOldFile);
    fs::create_directories(dir / kJournalOldFile / "kept");
    EXPECT_THAT(RunJournal().Begin(dir.string(), SamplePlan()),
                HasSubstr("The previous run journal cannot be kept as "));
    EXPECT_EQ(FileText(dir / kJournalFile), before);
}

} // namespace
} // namespace qn::test
