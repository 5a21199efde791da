// Helpers shared by the tests: temporary folders and whole-file reading and writing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace grusk::test {

// A fresh folder below the system temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::vector<uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::string programDir();  // build/program
std::string sourceDir();

// The built gruskedit-cli run with the arguments in folder cwd (the program
// folder when empty). exit is -1 when it ended by a signal.
struct CliResult {
    int exit = -1;
    std::string out;
    std::string err;
};
CliResult runCli(const std::vector<std::string>& args, const std::string& cwd = {});

// A file as it was: the same bytes and the same inode (a rewrite through a
// rename would bring a new one).
struct Untouched {
    std::string path;
    std::vector<uint8_t> bytes = readBytes(path);
    unsigned long long inode = inodeOf(path);
    static unsigned long long inodeOf(const std::string& path);  // 0 when missing
    bool holds() const { return readBytes(path) == bytes && inodeOf(path) == inode; }
};

// The text's lines without their line ends.
std::vector<std::string> lines(const std::string& text);

}  // namespace grusk::test
