// The temperature test and its run journal: a record for the start and each finished attempt,
// the resumed run that carries on after the last ended step, and the files rebuilt from it.
#include "instruments/TempTest.h"

#include <algorithm>

namespace qn {
namespace {

constexpr int kRowPanel = 1;

} // namespace

// A journal that cannot be written does not stop the run: the status bar says so.
void TempTest::StartJournal(RunMode mode, const RunJournalContents* resume) {
    const std::string& dir = wiring_.ProgramDir;
    if (resume == nullptr) {
        const BenchInstruments& lab = wiring_.Instruments;
        journalOk_ = journal_.Begin(dir, PlanInUse(mode, LocalTimeText(wiring_.Time.Now()), plan_,
                                                   lab.FlukeSteps, lab.PowerSteps));
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
    if (!journalOk_) wiring_.Status.SetPanelText(kRowPanel, "Run journal not written");
    // The state a run starts in is kept once; a resumed run keeps the first one.
    if (journalOk_ && resume == nullptr && FileWritten) FileWritten(dir + kJournalFile);
}

// A line on the status bar and in the journal.
void TempTest::Note(const std::string& text) {
    wiring_.Status.SetPanelText(kRowPanel, text);
    if (journalOk_ && !journal_.Note(LocalTimeText(wiring_.Time.Now()), text)) {
        journalOk_ = false;
        wiring_.Status.SetPanelText(kRowPanel, "Run journal not written");
    }
}

void TempTest::Journal(size_t s, int attempt, bool final, const std::string& fullFile) {
    if (!journalOk_) return;
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
                          fullFile};
    if (plan_.Settings.Source != CaptureSource::Adc)
        for (size_t channel = 0; channel < kMeterChannels; ++channel)
            record.Meters.push_back(results_.Meter(row, s, channel));
    if (!journal_.Attempt(record)) {
        journalOk_ = false;
        wiring_.Status.SetPanelText(kRowPanel, "Run journal not written");
    }
}

bool TempTest::Resume(const RunJournalContents& journal) {
    const auto hold = wiring_.Guard.Begin();
    if (!hold || running_ || !journal.Unfinished()) return false;
    BenchInstruments& lab = wiring_.Instruments;
    ApplyJournalPlan(journal.Plan, plan_, lab.FlukeSteps, lab.PowerSteps);
    if (PlanChanged) PlanChanged();
    if (!Start(journal.Plan.Mode, &journal)) return false;
    if (journal.Plan.Mode == RunMode::Begin)
        BeginRows();
    else
        TestRows();
    return true;
}

TempTest::ResumeOffer TempTest::OfferResume() {
    if (running_) return ResumeOffer::NoRun;
    const RunJournalContents journal = ReadRunJournal(wiring_.ProgramDir);
    if (!journal.Unfinished()) return ResumeOffer::NoRun;
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
    if (!wiring_.Ask.Confirm(question)) return ResumeOffer::Declined;
    return Resume(journal) ? ResumeOffer::Resumed : ResumeOffer::Declined;
}

void TempTest::RebuildFiles() {
    if (running_) return;
    std::string told;
    for (const ResultFileWrite& written : RebuildResultFiles(wiring_.ProgramDir)) {
        if (!told.empty()) told += "\n";
        told += written.Ok() ? "Wrote " + written.Path : written.Error;
    }
    wiring_.Ask.Tell(told);
}

} // namespace qn
