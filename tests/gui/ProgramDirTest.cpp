// Where the program keeps its files and reads its chip files: run from the build folder, installed
// with the shared chip files, and installed with the user's own chip files.
#include "shell/ui/ProgramDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qn::test {
namespace {

void Touch(const QString& file) {
    QDir().mkpath(QFileInfo(file).path());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

TEST(ProgramDirTest, ChoosesTheFoldersOfTheBuildAndOfAnInstalledProgram) {
    const QString shared = "usr/share/qn740xtest/INCLUDE";
    const struct {
        QStringList Files; // created under the temporary root
        bool PerUser;
        QString Include; // relative to the root
    } cases[] = {
        {{"build/bin/INCLUDE/QnSel.INC"}, false, "build/bin/INCLUDE"},     // the build folder
        {{"usr/share/other/INCLUDE/QnSel.INC"}, false, "usr/bin/INCLUDE"}, // an unrelated share
        {{shared + "/QNSEL.INC"}, true, shared},                           // installed
        {{shared + "/QnSel.INC", "home/INCLUDE/QnSel.INC"}, true, "home/INCLUDE"}, // user's first
        {{shared + "/QnSel.INC", "home/INCLUDE/QN7401.INC"}, true, shared}, // user's without list
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Files.join(' ').toStdString());
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        const QString top = root.path() + "/";
        for (const QString& f : c.Files) Touch(top + f);
        const QString exeDir =
            top + (c.Files.first().startsWith("build") ? "build/bin" : "usr/bin");
        QDir().mkpath(exeDir);
        const ProgramFolder folder = ChooseProgramDir(exeDir, top + "home");
        EXPECT_EQ(folder.FellBack, c.PerUser);
        EXPECT_EQ(folder.Path, c.PerUser ? top + "home/" : exeDir + "/");
        EXPECT_EQ(QDir::cleanPath(folder.IncludePath), top + c.Include);
    }
}

} // namespace
} // namespace qn::test
