// Text files: line ends, reads that say why they failed, replacement through links and refusal of
// special files, and the removal of leftover temporary files.
#include "files/TextFile.h"
#include "TestDoubles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <sys/stat.h>

namespace qn {
namespace {

namespace fs = std::filesystem;

class TextFileTest : public ::testing::Test {
  protected:
    std::string At(const std::string& name) const { return (dir / name).string(); }
    test::TempFolder folder;
    const fs::path& dir = folder.Path();
};

TEST(TextLines, LineEndsAndByteOrderMark) {
    const std::pair<std::string_view, std::vector<std::string_view>> cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},         {"a\nb", {"a", "b"}},
        {"a\r\r\nb\n", {"a\r", "b"}},       // a stray CR in a CR LF file stays in its line
        {"a\rb\r\rc", {"a", "b", "", "c"}}, // no LF at all: CR alone ends a line
        {"a\rb\nc", {"a\rb", "c"}},         {"", {}},
    };
    for (const auto& [text, lines] : cases) EXPECT_EQ(SplitTextLines(text), lines) << text;
    EXPECT_EQ(WithoutByteOrderMark("\xEF\xBB\xBFQn"), "Qn");
    EXPECT_EQ(WithoutByteOrderMark("\xEF\xBBQn"), "\xEF\xBBQn");
}

// A folder, a pipe (or a link to one), a link loop and a missing file are refused with a reason,
// without waiting or throwing, and left as they were.
TEST_F(TextFileTest, ReadAndReplaceRefuseWhatIsNotAFile) {
    fs::create_directory(At("folder"));
    ASSERT_EQ(::mkfifo(At("pipe").c_str(), 0600), 0);
    fs::create_symlink("pipe", At("to-pipe"));
    fs::create_symlink("loop", At("loop"));
    // The name, whether it is missing, and what a read and a replacement say.
    const std::tuple<const char*, bool, const char*, const char*> cases[] = {
        {"folder", false, "folder\" is a folder, not a file", "folder\" is a folder, not a file"},
        {"pipe", false, "pipe\" is not a regular file", "pipe\" is not a regular file"},
        {"to-pipe", false, "to-pipe\" is not a regular file", "to-pipe\" is not a regular file"},
        {"loop", false, "Too many levels of symbolic links", "Too many levels of symbolic links"},
        {"no/such.csv", true, "such.csv\" does not exist", "No such file or directory"},
    };
    for (const auto& [name, missing, readSays, replaceSays] : cases) {
        SCOPED_TRACE(name);
        std::string contents = "old";
        FileProblem problem;
        EXPECT_FALSE(ReadFileContents(At(name), contents, &problem));
        EXPECT_EQ(problem.Missing, missing);
        EXPECT_NE(problem.Text.find(readSays), std::string::npos) << problem.Text;
        EXPECT_EQ(contents, "");
        EXPECT_FALSE(ReadTextLines(At(name)).has_value());
        std::string replaceProblem;
        EXPECT_FALSE(ReplaceFileContents(At(name), "x", &replaceProblem));
        EXPECT_NE(replaceProblem.find(replaceSays), std::string::npos) << replaceProblem;
    }
    EXPECT_TRUE(fs::is_fifo(At("pipe")));
    EXPECT_TRUE(fs::is_directory(At("folder")));
    EXPECT_EQ(folder.EntryCount(), 4) << "nothing temporary left behind";
}

// A link is written through to its file and stays a link, keeping the file's permissions.
TEST_F(TextFileTest, ReplaceWritesThroughLinks) {
    fs::create_directory(At("data"));
    ASSERT_TRUE(ReplaceFileContents(At("data/target.csv"), "old"));
    ::chmod(At("data/target.csv").c_str(), 0640);
    fs::create_symlink("data/target.csv", At("relative"));
    fs::create_symlink(At("relative"), At("chain"));
    fs::create_symlink("data/new.csv", At("dangling"));
    for (const auto& [link, file] : {std::pair{"relative", "data/target.csv"},
                                     {"chain", "data/target.csv"},
                                     {"dangling", "data/new.csv"}}) {
        ASSERT_TRUE(ReplaceFileContents(At(link), link));
        std::string contents;
        EXPECT_TRUE(ReadFileContents(At(file), contents));
        EXPECT_EQ(contents, link);
        EXPECT_TRUE(fs::is_symlink(At(link))) << link;
    }
    EXPECT_EQ(fs::status(At("data/target.csv")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// Only regular files named as ReplaceFileContents names its temporary files, and older than a
// minute, are removed.
TEST_F(TextFileTest, LeftoverTemporaryFilesAreRemoved) {
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    const auto make = [&](const std::string& name, bool aged) {
        ASSERT_TRUE(ReplaceFileContents(At(name), "part"));
        if (aged) fs::last_write_time(At(name), old);
    };
    // The last is a user's own file, named as older temporary files were.
    for (const char* name :
         {".QnTEMPB.CSV.qn-tmp-a1B2c3", "..hidden.qn-tmp-Zz09aa", "QnTEMPB.CSV.qn-tmp-a1B2c3",
          ".QnTEMPB.CSV.qn-tmp-a1B2c", ".QnTEMPB.CSV.qn-tmp-a1B2c34", ".QnTEMPB.CSV.qn-tmp-a1B-c3",
          "..qn-tmp-a1B2c3", ".QnADC.cfg.backup"})
        make(name, true);
    make(".QnTEMPB.CSV.qn-tmp-fresh1", false); // a write still in progress elsewhere
    fs::create_directory(At(".folder.qn-tmp-a1B2c3"));
    fs::create_symlink("QnTEMPB.CSV.qn-tmp-a1B2c3", At(".link.qn-tmp-a1B2c3"));
    std::vector<std::string> removed;
    for (const fs::path& path : RemoveLeftoverTempFiles(dir)) {
        EXPECT_FALSE(fs::exists(fs::symlink_status(path))) << path;
        removed.push_back(path.filename().string());
    }
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed,
              (std::vector<std::string>{"..hidden.qn-tmp-Zz09aa", ".QnTEMPB.CSV.qn-tmp-a1B2c3"}));
    EXPECT_EQ(folder.EntryCount(), 9);
    EXPECT_TRUE(RemoveLeftoverTempFiles(dir / "missing").empty());
}

} // namespace
} // namespace qn
