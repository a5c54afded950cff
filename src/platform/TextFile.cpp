// Reading, splitting and atomically replacing text files.
#include "platform/TextFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qn {
namespace {

bool WriteAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written <= 0) return false;
        contents.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Permissions of the file being replaced, or rw-r--r-- for a new one.
mode_t KeptMode(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
    return 0644;
}

// Makes the rename itself durable: a power cut right after it keeps the new file's name.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

std::vector<std::string_view> SplitTextLines(std::string_view contents) {
    std::vector<std::string_view> lines;
    while (!contents.empty()) {
        size_t end = contents.find('\n');
        std::string_view line = contents.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        contents.remove_prefix(end + 1);
    }
    return lines;
}

void AppendLine(std::string& out, std::string_view text) {
    out += text;
    out += "\r\n";
}

std::optional<std::vector<std::string>> ReadTextLines(const std::filesystem::path& file) {
    std::string content;
    if (!ReadFileContents(file.string(), content)) return std::nullopt;
    const std::vector<std::string_view> lines = SplitTextLines(content);
    return std::vector<std::string>(lines.begin(), lines.end());
}

bool ReadFileContents(const std::string& path, std::string& contents) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

bool ReplaceFileContents(const std::string& path, std::string_view contents) {
    std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string name = ".";
    name += target.filename().string();
    name += ".XXXXXX";
    std::string temp = (folder / name).string();
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = WriteAll(fd, contents) && ::fchmod(fd, KeptMode(path)) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace qn
