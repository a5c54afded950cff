// The program's folders: settings and result files beside the executable when writable, else per
// user; the chip files from the per-user folder, the shared folder of an installed program or
// beside the executable.
#pragma once

#include <QString>

namespace qn {

struct ProgramFolder {
    QString Path;          // settings and result files, with a trailing separator
    bool FellBack = false; // installed or read-only: the files live in the per-user folder
    QString IncludePath;   // the chip list and chip description files
};

// The folder of an installed program's shipped chip files, relative to its executable's folder.
inline constexpr const char* kSharedIncludeDir = "/../share/qn740xtest/INCLUDE";

// Chooses the folders for an executable in `exeDir` and a per-user data folder `userDir`. An
// installed program (its shared chip files found beside bin/) or one whose folder cannot be
// written keeps its files in `userDir` and reads the chip files from `userDir`/INCLUDE when that
// holds the chip list, else from the shared folder. Creates no folder.
ProgramFolder ChooseProgramDir(const QString& exeDir, const QString& userDir);

// The choice for this process (the per-user folder is created when chosen).
ProgramFolder ResolveProgramDir();

// "Files: <folder>; chip files: <folder>", for the status bar and --help.
QString FilesLine(const ProgramFolder& folder);

} // namespace qn
