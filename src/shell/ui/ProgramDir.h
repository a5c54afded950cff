// The program's folder for settings and result files: beside the executable when writable.
#pragma once

#include <QString>

namespace qn {

struct ProgramFolder {
    QString Path;          // with a trailing separator
    bool FellBack = false; // the executable's folder was not writable
};

// The executable's folder, or a per-user data folder when the executable's cannot be written.
ProgramFolder ResolveProgramDir();

} // namespace qn
