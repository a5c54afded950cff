// Text files as the tool keeps them: whole-file reads, CR LF lines, atomic replacement.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qn {

// Splits file contents into lines; CR LF and bare LF end a line, a final line needs no ending.
// Text without any LF is split at each CR, as editors that end lines with CR alone save it.
std::vector<std::string_view> SplitTextLines(std::string_view contents);

// The text after a UTF-8 byte-order mark, or the whole text when it has none.
std::string_view WithoutByteOrderMark(std::string_view contents);

// Appends text and the CR LF line end.
void AppendLine(std::string& out, std::string_view text);

// Why a file could not be read or written.
struct FileProblem {
    bool Missing = false; // there is no file by that name (callers often use defaults then)
    std::string Text;     // a message naming the file: "\"/a/QnADC.cfg\" is a folder, not a file"
};

// Reads a whole file's lines as stored (code page 950 bytes); none when it cannot be read.
std::optional<std::vector<std::string>> ReadTextLines(const std::filesystem::path& file,
                                                      FileProblem* problem = nullptr);

// Reads a whole file as bytes. False when it is missing, is not a regular file (a folder, a pipe,
// a device) or cannot be read, with the reason in `problem`. Never throws and never waits on a
// pipe.
bool ReadFileContents(const std::string& path, std::string& contents,
                      FileProblem* problem = nullptr);

// Writes contents to a new file beside the target and renames it over the target, so that a
// crash leaves either the old file or the new one. A symbolic link is followed to the file it
// names, which is replaced while the link stays; a target that exists but is not a regular file
// (a folder, a pipe, a device) is refused. False (and the target untouched) on any failure, with
// a message naming the file in `problem`.
bool ReplaceFileContents(const std::string& path, std::string_view contents,
                         std::string* problem = nullptr);
// The same, of contents given in pieces written one after the other (a large file need not be
// joined into one string first).
bool ReplaceFileContents(const std::string& path, std::span<const std::string_view> pieces,
                         std::string* problem = nullptr);

// The temporary files that ReplaceFileContents writes are named "." + the file's name +
// ".qn-tmp-" and six letters or digits; a write killed before its rename leaves one behind.
bool IsLeftoverTempName(std::string_view name);

// Removes the leftover temporary files (regular files only, older than a minute so that a write
// in progress elsewhere is never touched) directly in `folder`; gives the paths removed.
std::vector<std::filesystem::path> RemoveLeftoverTempFiles(const std::filesystem::path& folder);

} // namespace qn
