// The append-only file on POSIX: O_APPEND writes, each followed by fsync.
#include "files/AppendFile.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace qn {
namespace {

// A file just made or cut only survives a crash once its folder entry is on the disk too.
void SyncFolderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    const std::filesystem::path folder = parent.empty() ? std::filesystem::path(".") : parent;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool AppendFile::Open(const std::string& path, std::optional<uint64_t> keepBytes) {
    Close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) return false;
    if (keepBytes && ::ftruncate(fd_, static_cast<off_t>(*keepBytes)) != 0) {
        Close();
        return false;
    }
    size_ = ::lseek(fd_, 0, SEEK_END);
    if (size_ < 0) {
        Close();
        return false;
    }
    SyncFolderOf(path);
    return true;
}

// A write that stops part way (a full disk) is cut off again, so the file still ends with the
// last whole append and a later append does not follow a torn one. The file's size is kept rather
// than asked at every append (only this object writes the file); after a failure it is asked
// again, so a cut that failed too never makes a later cut remove whole appends.
bool AppendFile::Append(std::string_view bytes) {
    if (fd_ < 0) return false;
    if (size_ < 0) size_ = ::lseek(fd_, 0, SEEK_END);
    if (size_ < 0) return false;
    const off_t before = size_;
    const auto length = static_cast<off_t>(bytes.size());
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    if (bytes.empty() && ::fsync(fd_) == 0) {
        size_ = before + length;
        return true;
    }
    if (::ftruncate(fd_, before) == 0) ::fsync(fd_);
    size_ = ::lseek(fd_, 0, SEEK_END);
    return false;
}

void AppendFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

} // namespace qn
