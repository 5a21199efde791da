#include "support/test_support.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace grusk::test {

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto p = std::filesystem::temp_directory_path() / ("grusk-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(p)) {
            path_ = p;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

unsigned long long Untouched::inodeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string programDir() { return GRUSK_PROGRAM_DIR; }
std::string sourceDir() { return GRUSK_SOURCE_DIR; }

namespace {
std::string quoted(const std::string& s) {
    std::string q(1, '\'');
    for (char c : s) q.append(c == '\'' ? std::string("'\\''") : std::string(1, c));
    q.push_back('\'');
    return q;
}
}  // namespace

CliResult runCli(const std::vector<std::string>& args, const std::string& cwd) {
    TempDir out;
    std::string command = "cd " + quoted(cwd.empty() ? programDir() : cwd) + " && " + quoted(programDir() + "/gruskedit-cli");
    for (const std::string& a : args) command += " " + quoted(a);
    command += " >" + quoted(out.file("stdout")) + " 2>" + quoted(out.file("stderr")) + " </dev/null";
    const int status = std::system(command.c_str());
    CliResult r;
    r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto o = readBytes(out.file("stdout")), e = readBytes(out.file("stderr"));
    r.out.assign(o.begin(), o.end());
    r.err.assign(e.begin(), e.end());
    return r;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(text.substr(start, nl - start));
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

}  // namespace grusk::test
