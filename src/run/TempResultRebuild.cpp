// The result files from the run journal, after a look at what the files on disk hold.
#include "run/TempResultRebuild.h"

#include "files/TextFile.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string_view>

namespace qn {
namespace {

namespace fs = std::filesystem;

// The A and B files' first lines are headings; their data lines run row by row, step by step.
constexpr size_t kHeadingLines = 2;
// Cells before a data line's figures: the A file's set points and step, the B file's step.
constexpr size_t kAFirstFigure = 3;
constexpr size_t kBFirstFigure = 1;
// Steps named in a message; the rest are counted.
constexpr size_t kNamedLacking = 5;

// The cells of a data line from `first` on.
std::vector<std::string_view> FigureCells(std::string_view line, size_t first) {
    std::vector<std::string_view> cells = ResultLineCells(line);
    cells.erase(cells.begin(),
                cells.begin() + static_cast<std::ptrdiff_t>(std::min(first, cells.size())));
    return cells;
}

// Figures that are all empty or zero were never measured (older versions wrote zeros).
bool HoldsResult(const std::vector<std::string_view>& figures) {
    return std::any_of(figures.begin(), figures.end(), [](std::string_view cell) {
        double value = 0;
        const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
        return !cell.empty() &&
               (error != std::errc{} || end != cell.data() + cell.size() || value != 0);
    });
}

// "row r step s" of the data line at `index`, or the file's line number past the journal's rows.
std::string Where(size_t index, const TempResults& results) {
    const size_t steps = results.StepCount();
    if (steps > 0 && index < results.TempCount() * steps)
        return "row " + std::to_string(index / steps + 1) + " step " +
               std::to_string(index % steps + 1);
    return "line " + std::to_string(index + kHeadingLines + 1);
}

// Adds the data lines of file `name` whose figures the `rebuilt` text lacks.
void CompareWithDisk(const std::string& programDir, const char* name, const std::string& rebuilt,
                     size_t firstFigure, ResultRebuild& rebuild) {
    const fs::path path = fs::path(programDir) / name;
    std::string disk;
    if (!ReadFileContents(path.string(), disk)) return; // none, or not a file: nothing to lose
    const std::vector<std::string_view> have = SplitTextLines(disk);
    const std::vector<std::string_view> want = SplitTextLines(rebuilt);
    for (size_t line = kHeadingLines; line < have.size(); ++line) {
        const std::vector<std::string_view> figures = FigureCells(have[line], firstFigure);
        if (!HoldsResult(figures)) continue;
        if (line < want.size() && FigureCells(want[line], firstFigure) == figures) continue;
        rebuild.Lacking.push_back(std::string(name) + " " +
                                  Where(line - kHeadingLines, rebuild.Results));
    }
}

} // namespace

ResultRebuild PrepareRebuild(const std::string& programDir) {
    ResultRebuild rebuild{ReadRunJournal(programDir), {}, {}};
    if (!rebuild.Possible()) return rebuild;
    rebuild.Results = JournalResults(rebuild.Journal);
    const bool alternate = rebuild.Journal.Plan.Settings.Alternate;
    CompareWithDisk(programDir, kTempAFile, TempAFileText(rebuild.Results), kAFirstFigure, rebuild);
    CompareWithDisk(programDir, kTempBFile, TempBFileText(rebuild.Results, alternate),
                    kBFirstFigure, rebuild);
    return rebuild;
}

std::vector<ResultFileWrite> WriteRebuild(const std::string& programDir,
                                          const ResultRebuild& rebuild) {
    const TempRunSettings& settings = rebuild.Journal.Plan.Settings;
    std::vector<ResultFileWrite> written{
        WriteTempAFile(programDir, rebuild.Results),
        WriteTempBFile(programDir, rebuild.Results, settings.Alternate)};
    if (settings.Source != CaptureSource::Adc)
        written.push_back(WriteMeterFile(programDir, rebuild.Results));
    return written;
}

std::string LackingText(const ResultRebuild& rebuild) {
    const std::vector<std::string>& lacking = rebuild.Lacking;
    if (lacking.empty()) return {};
    std::string text = "The result files hold results the run journal lacks (";
    for (size_t i = 0; i < std::min(lacking.size(), kNamedLacking); ++i)
        text += (i > 0 ? ", " : "") + lacking[i];
    if (lacking.size() > kNamedLacking)
        text += " and " + std::to_string(lacking.size() - kNamedLacking) + " more";
    return text + ")";
}

std::string WrittenText(const std::vector<ResultFileWrite>& written) {
    std::string text;
    for (const ResultFileWrite& file : written)
        text += (text.empty() ? "" : "\n") + (file.Ok() ? "Wrote " + file.Path : file.Error);
    return text;
}

std::string NothingToRebuildText(const RunJournalContents& journal) {
    return journal.Damage.empty() ? "No run journal to rebuild" : DamageText(journal);
}

EndedRunRecovery RecoverEndedRun(const std::string& programDir) {
    std::error_code error;
    if (fs::symlink_status(fs::path(programDir) / kTempAFile, error).type() !=
        fs::file_type::not_found)
        return {};
    const ResultRebuild rebuild = PrepareRebuild(programDir);
    if (!rebuild.Journal.Ended) return {};
    const bool completed = rebuild.Journal.Completed;
    const std::string damage = DamageText(rebuild.Journal);
    const std::string run = (damage.empty() ? "" : damage + "\n") + "The temperature run started " +
                            rebuild.Journal.Plan.Started + " has ended, but its " + kTempAFile +
                            " was missing";
    if (!rebuild.Lacking.empty())
        return {true, false, completed,
                run + ". " + LackingText(rebuild) + ": nothing was rebuilt"};
    const std::vector<ResultFileWrite> written = WriteRebuild(programDir, rebuild);
    const bool done = std::all_of(written.begin(), written.end(),
                                  [](const ResultFileWrite& file) { return file.Ok(); });
    return {true, done, completed,
            run + ": its result files were rebuilt from the run journal.\n" + WrittenText(written)};
}

} // namespace qn
