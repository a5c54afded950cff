// The command line's forms, the window form's own options, and the simulated parts with their
// ports.
#include "shell/CommandLine.h"
#include "sim/SimClock.h"
#include "sim/SimWorld.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace qn {
namespace {

TEST(CommandLine, FormsAndTheWindowFormsOptions) {
    const std::pair<std::vector<std::string>, ProgramForm> forms[] = {
        {{"--capture", "64"}, ProgramForm::Capture},
        {{"--capture=64"}, ProgramForm::Capture},
        {{"--capture", "64", "--noise-table"}, ProgramForm::NoiseTable},
        {{"--temperature-run", "--rebuild"}, ProgramForm::TempRun},
        {{"--serve", "--port", "0"}, ProgramForm::Serve},
        {{"--serve", "--capture", "64"}, ProgramForm::Capture},
        {{"--noise-table", "--help"}, ProgramForm::NoiseTable},
        {{"-h"}, ProgramForm::Help},
        {{"--simulate", "--help"}, ProgramForm::Help},
        {{"--capture", "64", "--version"}, ProgramForm::Version},
    };
    for (const auto& [args, form] : forms)
        EXPECT_EQ(FormOf(args), form) << testing::PrintToString(args);
    // The window form: its problem, "" when none.
    const std::pair<std::vector<std::string>, const char*> windows[] = {
        {{}, ""},
        {{"--simulate"}, ""},
        {{"--simulate=lab"}, ""},
        {{"--bogus"}, "unknown option \"--bogus\""},
        {{"--simulate=boards", "--bogus"}, "unknown option \"--bogus\""},
        {{"--simulatex"}, "unknown option \"--simulatex\""},
        {{"plan.txt"}, "unexpected argument \"plan.txt\""},
        {{"--csv", "out.csv"}, "--csv needs --capture or --noise-table"},
        {{"--resume"}, "--resume needs --temperature-run"},
        {{"--scale=20"}, "--scale needs --capture"},
        {{"--listen", "0.0.0.0"}, "--listen needs --serve"},
    };
    for (const auto& [args, problem] : windows) {
        EXPECT_EQ(FormOf(args), ProgramForm::Window) << testing::PrintToString(args);
        EXPECT_EQ(WindowFormProblem(args).value_or(""), problem) << testing::PrintToString(args);
    }
    // A window needs a display or a Qt platform.
    EXPECT_FALSE(DisplayNamed(nullptr, nullptr, nullptr));
    EXPECT_FALSE(DisplayNamed("", "", ""));
    EXPECT_TRUE(DisplayNamed(":0", nullptr, nullptr));
    EXPECT_TRUE(DisplayNamed(nullptr, "wayland-0", nullptr));
    EXPECT_TRUE(DisplayNamed(nullptr, nullptr, "offscreen"));
}

TEST(CommandLine, SimulatedPartsAndWhereTheirPortsGo) {
    const char* const kTakes = "--simulate takes board, lab or all, not ";
    // The arguments, the parts they simulate, the problem ("" when none).
    const std::tuple<std::vector<std::string>, Simulated, std::string> cases[] = {
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
    for (const auto& [args, parts, problem] : cases) {
        const SimulatedChoice choice = SimulatedOf(args);
        EXPECT_EQ(choice.Parts, parts) << testing::PrintToString(args);
        EXPECT_EQ(choice.Problem.value_or(""), problem) << testing::PrintToString(args);
    }
    EXPECT_EQ(WithoutSimulatedPart({"--simulate=lab", "--csv=a.csv", "--simulate"}),
              (std::vector<std::string>{"--simulate", "--csv=a.csv", "--simulate"}));

    // Which serial ports reach the simulated bench under no part, the board, the lab and all
    // ("0011": the lab and all); the rest are real ports.
    const std::pair<const char*, const char*> ports[] = {
        {"COM1", "0011"},  {"COM2", "0011"},  {"COM3", "0011"},  {"COM4", "0001"},
        {"COM16", "0101"}, {"COM17", "0001"}, {"COM10", "0001"},
    };
    for (const auto& [port, routed] : ports) {
        std::string got;
        for (const Simulated parts :
             {Simulated::None, Simulated::Board, Simulated::Lab, Simulated::All})
            got += SimulatedPort(parts, port) ? '1' : '0';
        EXPECT_EQ(got, routed) << port;
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

} // namespace
} // namespace qn
