// The command line's forms, the window form's own options, and the simulated parts with their
// ports.
#include "shell/CommandLine.h"
#include "sim/SimClock.h"
#include "sim/SimWorld.h"

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
        {{"--simulate=lab"}, ProgramForm::Window, ""},
        {{"--simulate=boards", "--bogus"}, ProgramForm::Window, "unknown option \"--bogus\""},
        {{"--simulatex"}, ProgramForm::Window, "unknown option \"--simulatex\""},
        {{"plan.txt"}, ProgramForm::Window, "unexpected argument \"plan.txt\""},
        {{"--csv", "out.csv"}, ProgramForm::Window, "--csv needs --capture or --noise-table"},
        {{"--resume"}, ProgramForm::Window, "--resume needs --temperature-run"},
        {{"--scale=20"}, ProgramForm::Window, "--scale needs --capture"},
        {{"--capture", "64"}, ProgramForm::Capture, nullptr},
        {{"--capture=64"}, ProgramForm::Capture, nullptr},
        {{"--capturex"}, ProgramForm::Window, "unknown option \"--capturex\""},
        {{"--capture", "64", "--noise-table"}, ProgramForm::NoiseTable, nullptr},
        {{"--temperature-run", "--rebuild"}, ProgramForm::TempRun, nullptr},
        {{"--serve", "--port", "0"}, ProgramForm::Serve, nullptr},
        {{"--serve", "--capture", "64"}, ProgramForm::Capture, nullptr},
        {{"--listen", "0.0.0.0"}, ProgramForm::Window, "--listen needs --serve"},
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

TEST(CommandLine, SimulatedPartsAndWhereTheirPortsGo) {
    const char* const kTakes = "--simulate takes board, lab or all, not ";
    const struct {
        std::vector<std::string> args;
        Simulated parts;
        std::string problem; // "" when none
    } cases[] = {
        {{}, Simulated::None, ""},
        {{"--capture", "64", "--simulate"}, Simulated::All, ""},
        {{"--simulate=all"}, Simulated::All, ""},
        {{"--simulate=board", "--capture=8"}, Simulated::Board, ""},
        {{"--simulate=lab"}, Simulated::Lab, ""},
        {{"--simulate=lab", "--simulate=board"}, Simulated::Board, ""},
        {{"--simulate=boards"}, Simulated::None, kTakes + std::string("\"boards\"")},
        {{"--simulate=Board"}, Simulated::None, kTakes + std::string("\"Board\"")},
        {{"--simulate="}, Simulated::None, kTakes + std::string("\"\"")},
        {{"--simulatex=lab"}, Simulated::None, ""},
    };
    for (const auto& c : cases) {
        const SimulatedChoice choice = SimulatedOf(c.args);
        const std::string shown = c.args.empty() ? "(none)" : c.args.front();
        EXPECT_EQ(choice.Parts, c.parts) << shown;
        EXPECT_EQ(choice.Problem.value_or(""), c.problem) << shown;
    }
    EXPECT_EQ(WithoutSimulatedPart({"--simulate=lab", "--csv=a.csv", "--simulate"}),
              (std::vector<std::string>{"--simulate", "--csv=a.csv", "--simulate"}));

    // Which serial ports reach the simulated bench under each choice; the rest are real ports.
    const struct {
        const char* port;
        bool none, board, lab, all;
    } ports[] = {
        {"COM1", false, false, true, true},   {"COM2", false, false, true, true},
        {"COM3", false, false, true, true},   {"COM4", false, false, false, true},
        {"COM16", false, true, false, true},  {"COM17", false, false, false, true},
        {"COM10", false, false, false, true},
    };
    for (const auto& p : ports) {
        EXPECT_EQ(SimulatedPort(Simulated::None, p.port), p.none) << p.port;
        EXPECT_EQ(SimulatedPort(Simulated::Board, p.port), p.board) << p.port;
        EXPECT_EQ(SimulatedPort(Simulated::Lab, p.port), p.lab) << p.port;
        EXPECT_EQ(SimulatedPort(Simulated::All, p.port), p.all) << p.port;
    }
    // Every port the simulated world serves is routed to it when its part is simulated.
    SimClock clock;
    SimWorld world(clock);
    for (int index = 1; index <= 17; ++index) {
        const std::string name = "COM" + std::to_string(index);
        if (world.SerialPorts.Port(name) == nullptr) continue;
        EXPECT_TRUE(SimulatedPort(Simulated::Board, name) || SimulatedPort(Simulated::Lab, name))
            << name;
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
