// The run journal "QnTEMP.JOURNAL": an append-only record of a temperature run (its plan, every
// finished step attempt, how it ended) that survives a crash, so its results can be rebuilt and
// an unfinished run resumed.
#pragma once

#include "instruments/StepTable.h"
#include "instruments/TempResultFiles.h"
#include "instruments/TempTestData.h"
#include "instruments/TempTestPlan.h"
#include "platform/AppendFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

inline constexpr const char* kJournalFile = "QnTEMP.JOURNAL";
inline constexpr const char* kJournalOldFile = "QnTEMP.JOURNAL.old";
inline constexpr int kJournalVersion = 1;

enum class RunMode { Begin = 0, Test = 1 }; // "T-Begin", "T-Test"

// The plan a run used, as its first record holds it.
struct JournalPlan {
    RunMode Mode = RunMode::Begin;
    std::string Started; // local time, "YYYY-MM-DD HH:MM:SS"
    int Version = kJournalVersion;
    TempRunSettings Settings;
    std::vector<TemperatureRow> Rows;        // the header row, then rows 1..TempCount
    std::vector<RegisterStepGrid::Row> Grid; // the header row, then the steps in use
    std::vector<StepRow> Fluke;              // steps 1..n in use (index 0 unused)
    std::vector<StepRow> Power;
    size_t TempCount() const { return Rows.empty() ? 0 : Rows.size() - 1; }
    size_t StepCount() const { return Grid.empty() ? 0 : Grid.size() - 1; }
};

// One finished step attempt.
struct JournalAttempt {
    size_t Row = 0;
    size_t Step = 0;
    int Attempt = 1;
    bool Final = false; // captured, or the last attempt the step gets
    double SetPoint = 0;
    double HumiditySetPoint = 0;
    double ChamberCelsius = 0; // the chamber's last reading (NaN before any)
    StepResult Result;
    std::vector<MeterReading> Meters; // kMeterChannels readings, or none
    std::string FullFile;             // "TEMP/QnTMP-n.CSV" when full files are saved
};

// A journal as read: everything up to its last whole record.
struct RunJournalContents {
    bool HasPlan = false;
    JournalPlan Plan;
    std::vector<JournalAttempt> Attempts;
    std::vector<std::string> Notes; // what happened to the bench, "<time> <text>"
    bool Ended = false;
    bool Completed = false;
    uint64_t WholeBytes = 0; // bytes of the whole records read
    bool Unfinished() const { return HasPlan && !Ended; }
    // The first row with a step not yet ended (TempCount + 1 when none).
    size_t NextRow() const;
};

// The journal texts: one line a record, "<crc32 hex>\t<fields>\n".
std::string JournalPlanRecord(const JournalPlan& plan);
std::string JournalAttemptRecord(const JournalAttempt& attempt);
std::string JournalEndRecord(bool completed);
// A line of what happened to the bench during the run (a bridge lost and reopened).
std::string JournalNoteRecord(const std::string& time, const std::string& text);
// Reads records until the end or the first cut, damaged or unreadable line.
RunJournalContents ParseRunJournal(std::string_view text);
// The journal in `programDir`; empty contents when there is none.
RunJournalContents ReadRunJournal(const std::string& programDir);

// The plan of a run from the bench's plan and step tables, and back: Apply gives the plan, its
// grid and the step tables the rows, steps and settings the run used.
JournalPlan PlanInUse(RunMode mode, const std::string& started, const TempTestPlan& plan,
                      const StepTable& fluke, const StepTable& power);
void ApplyJournalPlan(const JournalPlan& journal, TempTestPlan& plan, StepTable& fluke,
                      StepTable& power);

// Results sized to the journal's plan, filled from its attempts (the last per row and step wins).
TempResults JournalResults(const RunJournalContents& journal);
// The full-file number after the highest one in the journal; none when it names no file.
std::optional<size_t> NextFullFileNumber(const RunJournalContents& journal);
// Writes the A, B and (unless the source was "ADC") multimeter files from the journal in
// `programDir`, as the run would have left them.
std::vector<ResultFileWrite> RebuildResultFiles(const std::string& programDir);

// "YYYY-MM-DD HH:MM:SS" of a Clock::Now() value.
std::string LocalTimeText(double days);

// The journal a run writes: each record synced to the disk before the run goes on.
class RunJournal {
  public:
    // A new run: the old journal becomes QnTEMP.JOURNAL.old and the plan record starts a new one.
    bool Begin(const std::string& programDir, const JournalPlan& plan);
    // A resumed run appends to its journal after its last whole record.
    bool Continue(const std::string& programDir, uint64_t wholeBytes);
    bool Attempt(const JournalAttempt& attempt);
    bool Note(const std::string& time, const std::string& text);
    bool End(bool completed);

  private:
    AppendFile file_;
};

} // namespace qn
