// The run journal's result files from the command line, and the runs recovered before the next.
#include "shell/ui/TempRunRebuild.h"

#include "run/TempResultRebuild.h"
#include "shell/ui/HeadlessBench.h"

#include <algorithm>
#include <cstdio>

namespace qn {
namespace {

// Damage and failures go to standard error, what was written to standard output.
void PrintLines(const std::string& text, bool failure) {
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        if (failure)
            CommandFailed(line);
        else
            std::printf("%s\n", line.c_str());
        start = end + 1;
    }
    std::fflush(stdout);
}

// A damaged line costs nothing when every step has a measurement from an intact record.
bool EveryStepMeasured(const TempResults& results) {
    for (size_t row = 1; row <= results.TempCount(); ++row)
        for (size_t step = 1; step <= results.StepCount(); ++step)
            if (!results.Measured(row, step)) return false;
    return true;
}

} // namespace

int RunRebuildCommand(const std::string& programDir) {
    const ResultRebuild rebuild = PrepareRebuild(programDir);
    if (!rebuild.Possible())
        return CommandFailed("--rebuild: " + (rebuild.Journal.Damage.empty()
                                                  ? "no run journal in " + programDir + kJournalFile
                                                  : DamageText(rebuild.Journal)));
    PrintLines(DamageText(rebuild.Journal), true);
    if (!rebuild.Lacking.empty())
        return CommandFailed("--rebuild: " + LackingText(rebuild) +
                             "; nothing was replaced. Move those files aside to rebuild them.");
    const std::vector<ResultFileWrite> written = WriteRebuild(programDir, rebuild);
    bool allWritten = true;
    for (const ResultFileWrite& file : written) {
        PrintLines(WrittenText({file}), !file.Ok());
        allWritten = allWritten && file.Ok();
    }
    if (!allWritten) return 1;
    if (!rebuild.Journal.Damage.empty() && !EveryStepMeasured(rebuild.Results))
        return CommandFailed("--rebuild: the run journal is damaged and steps have no "
                             "measurement; the files hold what its intact records give");
    return 0;
}

std::optional<int> RecoverBeforeRun(const std::string& programDir, bool resume) {
    const EndedRunRecovery recovery = RecoverEndedRun(programDir);
    if (!recovery.Needed) return std::nullopt;
    PrintLines(recovery.Message, !recovery.Done);
    if (!resume) return std::nullopt;
    if (recovery.Done && recovery.Completed) return 0;
    return CommandFailed("--resume: no unfinished run in " + programDir + kJournalFile);
}

std::string ResumeRefusal(const RunJournalContents& journal, const std::string& programDir) {
    if (journal.Unfinished()) {
        PrintLines(DamageText(journal), true);
        return {};
    }
    if (!journal.Ended && !journal.Damage.empty()) return "--resume: " + DamageText(journal);
    return "--resume: no unfinished run in " + programDir + kJournalFile;
}

} // namespace qn
