// Text files: line ends, reads that say why they failed, replacement through links and refusal of
// special files, and the removal of leftover temporary files.
#include "files/TextFile.h"
#include "TestDoubles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace qn {
namespace {

namespace fs = std::filesystem;

class TextFileTest : public ::testing::Test {
  protected:
    std::string At(const std::string& name) const { return (dir / name).string(); }
    std::string Read(const std::string& name) const {
        std::string contents;
        EXPECT_TRUE(ReadFileContents(At(name), contents)) << name;
        return contents;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    test::TempFolder folder;
    const fs::path& dir = folder.Path();
};

TEST(TextLines, LineEndsAndByteOrderMark) {
    const struct {
        std::string_view Text;
        std::vector<std::string_view> Lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},         {"a\nb", {"a", "b"}},
        {"a\r\r\nb\n", {"a\r", "b"}},       // a stray CR in a CR LF file stays in its line
        {"a\rb\r\rc", {"a", "b", "", "c"}}, // no LF at all: CR alone ends a line
        {"a\rb\nc", {"a\rb", "c"}},         {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitTextLines(c.Text), c.Lines) << c.Text;
    EXPECT_EQ(WithoutByteOrderMark("\xEF\xBB\xBFQn"), "Qn");
    EXPECT_EQ(WithoutByteOrderMark("\xEF\xBBQn"), "\xEF\xBBQn");
}

// A folder, a pipe and a missing file are refused with a reason and without waiting or throwing.
TEST_F(TextFileTest, ReadSaysWhyAFileCannotBeRead) {
    ASSERT_TRUE(ReplaceFileContents(At("plain"), "x\r\n"));
    fs::create_directory(At("folder"));
    ASSERT_EQ(::mkfifo(At("pipe").c_str(), 0600), 0);
    const struct {
        const char* Name;
        bool Missing;
        const char* Says;
    } cases[] = {
        {"folder", false, "folder\" is a folder, not a file"},
        {"pipe", false, "pipe\" is not a regular file"},
        {"gone", true, "gone\" does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string contents = "old";
        FileProblem problem;
        EXPECT_FALSE(ReadFileContents(At(c.Name), contents, &problem));
        EXPECT_EQ(problem.Missing, c.Missing);
        EXPECT_NE(problem.Text.find(c.Says), std::string::npos) << problem.Text;
        EXPECT_EQ(contents, "");
        EXPECT_FALSE(ReadTextLines(At(c.Name)).has_value());
    }
    EXPECT_EQ(Read("plain"), "x\r\n");
}

// A link is written through to its file and stays a link; a file that is not a regular one is
// refused and left as it was; nothing temporary is left behind.
TEST_F(TextFileTest, ReplaceWritesThroughLinksAndRefusesSpecialFiles) {
    fs::create_directory(At("data"));
    ASSERT_TRUE(ReplaceFileContents(At("data/target.csv"), "old"));
    ::chmod(At("data/target.csv").c_str(), 0640);
    fs::create_symlink("data/target.csv", At("relative"));
    fs::create_symlink(At("relative"), At("chain"));
    fs::create_symlink("data/new.csv", At("dangling"));
    ASSERT_TRUE(ReplaceFileContents(At("relative"), "one"));
    EXPECT_EQ(Read("data/target.csv"), "one");
    ASSERT_TRUE(ReplaceFileContents(At("chain"), "two"));
    EXPECT_EQ(Read("data/target.csv"), "two");
    EXPECT_EQ(fs::status(At("data/target.csv")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(ReplaceFileContents(At("dangling"), "new"));
    EXPECT_EQ(Read("data/new.csv"), "new");
    for (const char* link : {"relative", "chain", "dangling"})
        EXPECT_TRUE(fs::is_symlink(At(link))) << link;

    fs::create_symlink("loop", At("loop"));
    fs::create_directory(At("folder"));
    ASSERT_EQ(::mkfifo(At("pipe").c_str(), 0600), 0);
    fs::create_symlink("pipe", At("to-pipe"));
    const struct {
        const char* Name;
        const char* Says;
    } refused[] = {{"folder", "folder\" is a folder, not a file"},
                   {"pipe", "pipe\" is not a regular file"},
                   {"to-pipe", "to-pipe\" is not a regular file"},
                   {"loop", "Too many levels of symbolic links"},
                   {"no/such/folder.csv", "No such file or directory"}};
    for (const auto& c : refused) {
        SCOPED_TRACE(c.Name);
        std::string problem;
        EXPECT_FALSE(ReplaceFileContents(At(c.Name), "x", &problem));
        EXPECT_NE(problem.find(c.Says), std::string::npos) << problem;
    }
    EXPECT_TRUE(fs::is_fifo(At("pipe")));
    EXPECT_TRUE(fs::is_directory(At("folder")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"chain", "dangling", "data", "folder", "loop",
                                                 "pipe", "relative", "to-pipe"}));
}

// Only regular files named as ReplaceFileContents names its temporary files, and older than a
// minute, are removed.
TEST_F(TextFileTest, LeftoverTemporaryFilesAreRemoved) {
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    const auto make = [&](const std::string& name, bool aged) {
        ASSERT_TRUE(ReplaceFileContents(At(name), "part"));
        if (aged) fs::last_write_time(At(name), old);
    };
    make(".QnTEMPB.CSV.qn-tmp-a1B2c3", true);
    make("..hidden.qn-tmp-Zz09aa", true);
    make(".QnTEMPB.CSV.qn-tmp-fresh1", false); // a write still in progress elsewhere
    make("QnTEMPB.CSV.qn-tmp-a1B2c3", true);
    make(".QnTEMPB.CSV.qn-tmp-a1B2c", true);
    make(".QnTEMPB.CSV.qn-tmp-a1B2c34", true);
    make(".QnTEMPB.CSV.qn-tmp-a1B-c3", true);
    make("..qn-tmp-a1B2c3", true);
    make(".QnADC.cfg.backup", true); // a user's own file, named as older temporary files were
    fs::create_directory(At(".folder.qn-tmp-a1B2c3"));
    fs::create_symlink("QnTEMPB.CSV.qn-tmp-a1B2c3", At(".link.qn-tmp-a1B2c3"));
    const std::vector<fs::path> removed = RemoveLeftoverTempFiles(dir);
    EXPECT_EQ(removed.size(), 2u);
    EXPECT_EQ(Names(), (std::vector<std::string>{
                           "..qn-tmp-a1B2c3", ".QnADC.cfg.backup", ".QnTEMPB.CSV.qn-tmp-a1B-c3",
                           ".QnTEMPB.CSV.qn-tmp-a1B2c", ".QnTEMPB.CSV.qn-tmp-a1B2c34",
                           ".QnTEMPB.CSV.qn-tmp-fresh1", ".folder.qn-tmp-a1B2c3",
                           ".link.qn-tmp-a1B2c3", "QnTEMPB.CSV.qn-tmp-a1B2c3"}));
    EXPECT_TRUE(RemoveLeftoverTempFiles(dir / "missing").empty());
}

} // namespace
} // namespace qn
