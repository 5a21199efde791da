// Images checked against two independent tools, for each kind: this library reads what cc1541 writes, and
// cbmconvert reads what this library (and cc1541 after it) wrote.
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
        std::string log, command = "cc1541 -n 'cc disk' -i 7x";
        // Files of sizes around block boundaries: twenty that cc1541 writes, forty that this library writes (with
        // some scratched) and one that fills the disk exactly; on a D64, cc1541 adds one between.
        std::map<std::string, Bytes> files, cc;
        const size_t sizes[] = {0, 1, 2, 253, 254, 255, 508, 509, 1000, 4096, 12345, 30000};
        for (size_t i = 0; i < 60; ++i) {
            const size_t j = i < 20 ? i : i - 20;
            const std::string name = (i < 20 ? (i % 3 ? "file" : "zcastle") : "f") + std::to_string(j);
            Bytes& bytes = (i < 20 ? cc : files)[name] = counting(sizes[j % 12] + j / 12 + (i < 20), static_cast<unsigned>(i));
            writeBytes(dir.file(name + ".bin"), bytes);
            if (i < 20) command += " -f " + name + " -w " + quoted(dir.file(name + ".bin"));
        }
        const std::string ccImage = dir.file("cc." + ending), image = dir.file("lib." + ending);
        ASSERT_EQ(run(command + " " + quoted(ccImage), log), 0) << log;
        int free = 0;
        const auto items = listImageDirectory(ccImage, free);
        ASSERT_TRUE(items) << log;
        ASSERT_EQ(items->size(), cc.size());
        for (const DirectoryItem& item : *items) {
            EXPECT_EQ(item.typeByte, 0x82);
            EXPECT_EQ(extractFile(ccImage, item.hostName, dir.file("x.bin")), 0);
            EXPECT_EQ(readBytes(dir.file("x.bin")), cc[item.hostName]) << item.hostName;
        }
        EXPECT_EQ(listImageCastles(ccImage)->size(), 1u + 7u);
        // cc1541 keeps a D71's second-side counts elsewhere than this layout reads them.
        EXPECT_TRUE(ending == "d71" || free == freeReported(log)) << free << "\n" << log;

        ASSERT_EQ(makeImage(image, "interop", "42"), 0);
        for (const auto& [name, bytes] : files) ASSERT_EQ(insertFile(image, dir.file(name + ".bin")), 0) << name;
        ASSERT_EQ(deleteFile(image, "f1*"), kStatusScratched);  // f1, f10 to f19
        ASSERT_EQ(deleteFile(image, "f4"), kStatusScratched);
        std::erase_if(files, [](const auto& file) { return file.first == "f4" || file.first.rfind("f1", 0) == 0; });
        if (ending == "d64") {
            files["ccfile"] = counting(3000, 78);
            writeBytes(dir.file("ccfile.bin"), files["ccfile"]);
            ASSERT_EQ(run("cc1541 -f ccfile -w " + quoted(dir.file("ccfile.bin")) + " " + quoted(image), log), 0) << log;
            EXPECT_EQ(imageBlocksFree(image), freeReported(log));
        }
        writeBytes(dir.file("rest.bin"), files["rest"] = counting(static_cast<size_t>(imageBlocksFree(image)) * 254, 99));
        ASSERT_EQ(insertFile(image, dir.file("rest.bin")), 0);
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
