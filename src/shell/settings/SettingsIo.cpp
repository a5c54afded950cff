// Text and file helpers of the settings files.
#include "shell/settings/SettingsIo.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qn {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool EndsNumber(const char* p, const char* end) {
    return p == end || IsBlank(*p) || *p == '-' || *p == '+';
}

const char* SkipBlanks(const char* p, const char* end) {
    while (p != end && IsBlank(*p)) ++p;
    return p;
}

// Parses one number at p ("+" allowed in front); null when there is none.
const char* ParseNumberAt(const char* p, const char* end, int32_t& value) {
    if (p != end && *p == '+' && p + 1 != end && *(p + 1) != '-') ++p;
    auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc{} || !EndsNumber(next, end)) return nullptr;
    return next;
}

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

} // namespace

std::string DecimalText(int64_t value) {
    char buffer[24];
    auto [end, ec] = std::to_chars(std::begin(buffer), std::end(buffer), value);
    (void)ec; // 24 characters hold every 64-bit value
    return std::string(buffer, end);
}

void AppendPaddedInt(std::string& out, int64_t value, int width, bool separate) {
    std::string digits = DecimalText(value);
    auto length = static_cast<int>(digits.size());
    if (separate && length >= width) out += ' ';
    if (length < width) out.append(static_cast<size_t>(width - length), ' ');
    out += digits;
}

void AppendLine(std::string& out, std::string_view text) {
    out += text;
    out += "\r\n";
}

size_t ReadFreeIntegers(std::string_view line, std::span<std::optional<int32_t>> values) {
    const char* p = line.data();
    const char* end = p + line.size();
    size_t count = 0;
    while (count < values.size()) {
        p = SkipBlanks(p, end);
        int32_t value = 0;
        const char* next = p == end ? nullptr : ParseNumberAt(p, end, value);
        if (next == nullptr) break;
        values[count++] = value;
        p = next;
    }
    return count;
}

std::optional<int32_t> ParseWholeInteger(std::string_view text) {
    const char* end = text.data() + text.size();
    const char* p = SkipBlanks(text.data(), end);
    int32_t value = 0;
    const char* next = p == end ? nullptr : ParseNumberAt(p, end, value);
    if (next == nullptr || SkipBlanks(next, end) != end) return std::nullopt;
    return value;
}

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
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = WriteAll(fd, contents) && ::fchmod(fd, KeptMode(path)) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

} // namespace qn
