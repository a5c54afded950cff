// The whole-file writer goes on after a write that a signal interrupted (EINTR), as a write to a
// network or FUSE folder can be. This program's own write() fails the next call so when asked,
// which is why the test has a program of its own.
#include "files/TextFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::atomic<int> gInterruptNext{0};

} // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size) {
    if (gInterruptNext.exchange(0) != 0) {
        errno = EINTR;
        return -1;
    }
    return ::syscall(SYS_write, fd, data, size);
}

namespace qn {
namespace {

TEST(TextFile, ReplaceGoesOnAfterAnInterruptedWrite) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("qn-eintr-" + std::to_string(::getpid()));
    gInterruptNext = 1;
    std::string problem;
    EXPECT_TRUE(ReplaceFileContents(path.string(), "kept whole\r\n", &problem)) << problem;
    EXPECT_EQ(gInterruptNext, 0) << "the write was interrupted";
    std::string read;
    EXPECT_TRUE(ReadFileContents(path.string(), read));
    EXPECT_EQ(read, "kept whole\r\n");
    std::filesystem::remove(path);
}

} // namespace
} // namespace qn
