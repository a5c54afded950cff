// A file that only grows: every append is written whole and flushed to the disk before it returns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace qn {

class AppendFile {
  public:
    AppendFile() = default;
    ~AppendFile() { Close(); }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens `path` for appending, creating it; with `keepBytes` everything after that many bytes
    // is cut off first (a torn last line). False when it cannot be opened.
    bool Open(const std::string& path, std::optional<uint64_t> keepBytes = std::nullopt);
    // Writes all of `bytes` at the end and syncs the file; false on any failure, which leaves the
    // file as it was before the call.
    bool Append(std::string_view bytes);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
    off_t size_ = 0; // the file's size after the last whole append
};

} // namespace qn
