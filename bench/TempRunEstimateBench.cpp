// How close "--temperature-run --check" comes to the run it estimates: three plan shapes (one long
// soak, many short steps, the slowest data rate) checked and then run by the built program on the
// simulated bench and clock; the counters are the estimate, the run's duration on the bench's
// clock and their ratio.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace qn::bench {
namespace {

namespace fs = std::filesystem;

std::string Plan(int shape) {
    const std::string ports = "[calibrator]\n1,1,\"OUT 100 mV ,0 Hz \"\n[supply]\n1,1,VOLT 3.3\n";
    switch (shape) {
    case 0: // a 5-minute ramp to 40 °C, two hours' soak, two steps of 5 s delay
        return "[run]\nTempCount=1\nStart=40\nSoakMinutes=120\nStepRows=2\nSupplyDelay=100\n"
               "[registers]\nAddress,02,Delay,ACM\n1,14,5,2.4\n2,14,5,2.4\n" +
               ports;
    case 1: { // 200 steps without a delay
        std::string plan = "[run]\nTempCount=1\nStart=25\nSoakMinutes=0\nStepRows=200\n"
                           "SupplyDelay=100\n[registers]\nAddress,02,Delay,ACM\n";
        for (int s = 1; s <= 200; ++s) plan += std::to_string(s) + ",14,0,2.4\n";
        return plan + ports;
    }
    default: // three steps at 10 samples a second (OSR 7)
        return "[run]\nTempCount=1\nStart=25\nSoakMinutes=0\nStepRows=3\nSupplyDelay=100\n"
               "[registers]\nAddress,02,Delay,ACM\n1,F4,0,2.4\n2,F4,0,2.4\n3,F4,0,2.4\n" +
               ports;
    }
}

// What the program printed on standard output.
std::string Output(const fs::path& folder, const std::string& args) {
    const std::string command = "cd '" + folder.string() +
                                "' && QN_SIMULATED_CLOCK=1 ./qn740xtest --temperature-run "
                                "plan.txt --simulate " +
                                args + " 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, got);
        pclose(pipe);
    }
    return out;
}

// The "H:MM:SS" after `label` in seconds; -1 when there is none.
double Seconds(const std::string& text, const std::string& label) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(label + R"((\d+):(\d\d):(\d\d))"))) return -1;
    return std::stod(m[1]) * 3600 + std::stod(m[2]) * 60 + std::stod(m[3]);
}

void EstimateAgainstRun(benchmark::State& state) {
    const auto shape = static_cast<int>(state.range(0));
    const fs::path built = QN_PROGRAM;
    const fs::path folder =
        fs::temp_directory_path() /
        ("qn-estimate-bench-" + std::to_string(getpid()) + "-" + std::to_string(shape));
    double estimate = 0;
    double actual = 0;
    for (auto _ : state) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(built, folder / built.filename());
        fs::copy(built.parent_path() / "INCLUDE", folder / "INCLUDE", fs::copy_options::recursive);
        std::ofstream(folder / "plan.txt") << Plan(shape);
        estimate = Seconds(Output(folder, "--check"), "estimate: ");
        actual = Seconds(Output(folder, ""), " steps in ");
    }
    fs::remove_all(folder);
    state.counters["estimate_s"] = estimate;
    state.counters["actual_s"] = actual;
    state.counters["ratio"] = actual > 0 ? estimate / actual : 0;
    if (estimate < 0 || actual <= 0) state.SkipWithError("the check or the run printed no time");
}

BENCHMARK(EstimateAgainstRun)
    ->ArgName("shape") // 0 one long soak, 1 many short steps, 2 slowest data rate
    ->DenseRange(0, 2)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
} // namespace qn::bench
