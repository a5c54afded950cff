// The program's command line before any application object exists: which form runs, the window
// form's own options, the usage errors every form reports alike, the version and the help.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// Exit statuses of every form.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

enum class ProgramForm { Window, Capture, NoiseTable, TempRun, Serve, Help, Version };

// The parts of the bench that are simulated: the board (the bridge and its chip), the lab (the
// calibrator, supply and chamber), both, or none.
enum class Simulated { None, Board, Lab, All };

// "--simulate" or "--simulate=all", "--simulate=board", "--simulate=lab" (the last one given
// counts), or the usage error's message for any other value.
struct SimulatedChoice {
    Simulated Parts = Simulated::None;
    std::optional<std::string> Problem;
};
SimulatedChoice SimulatedOf(const std::vector<std::string>& args);

// The arguments with "--simulate=PART" written as "--simulate", as the forms' option parsers
// know it (the part was taken by SimulatedOf).
std::vector<std::string> WithoutSimulatedPart(std::vector<std::string> args);

// Whether serial port `portName` reaches the simulated bench: the lab's COM1 to COM3 when the lab
// is simulated, the serial bridge's COM16 when the board is, every port when both are.
bool SimulatedPort(Simulated parts, std::string_view portName);

// The status bar's note at start: "Simulated: board", "Simulated: lab", "Simulated: board and
// lab"; empty on real hardware.
std::string SimulatedText(Simulated parts);

// The form the arguments (without the program name) ask for: a form's own option chooses it;
// "--version", then "--help" or "-h" without a form's option ask for those.
ProgramForm FormOf(const std::vector<std::string>& args);

// What is wrong with the window form's arguments, which are only "--simulate[=PART]"; none when
// right (the part's value is SimulatedOf's to check).
std::optional<std::string> WindowFormProblem(const std::vector<std::string>& args);

// Prints "qn740xtest: <message>" and "Try 'qn740xtest --help'." on standard error; gives 2.
int UsageError(const std::string& message);

// "qn740xtest <version> (revision <source revision>)".
std::string VersionText();

// Every form and its options, grouped by form, with the exit statuses.
std::string_view HelpText();

// Whether a window can be shown: a display (X11 or Wayland) or a Qt platform is named.
bool DisplayNamed(const char* display, const char* waylandDisplay, const char* qtPlatform);

// The window form's message when no display can be opened.
std::string NoDisplayText();

} // namespace qn
