// The temperature run command's recovery from the run journal: "--rebuild" writes the result
// files from it, and a run cut off between its journal's end and its A file gets them before the
// next run or resume.
#pragma once

#include "run/RunJournal.h"

#include <optional>
#include <string>

namespace qn {

// "--temperature-run [PLAN] --rebuild": the A, B and multimeter files from the journal in
// `programDir`; its damage goes to stderr. 0 when they were written; 1 with the reason on stderr
// when there is no journal to rebuild from, a file could not be written, the files on disk hold
// results the journal lacks (then nothing is replaced), or the journal is damaged and a step has
// no measurement (the damaged lines may have held it).
int RunRebuildCommand(const std::string& programDir);

// Before a run or a resume: a run whose journal records its end while QnTEMPA.CSV is missing
// gets its files, with a message. For a resume that was all there was to do: its exit code
// (0 when the files were rebuilt and the run had measured everything). None when the command
// goes on.
std::optional<int> RecoverBeforeRun(const std::string& programDir, bool resume);

// Why `journal` cannot be resumed ("--resume: …"), empty when it can; its damage goes to stderr
// either way.
std::string ResumeRefusal(const RunJournalContents& journal, const std::string& programDir);

} // namespace qn
