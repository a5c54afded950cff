// The command line's forms and the window form's own options.
#include "shell/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qn {
namespace {

TEST(CommandLine, FormsAndTheWindowFormsOptions) {
    const struct {
        std::vector<std::string> args;
        ProgramForm form;
        const char* windowProblem; // for the window form: the message, "" when none
    } cases[] = {
        {{}, ProgramForm::Window, ""},
        {{"--simulate"}, ProgramForm::Window, ""},
        {{"--bogus"}, ProgramForm::Window, "unknown option \"--bogus\""},
        {{"--temprature-run", "plan.txt"},
         ProgramForm::Window,
         "unknown option \"--temprature-run\""},
        {{"--simulate=lab"}, ProgramForm::Window, "unknown option \"--simulate=lab\""},
        {{"plan.txt"}, ProgramForm::Window, "unexpected argument \"plan.txt\""},
        {{"--csv", "out.csv"}, ProgramForm::Window, "--csv needs --capture or --noise-table"},
        {{"--resume"}, ProgramForm::Window, "--resume needs --temperature-run"},
        {{"--scale=20"}, ProgramForm::Window, "--scale needs --capture"},
        {{"--capture", "64"}, ProgramForm::Capture, nullptr},
        {{"--capture=64"}, ProgramForm::Capture, nullptr},
        {{"--capturex"}, ProgramForm::Window, "unknown option \"--capturex\""},
        {{"--capture", "64", "--noise-table"}, ProgramForm::NoiseTable, nullptr},
        {{"--temperature-run", "--rebuild"}, ProgramForm::TempRun, nullptr},
        {{"--noise-table", "--help"}, ProgramForm::NoiseTable, nullptr},
        {{"-h"}, ProgramForm::Help, nullptr},
        {{"--simulate", "--help"}, ProgramForm::Help, nullptr},
        {{"--capture", "64", "--version"}, ProgramForm::Version, nullptr},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args) shown += arg + " ";
        EXPECT_EQ(FormOf(c.args), c.form) << shown;
        if (c.windowProblem == nullptr) continue;
        EXPECT_EQ(WindowFormProblem(c.args).value_or(""), c.windowProblem) << shown;
    }
}

TEST(CommandLine, AWindowNeedsADisplayOrAQtPlatform) {
    EXPECT_FALSE(DisplayNamed(nullptr, nullptr, nullptr));
    EXPECT_FALSE(DisplayNamed("", "", ""));
    EXPECT_TRUE(DisplayNamed(":0", nullptr, nullptr));
    EXPECT_TRUE(DisplayNamed(nullptr, "wayland-0", nullptr));
    EXPECT_TRUE(DisplayNamed(nullptr, nullptr, "offscreen"));
}

} // namespace
} // namespace qn
