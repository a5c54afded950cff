// The run journal "QnTEMP.JOURNAL": an append-only record of a temperature run (its plan, every
// finished step attempt, how it ended) that survives a crash, so its results can be rebuilt and
// an unfinished run resumed.
#pragma once

#include "files/AppendFile.h"
#include "instruments/StepTable.h"
#include "run/TempResultFiles.h"
#include "run/TempTestData.h"
#include "run/TempTestPlan.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

inline constexpr const char* kJournalFile = "QnTEMP.JOURNAL";
inline constexpr const char* kJournalOldFile = "QnTEMP.JOURNAL.old";
// Version 2 added the attempt's "captured" field; a version-1 journal still reads (and resumes),
// each of its attempts counted as captured.
inline constexpr int kJournalVersion = 2;

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
    // The attempt's capture went through: only then is Result a measurement. A final attempt
    // without it marks a step given up unmeasured.
    bool Captured = false;
    // The chip's own temperature reading before the capture, °C; NaN when it gave none (and in
    // journals written before the field existed).
    double BoardCelsius = NAN;
};

// A journal as read: every intact record of its run, and what was damaged.
struct RunJournalContents {
    bool HasPlan = false;
    JournalPlan Plan;
    std::vector<JournalAttempt> Attempts;
    std::vector<std::string> Notes; // what happened to the bench, "<time> <text>"
    bool Ended = false;
    bool Completed = false;
    // The reading stopped at the record of another run: nothing may be appended to this one.
    bool OtherRunFollows = false;
    // Bytes up to the end of the last whole line, damaged or not: a resumed run appends there,
    // cutting off only a record torn by a crash.
    uint64_t WholeBytes = 0;
    // What was damaged, by line: "Run journal line 7 is damaged and was left out".
    std::vector<std::string> Damage;
    bool Unfinished() const { return HasPlan && !Ended && !OtherRunFollows; }
    // The first row with a step not yet ended (TempCount + 1 when none): each row and step
    // counts once, however many final records it has.
    size_t NextRow() const;
};

// The journal's damage, a line each; empty when there is none.
std::string DamageText(const RunJournalContents& journal);

// The journal texts: one line a record, "<crc32 hex>\t<fields>\n".
std::string JournalPlanRecord(const JournalPlan& plan);
std::string JournalAttemptRecord(const JournalAttempt& attempt);
std::string JournalEndRecord(bool completed);
// A line of what happened to the bench during the run (a bridge lost and reopened).
std::string JournalNoteRecord(const std::string& time, const std::string& text);
// Reads every record; lines end with LF, CR LF or CR. A damaged or unreadable line is left out
// and named in Damage, and the records after it are kept when their checksums verify and their
// rows and steps fit the plan. A damaged first record (the plan) leaves nothing to read; a
// record torn by a crash at the end is left out without a word.
RunJournalContents ParseRunJournal(std::string_view text);
// The journal in `programDir`; empty contents when there is none, with the reason in Damage
// when it exists but cannot be read.
RunJournalContents ReadRunJournal(const std::string& programDir);

// The plan of a run from the bench's plan and step tables, and back: Apply gives the plan, its
// grid and the step tables the rows, steps and settings the run used.
JournalPlan PlanInUse(RunMode mode, const std::string& started, const TempTestPlan& plan,
                      const StepTable& fluke, const StepTable& power);
void ApplyJournalPlan(const JournalPlan& journal, TempTestPlan& plan, StepTable& fluke,
                      StepTable& power);

// Results sized to the journal's plan: the set points of its rows, and the figures of its
// captured attempts (the last per row and step wins), each marked measured. An attempt whose
// capture failed leaves the step's figures as they were.
TempResults JournalResults(const RunJournalContents& journal);
// The full-file number after the highest one in the journal; none when it names no file.
std::optional<size_t> NextFullFileNumber(const RunJournalContents& journal);

// "YYYY-MM-DD HH:MM:SS" of a Clock::Now() value.
std::string LocalTimeText(double days);

// The journal a run writes: each record synced to the disk before the run goes on.
class RunJournal {
  public:
    // A new run: the old journal becomes QnTEMP.JOURNAL.old and the plan record starts a new one.
    // Empty when begun, otherwise why not; an old journal that cannot be moved aside is left as
    // it is and nothing is written.
    std::string Begin(const std::string& programDir, const JournalPlan& plan);
    // A resumed run appends to its journal after its last whole line.
    bool Continue(const std::string& programDir, uint64_t wholeBytes);
    bool Attempt(const JournalAttempt& attempt);
    bool Note(const std::string& time, const std::string& text);
    bool End(bool completed);

  private:
    AppendFile file_;
};

} // namespace qn
