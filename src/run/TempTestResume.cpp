// The temperature test and its run journal: a record for the start and each finished attempt,
// the resumed run that carries on after the last ended step, and the files rebuilt from it.
#include "run/TempTest.h"

#include "run/TempResultRebuild.h"

#include <algorithm>

namespace qn {
namespace {

constexpr StatusPanel kRowPanel = StatusPanel::Link;

} // namespace

// False when the journal cannot be started: no run goes without one.
bool TempTest::StartJournal(RunMode mode, const RunJournalContents* resume) {
    const std::string& dir = wiring_.ProgramDir;
    if (resume == nullptr) {
        const BenchInstruments& lab = wiring_.Instruments;
        const std::string why =
            journal_.Begin(dir, PlanInUse(mode, LocalTimeText(wiring_.Time.Now()), plan_,
                                          lab.FlukeSteps, lab.PowerSteps));
        journalOk_ = why.empty();
        if (!journalOk_) Problem(why);
    } else {
        journalOk_ = journal_.Continue(dir, resume->WholeBytes);
        results_ = JournalResults(*resume);
        currentRow_ = resume->NextRow();
        // The first step of that row without an ended attempt, and the attempts it already had.
        std::vector<int> attempts(stepCount_ + 1, 0);
        std::vector<bool> ended(stepCount_ + 1, false);
        for (const JournalAttempt& a : resume->Attempts) {
            if (a.Row != currentRow_) continue;
            attempts[a.Step] = std::max(attempts[a.Step], a.Attempt);
            ended[a.Step] = ended[a.Step] || a.Final;
        }
        while (firstStep_ <= stepCount_ && ended[firstStep_]) ++firstStep_;
        firstAttempts_ = firstStep_ <= stepCount_ ? attempts[firstStep_] : 0;
        if (const auto next = NextFullFileNumber(*resume)) FullFileCounter = *next;
    }
    if (!journalOk_) return false;
    // The state a run starts in is kept once; a resumed run keeps the first one.
    if (resume == nullptr && !FileWritten.Notify(dir + kJournalFile))
        Problem("The state snapshot beside " + dir + kJournalFile + " could not be written");
    return true;
}

// A line on the status bar and in the journal.
void TempTest::Note(const std::string& text) {
    wiring_.Status.SetPanelText(kRowPanel, text);
    if (journalOk_ && !journal_.Note(LocalTimeText(wiring_.Time.Now()), text)) JournalLost();
}

// A record that cannot be written (a full disk) ends the run through its safe finish: the journal
// keeps its last whole record, so the run can be resumed from there, and nothing is measured that
// it would not hold.
void TempTest::JournalLost() {
    journalOk_ = false;
    running_ = false;
    Problem("The run journal " + wiring_.ProgramDir + kJournalFile +
            " could not be written (is the disk full?): the run was ended. Resuming it goes on "
            "after the last step the journal holds.");
}

// False when the record could not be written: the run is then ending.
bool TempTest::Journal(size_t s, int attempt, bool final, bool captured,
                       const std::string& fullFile) {
    if (!journalOk_) return false;
    const size_t row = currentRow_;
    JournalAttempt record{row,
                          s,
                          attempt,
                          final,
                          results_.SetPoint(row),
                          results_.HumiditySetPoint(row),
                          chamberCelsius_,
                          results_.Result(row, s),
                          {},
                          fullFile,
                          captured,
                          boardCelsius_};
    if (plan_.Settings.Source != CaptureSource::Adc)
        for (size_t channel = 0; channel < kMeterChannels; ++channel)
            record.Meters.push_back(results_.Meter(row, s, channel));
    if (journal_.Attempt(record)) return true;
    JournalLost();
    return false;
}

bool TempTest::Resume(const RunJournalContents& journal) {
    const auto hold = wiring_.Guard.Begin();
    if (!hold || running_ || !journal.Unfinished()) return false;
    BenchInstruments& lab = wiring_.Instruments;
    ApplyJournalPlan(journal.Plan, plan_, lab.FlukeSteps, lab.PowerSteps);
    PlanChanged.Notify();
    if (!Start(journal.Plan.Mode, &journal)) return false;
    if (journal.Plan.Mode == RunMode::Begin)
        BeginRows();
    else
        TestRows();
    return true;
}

// A run cut off between its journal's end record and its A file gets its files first; damage in
// a journal whose run has not ended is told, as it decides what can be resumed.
TempTest::ResumeOffer TempTest::OfferResume() {
    if (running_) return ResumeOffer::NoRun;
    if (const EndedRunRecovery recovery = RecoverEndedRun(wiring_.ProgramDir); recovery.Needed) {
        wiring_.Ask.Tell(recovery.Message);
        return ResumeOffer::NoRun;
    }
    const RunJournalContents journal = ReadRunJournal(wiring_.ProgramDir);
    if (!journal.Unfinished()) {
        if (!journal.Ended && !journal.Damage.empty()) wiring_.Ask.Tell(DamageText(journal));
        return ResumeOffer::NoRun;
    }
    const bool chamberNeeded = journal.Plan.Mode == RunMode::Begin;
    if (!wiring_.Stnd.Usb.Open ||
        (chamberNeeded && !wiring_.Instruments.Ports.ChamberPort.Selected)) {
        wiring_.Status.SetPanelText(kRowPanel, "An unfinished run waits in the journal: connect "
                                               "the bridge and select the instruments, then open "
                                               "this window again");
        return ResumeOffer::NotReady;
    }
    const size_t rows = journal.Plan.TempCount();
    const std::string question = "An unfinished temperature run (row " +
                                 std::to_string(std::min(journal.NextRow(), rows)) + " of " +
                                 std::to_string(rows) + ", started " + journal.Plan.Started +
                                 ") was found. Resume it?";
    if (!journal.Damage.empty()) wiring_.Ask.Tell(DamageText(journal));
    if (!wiring_.Ask.Confirm(question)) return ResumeOffer::Declined;
    return Resume(journal) ? ResumeOffer::Resumed : ResumeOffer::Declined;
}

// Files that hold results the journal lacks are replaced only when the user says so.
void TempTest::RebuildFiles() {
    if (running_) return;
    const ResultRebuild rebuild = PrepareRebuild(wiring_.ProgramDir);
    if (!rebuild.Possible()) return wiring_.Ask.Tell(NothingToRebuildText(rebuild.Journal));
    if (!rebuild.Lacking.empty() &&
        !wiring_.Ask.Confirm(LackingText(rebuild) +
                             ". Rebuilding writes only what the journal holds. Replace the files?"))
        return;
    const std::string damage = DamageText(rebuild.Journal);
    wiring_.Ask.Tell((damage.empty() ? "" : damage + "\n") +
                     WrittenText(WriteRebuild(wiring_.ProgramDir, rebuild)));
}

} // namespace qn
