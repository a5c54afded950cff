// Chooses where the settings and result files live.
#include "shell/ui/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace qn {

ProgramFolder ResolveProgramDir() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (QFileInfo(exeDir).isWritable()) return {exeDir + "/", false};
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(user);
    return {user + "/", true};
}

} // namespace qn
