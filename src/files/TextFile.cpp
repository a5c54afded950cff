// Reading, splitting and atomically replacing text files.
#include "files/TextFile.h"

#include "files/ShownValue.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qn {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr size_t kTempSuffixChars = 6; // mkstemp's "XXXXXX"
// Marks the program's own temporary files, so no file of the user's is ever taken for one.
constexpr std::string_view kTempMark = ".qn-tmp-";
constexpr int kMostLinks = 40; // as the kernel follows them
constexpr auto kLeftoverAge = std::chrono::minutes(1);

std::string Quoted(const fs::path& path) {
    return ShownValue(path.string());
}

std::string SystemProblem(const char* doing, const fs::path& path, int error) {
    return std::string(doing) + " " + Quoted(path) + ": " + std::strerror(error);
}

// What is wrong with a file of this kind in place of a regular file; empty when it is one.
std::string NotRegularProblem(const fs::path& path, mode_t mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return Quoted(path) + " is a folder, not a file";
    return Quoted(path) + " is not a regular file (a pipe, a device or a socket)";
}

void Tell(std::string* out, std::string text) {
    if (out != nullptr) *out = std::move(text);
}

// errno after a failed call; EIO when the call left none (a write that wrote nothing).
int LastError() {
    return errno != 0 ? errno : EIO;
}

bool WriteAll(int fd, std::string_view contents) {
    errno = 0;
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        contents.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool ReadAll(int fd, std::string& contents) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        contents.append(buffer, static_cast<size_t>(got));
    }
}

// Reads an opened file whole when it is a regular one; the problem otherwise, or empty.
std::string ReadOpenFile(int fd, const fs::path& path, std::string& contents) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return SystemProblem("cannot read", path, errno);
    std::string refused = NotRegularProblem(path, info.st_mode);
    if (!refused.empty()) return refused;
    if (!ReadAll(fd, contents)) return SystemProblem("cannot read", path, errno);
    return {};
}

// Permissions of the file being replaced, or rw-r--r-- for a new one.
mode_t KeptMode(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
    return 0644;
}

// Makes the rename itself durable: a power cut right after it keeps the new file's name.
void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The file a write to `path` lands in: path itself, or the file at the end of its chain of
// symbolic links (which need not exist yet). None, with the reason, for a chain too long.
std::optional<fs::path> WriteTarget(const fs::path& path, std::string* problem) {
    fs::path at = path;
    for (int hop = 0; hop <= kMostLinks; ++hop) {
        struct stat info {};
        if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return at;
        std::error_code error;
        const fs::path next = fs::read_symlink(at, error);
        if (error) {
            Tell(problem, SystemProblem("cannot write", path, error.value()));
            return std::nullopt;
        }
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    Tell(problem, SystemProblem("cannot write", path, ELOOP));
    return std::nullopt;
}

// Writes contents into a new temporary file beside `target` and renames it over the target;
// 0 or the error that stopped it (the temporary file is then removed).
int WriteAndRename(const fs::path& target, std::span<const std::string_view> pieces) {
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::string temp =
        (folder / ("." + target.filename().string() + std::string(kTempMark) + "XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return errno;
    int error = 0;
    const bool written = std::all_of(pieces.begin(), pieces.end(),
                                     [fd](std::string_view piece) { return WriteAll(fd, piece); });
    if (!written || ::fchmod(fd, KeptMode(target)) != 0 || ::fsync(fd) != 0) error = LastError();
    if (::close(fd) != 0 && error == 0) error = LastError();
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = LastError();
    if (error != 0) {
        ::unlink(temp.c_str());
        return error;
    }
    SyncFolder(folder);
    return 0;
}

} // namespace

std::vector<std::string_view> SplitTextLines(std::string_view contents) {
    const bool crOnly = contents.find('\n') == std::string_view::npos;
    const char ending = crOnly ? '\r' : '\n';
    size_t count = 1;
    for (size_t at = contents.find(ending); at != std::string_view::npos;
         at = contents.find(ending, at + 1))
        ++count;
    std::vector<std::string_view> lines;
    lines.reserve(count);
    while (!contents.empty()) {
        size_t end = contents.find(ending);
        std::string_view line = contents.substr(0, end);
        if (!crOnly && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        contents.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view WithoutByteOrderMark(std::string_view contents) {
    if (contents.starts_with(kByteOrderMark)) contents.remove_prefix(kByteOrderMark.size());
    return contents;
}

void AppendLine(std::string& out, std::string_view text) {
    out += text;
    out += "\r\n";
}

std::optional<std::vector<std::string>> ReadTextLines(const fs::path& file, FileProblem* problem) {
    std::string content;
    if (!ReadFileContents(file.string(), content, problem)) return std::nullopt;
    const std::vector<std::string_view> lines = SplitTextLines(content);
    return std::vector<std::string>(lines.begin(), lines.end());
}

bool ReadFileContents(const std::string& path, std::string& contents, FileProblem* problem) {
    contents.clear();
    FileProblem found;
    // Without O_NONBLOCK, opening a pipe would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        found.Missing = errno == ENOENT;
        found.Text = found.Missing ? Quoted(path) + " does not exist"
                                   : SystemProblem("cannot read", path, errno);
    } else {
        found.Text = ReadOpenFile(fd, path, contents);
        ::close(fd);
    }
    if (found.Text.empty()) return true;
    contents.clear();
    if (problem != nullptr) *problem = std::move(found);
    return false;
}

bool ReplaceFileContents(const std::string& path, std::string_view contents, std::string* problem) {
    return ReplaceFileContents(path, std::span<const std::string_view>(&contents, 1), problem);
}

bool ReplaceFileContents(const std::string& path, std::span<const std::string_view> pieces,
                         std::string* problem) {
    const std::optional<fs::path> target = WriteTarget(path, problem);
    if (!target) return false;
    struct stat info {};
    if (::stat(target->c_str(), &info) == 0) {
        std::string refused = NotRegularProblem(path, info.st_mode);
        if (!refused.empty()) {
            Tell(problem, std::move(refused));
            return false;
        }
    }
    const int error = WriteAndRename(*target, pieces);
    if (error != 0) Tell(problem, SystemProblem("cannot write", path, error));
    return error == 0;
}

bool IsLeftoverTempName(std::string_view name) {
    const size_t suffix = kTempSuffixChars + kTempMark.size();
    if (name.size() < suffix + 2 || name.front() != '.' ||
        name.substr(name.size() - suffix, kTempMark.size()) != kTempMark)
        return false;
    for (const char c : name.substr(name.size() - kTempSuffixChars)) {
        const bool alphanumeric =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alphanumeric) return false;
    }
    return true;
}

std::vector<fs::path> RemoveLeftoverTempFiles(const fs::path& folder) {
    std::vector<fs::path> removed;
    const auto oldest = fs::file_time_type::clock::now() - kLeftoverAge;
    std::error_code error;
    for (fs::directory_iterator at(folder, error); !error && at != fs::directory_iterator();
         at.increment(error)) {
        const fs::path& path = at->path();
        std::error_code ignored;
        if (!IsLeftoverTempName(path.filename().string()) ||
            !fs::is_regular_file(at->symlink_status(ignored)))
            continue;
        const fs::file_time_type written = at->last_write_time(ignored);
        if (!ignored && written <= oldest && fs::remove(path, ignored)) removed.push_back(path);
    }
    return removed;
}

} // namespace qn
