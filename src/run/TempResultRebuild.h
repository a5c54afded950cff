// The result files rebuilt from the run journal. What the journal gives is compared with the files
// on disk before anything is written, so no result the journal lacks is replaced unasked.
#pragma once

#include "run/RunJournal.h"
#include "run/TempResultFiles.h"
#include "run/TempTestData.h"

#include <string>
#include <vector>

namespace qn {

struct ResultRebuild {
    RunJournalContents Journal; // its Damage says what could not be read
    TempResults Results;
    // The steps whose figures in QnTEMPA.CSV or QnTEMPB.CSV are present where the rebuilt file
    // has none or others: "QnTEMPA.CSV row 1 step 1".
    std::vector<std::string> Lacking;
    bool Possible() const { return Journal.HasPlan; }
};

// Reads the journal in `programDir`, makes its results and compares them with the files there.
ResultRebuild PrepareRebuild(const std::string& programDir);
// Writes the A, B and (unless the source was "ADC") multimeter files as the run would have left
// them: a step without a captured attempt gets empty figure cells.
std::vector<ResultFileWrite> WriteRebuild(const std::string& programDir,
                                          const ResultRebuild& rebuild);
// "QnTEMPA.CSV holds results the run journal lacks (row 1 step 1, …)"; empty when none.
std::string LackingText(const ResultRebuild& rebuild);
// One line per file: "Wrote <path>", or why it was not written.
std::string WrittenText(const std::vector<ResultFileWrite>& written);
// Why nothing can be rebuilt: the journal's damage, or that there is no journal.
std::string NothingToRebuildText(const RunJournalContents& journal);

// A journal that records its run's end while QnTEMPA.CSV is missing: the program was cut off
// between the two. Its files are rebuilt unless the files on disk hold results it lacks.
struct EndedRunRecovery {
    bool Needed = false;
    bool Done = false;      // every file written
    bool Completed = false; // the journal's end record says every row and step was measured
    std::string Message;
};
EndedRunRecovery RecoverEndedRun(const std::string& programDir);

} // namespace qn
