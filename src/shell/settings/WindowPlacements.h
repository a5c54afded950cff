// The remembered places of the program's windows (TRestoreWin without the windows): its
// properties, the file beside the program, and the list of at most 40 entries.
#pragma once

#include "shell/settings/Placement.h"

#include <string>
#include <string_view>
#include <vector>

namespace qn {

inline constexpr std::string_view kDefaultPlacementExt = "wst";

class WindowPlacements {
  public:
    bool Enabled = true;  // without it nothing is read or written
    bool AutoShow = true; // windows that were visible are shown again

    const std::string& ExtName() const { return extName_; }
    // An empty extension gives "wst".
    void SetExtName(std::string_view name);

    // The program's folder, its file name without extension, ".", ExtName.
    std::string FilePath(const std::string& programFile) const;

    // First show of the main window: reads the file into the list once. Later calls, and calls
    // while not Enabled, leave the list as it is. Returns the list.
    const std::vector<Placement>& Restore(const std::string& path);
    // Why the file that Restore read from could not be read; empty when it was read or missing.
    const std::string& ReadProblem() const { return readProblem_; }

    // The entry of a window, or null.
    const Placement* Find(std::string_view name) const;

    // Puts a window into the list: its entry is updated, or a new one added while fewer than 40
    // exist. False when the list is full and the window has no entry.
    bool Keep(const Placement& window);

    // Main window closing: keeps every window, then writes the whole list. False when not
    // Enabled or when the file cannot be written.
    bool Save(const std::string& path, const std::vector<Placement>& windows);

    const std::vector<Placement>& Entries() const { return entries_; }

  private:
    std::string extName_{kDefaultPlacementExt};
    std::vector<Placement> entries_;
    std::string readProblem_;
    bool restored_ = false;
};

} // namespace qn
