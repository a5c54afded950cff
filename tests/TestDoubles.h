// Doubles of the host interfaces the core talks through: a status bar that keeps what it was
// told, an event pump that counts its calls and runs a scripted message, and a sheet writer that
// keeps the sheet it was given; a scratch folder.
#pragma once

#include "host/EventPump.h"
#include "host/SheetWriter.h"
#include "host/StatusBar.h"

#include <array>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace qn::test {

// Every text in order, and the last text of each of the three panels.
class RecordingStatus final : public StatusBar {
  public:
    void SetPanelText(StatusPanel panel, const std::string& text) override {
        Panels.at(PanelIndex(panel)) = text;
        Texts.emplace_back(panel, text);
    }
    // The last text of `panel`; empty when it was never written.
    const std::string& Last(StatusPanel panel) const { return Panels.at(PanelIndex(panel)); }
    std::array<std::string, kStatusPanelCount> Panels;
    std::vector<std::pair<StatusPanel, std::string>> Texts;
};

// Counts its pumps and runs Message at each (at the next one only, with Once).
class ScriptedPump final : public EventPump {
  public:
    void Pump() override {
        ++Pumps;
        if (Message) (Once ? std::exchange(Message, nullptr) : Message)();
    }
    std::function<void()> Message;
    bool Once = false;
    int Pumps = 0;
};

// Keeps the last sheet instead of writing a file; answers Result.
class RecordingSheets final : public SheetWriter {
  public:
    bool WriteSheet(const std::string& path, const std::string& sheetName,
                    const std::vector<SheetCell>& cells) override {
        Path = path;
        Name = sheetName;
        Cells = cells;
        return Result;
    }
    std::string Path;
    std::string Name;
    std::vector<SheetCell> Cells;
    bool Result = true;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qntest.XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    long EntryCount() const {
        return std::distance(std::filesystem::directory_iterator(path_), {});
    }

  private:
    std::filesystem::path path_;
};

} // namespace qn::test
