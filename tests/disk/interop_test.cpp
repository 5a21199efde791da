// Images checked against two independent tools, for each kind: this library
// reads what cc1541 writes, and cbmconvert reads what this library (and
// cc1541 after it) wrote.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "disk/disk_fixture.h"
#include "disk/image_ops.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;
using namespace test;

// Runs a shell command; gives its exit status, and its output with errors in output.
int run(const std::string& command, std::string& output) {
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    char buf[4096];
    output.clear();
    for (size_t n; pipe && (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) output.append(buf, n);
    return pipe ? ::pclose(pipe) : -1;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

int freeReported(const std::string& log) {
    std::smatch m;
    return std::regex_search(log, m, std::regex("(\\d+) blocks free")) ? std::stoi(m[1]) : -1;
}

TEST(Interop, ImagesOfEachKindPassBetweenTheTools) {
    for (const char* tool : {"cc1541", "cbmconvert"})
        if (std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) != 0)
            GTEST_SKIP() << tool << " is not installed";
    for (const std::string ending : {"d64", "d71", "d81"}) {
        SCOPED_TRACE(ending);
        TempDir dir;
        std::string log;
        // cc1541 writes twenty files; every one lists and reads back whole.
        const std::string cc = dir.file("cc." + ending);
        std::string command = "cc1541 -n 'cc disk' -i 7x";
        std::vector<std::pair<std::string, Bytes>> written;
        const size_t ccSizes[] = {1, 253, 254, 255, 600, 5000, 40000, 123};
        for (size_t i = 0; i < 20; ++i) {
            written.emplace_back((i % 3 == 0 ? "zcastle" : "file") + std::to_string(i), counting(ccSizes[i % 8] + i, static_cast<unsigned>(i)));
            writeBytes(dir.file(written.back().first + ".bin"), written.back().second);
            command += " -f " + written.back().first + " -w " + quoted(dir.file(written.back().first + ".bin"));
        }
        ASSERT_EQ(run(command + " " + quoted(cc), log), 0) << log;
        int free = 0;
        const auto items = listImageDirectory(cc, free);
        ASSERT_TRUE(items) << log;
        ASSERT_EQ(items->size(), written.size());
        for (size_t i = 0; i < written.size(); ++i) {
            EXPECT_EQ((*items)[i].hostName, written[i].first);
            EXPECT_EQ((*items)[i].typeByte, 0x82);
            EXPECT_EQ(extractFile(cc, written[i].first, dir.file("x.bin")), 0);
            EXPECT_EQ(readBytes(dir.file("x.bin")), written[i].second) << written[i].first;
        }
        EXPECT_EQ(listImageCastles(cc)->size(), 1u + 7u);
        // cc1541 keeps a D71's second-side counts elsewhere than this layout reads them.
        EXPECT_TRUE(ending == "d71" || free == freeReported(log)) << free << "\n" << log;

        // This library writes files of sizes around block boundaries, scratches
        // some, and fills the disk exactly; on a D64, cc1541 adds one between.
        const std::string image = dir.file("lib." + ending);
        ASSERT_EQ(makeImage(image, "interop", "42"), 0);
        std::map<std::string, Bytes> files;
        const size_t sizes[] = {0, 1, 2, 253, 254, 255, 508, 509, 1000, 4096, 12345, 30000};
        for (int i = 0; i < 40; ++i) {
            const std::string name = "f" + std::to_string(i);
            files[name] = counting(sizes[i % 12] + static_cast<size_t>(i / 12), static_cast<unsigned>(i));
            writeBytes(dir.file(name + ".prg"), files[name]);
            ASSERT_EQ(insertFile(image, dir.file(name + ".prg")), 0) << name;
        }
        ASSERT_EQ(deleteFile(image, "f1*"), kStatusScratched);  // f1, f10 to f19
        ASSERT_EQ(deleteFile(image, "f4"), kStatusScratched);
        for (auto it = files.begin(); it != files.end();)
            it = it->first == "f4" || it->first.rfind("f1", 0) == 0 ? files.erase(it) : std::next(it);
        if (ending == "d64") {
            files["ccfile"] = counting(3000, 78);
            writeBytes(dir.file("tool.bin"), files["ccfile"]);
            ASSERT_EQ(run("cc1541 -f ccfile -w " + quoted(dir.file("tool.bin")) + " " + quoted(image), log), 0) << log;
            EXPECT_EQ(imageBlocksFree(image), freeReported(log));
        }
        files["rest"] = counting(static_cast<size_t>(imageBlocksFree(image)) * 254, 99);
        writeBytes(dir.file("rest.prg"), files["rest"]);
        ASSERT_EQ(insertFile(image, dir.file("rest.prg")), 0);
        EXPECT_EQ(imageBlocksFree(image), 0);

        const fs::path out = dir.path() / "out";
        fs::create_directory(out);
        ASSERT_EQ(run("cd " + quoted(out.string()) + " && cbmconvert -N -d " + quoted(image), log), 0) << log;
        EXPECT_EQ(static_cast<size_t>(std::distance(fs::directory_iterator(out), {})), files.size()) << log;
        for (const auto& [name, bytes] : files) EXPECT_EQ(readBytes((out / (name + ".prg")).string()), bytes) << name;
    }
}

}  // namespace
}  // namespace grusk
