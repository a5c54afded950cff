// Chooses where the settings, result and chip files live.
#include "shell/ui/ProgramDir.h"

#include "chip/ChipCatalogue.h"
#include "chip/ChipText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace qn {
namespace {

bool HoldsChipList(const QString& folder) {
    return FindInFolder(folder.toStdString(), kChipListFile).has_value();
}

} // namespace

ProgramFolder ChooseProgramDir(const QString& exeDir, const QString& userDir) {
    const QString shared = QDir::cleanPath(exeDir + kSharedIncludeDir);
    const bool installed = HoldsChipList(shared);
    if (!installed && QFileInfo(exeDir).isWritable())
        return {exeDir + "/", false, exeDir + "/INCLUDE"};
    const QString userInclude = userDir + "/INCLUDE";
    QString include = exeDir + "/INCLUDE";
    if (HoldsChipList(userInclude))
        include = userInclude;
    else if (installed)
        include = shared;
    return {userDir + "/", true, include};
}

ProgramFolder ResolveProgramDir() {
    const ProgramFolder folder =
        ChooseProgramDir(QCoreApplication::applicationDirPath(),
                         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    if (folder.FellBack) QDir().mkpath(folder.Path);
    return folder;
}

QString FilesLine(const ProgramFolder& folder) {
    return "Files: " + QDir::toNativeSeparators(folder.Path) +
           "; chip files: " + QDir::toNativeSeparators(folder.IncludePath);
}

} // namespace qn
