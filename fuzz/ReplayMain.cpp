// Replays kept fuzz inputs without libFuzzer: every file under the given files and folders goes
// once through the target's LLVMFuzzerTestOneInput, so the normal (sanitized) build re-checks them.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

// Says why the replay stops; gives its exit status.
int Refuse(const char* why, const fs::path& path) {
    std::fprintf(stderr, "replay: %s %s\n", why, path.c_str());
    return 2;
}

// Runs one input; false when it cannot be read.
bool Replay(const fs::path& file) {
    // Named before it runs, so the input that crashes is the last one in the log.
    std::fprintf(stderr, "replay: %s\n", file.c_str());
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    // A copy of exactly the input's size, so reading past its end is caught as under libFuzzer;
    // never a null pointer, not even for an empty input.
    const auto data = std::make_unique<uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), data.get());
    LLVMFuzzerTestOneInput(data.get(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path root = argv[i];
        std::vector<fs::path> files;
        if (fs::is_regular_file(root)) files.push_back(root);
        if (fs::is_directory(root))
            for (const auto& entry : fs::recursive_directory_iterator(root))
                if (entry.is_regular_file()) files.push_back(entry.path());
        if (!fs::exists(root)) return Refuse("no such file or folder:", root);
        for (const fs::path& file : files)
            if (!Replay(file)) return Refuse("cannot read", file);
        replayed += files.size();
    }
    if (replayed == 0)
        return Refuse("no inputs; usage:", std::string(argv[0]) + " file-or-folder...");
    std::printf("replayed %zu inputs\n", replayed);
    return 0;
}
