// The "Recent Castles" list of the File menu and what a file handed to the
// editor from outside (the recent list, a file dropped on the main window)
// is taken for.
#pragma once

#include <string>
#include <vector>

namespace grusk {

inline constexpr int kMaxRecentFiles = 8;

// Project files and castle programs opened or saved, newest first, each path
// once, at most kMaxRecentFiles.
class RecentFiles {
public:
    const std::vector<std::string>& paths() const { return paths_; }
    // Takes a remembered list: empty entries and repeats are dropped and the
    // list is cut to its first kMaxRecentFiles.
    void set(const std::vector<std::string>& paths);
    // Puts the path at the top, taking it out further down.
    void add(const std::string& path);
    // False when the path is not on the list.
    bool remove(const std::string& path);
    // Grows with every add (even of the file already on top) and every other
    // change, so that a window knows when to rebuild its menu
    // and write the settings.
    int revision() const { return revision_; }

private:
    std::vector<std::string> paths_;
    int revision_ = 0;
};

// The same file as the list keeps it: absolute and without "." and "..".
std::string recentFileKey(const std::string& path);

enum class FileKind { Project, CastleProgram, Room, DiskImage, Unknown };

// By the name's extension (".cas", ".prg", ".crm", ".d64", ".d71", ".d81",
// in any case); a file with another extension by its size (project, room
// file, disk image). Anything else is Unknown.
FileKind fileKindOf(const std::string& path);

}  // namespace grusk
