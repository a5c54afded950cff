// The remembered places of the program's windows: file name, one-time restore, merge and save.
#include "shell/settings/WindowPlacements.h"

#include <algorithm>
#include <filesystem>

namespace qn {

void WindowPlacements::SetExtName(std::string_view name) {
    extName_ = name.empty() ? std::string(kDefaultPlacementExt) : std::string(name);
}

std::string WindowPlacements::FilePath(const std::string& programFile) const {
    std::filesystem::path path(programFile);
    path.replace_extension(extName_);
    return path.string();
}

const std::vector<Placement>& WindowPlacements::Restore(const std::string& path) {
    if (Enabled && !restored_) {
        entries_ = ReadPlacements(path, &readProblem_);
        restored_ = true;
    }
    return entries_;
}

const Placement* WindowPlacements::Find(std::string_view name) const {
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [name](const Placement& p) { return p.Name == name; });
    return found == entries_.end() ? nullptr : &*found;
}

bool WindowPlacements::Keep(const Placement& window) {
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [&window](const Placement& p) { return p.Name == window.Name; });
    if (found != entries_.end()) {
        *found = window;
        return true;
    }
    if (entries_.size() >= kMaxPlacements) return false;
    entries_.push_back(window);
    return true;
}

bool WindowPlacements::Save(const std::string& path, const std::vector<Placement>& windows) {
    if (!Enabled) return false;
    for (const Placement& window : windows) Keep(window);
    return WritePlacements(path, entries_);
}

} // namespace qn
