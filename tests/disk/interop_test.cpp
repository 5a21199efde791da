// Images checked against two independent tools: cbmconvert reads what this
// library writes, and this library reads what cc1541 writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <sstream>

#include "disk/image_ops.h"
#include "support/test_support.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

bool hasTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; its standard output and error come back in output.
int run(const std::string& command, std::string* output = nullptr) {
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) text.append(buf, n);
    const int status = ::pclose(pipe);
    if (output) *output = text;
    return status;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

std::vector<uint8_t> randomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

class Interop : public ::testing::Test {
protected:
    TempDir dir;
    void needs(const char* tool) {
        if (!hasTool(tool)) GTEST_SKIP() << tool << " is not installed";
    }
};

// Many files of sizes around block boundaries, then one file that takes
// exactly the rest of the disk; cbmconvert must get every byte back.
TEST_F(Interop, LibraryImagesReadByCbmconvert) {
    needs("cbmconvert");
    for (const char* ending : {"d64", "d71", "d81"}) {
        SCOPED_TRACE(ending);
        const std::string image = dir.file(std::string("lib.") + ending);
        std::ostringstream report;
        ASSERT_EQ(makeImage(image, "interop", "42", report), 0);
        std::map<std::string, std::vector<uint8_t>> files;
        const size_t sizes[] = {0, 1, 2, 253, 254, 255, 508, 509, 1000, 4096, 12345, 30000};
        for (int i = 0; i < 40; ++i) {
            const std::string name = "f" + std::to_string(i);
            files[name] = randomBytes(sizes[i % 12] + static_cast<size_t>(i / 12), static_cast<unsigned>(i));
            test::writeBytes(dir.file(name + ".prg"), files[name]);
            ASSERT_EQ(insertFile(image, dir.file(name + ".prg")), 0) << name;
        }
        const int free = imageBlocksFree(image);
        ASSERT_GT(free, 0);
        files["rest"] = randomBytes(static_cast<size_t>(free) * 254, 99);
        test::writeBytes(dir.file("rest.prg"), files["rest"]);
        ASSERT_EQ(insertFile(image, dir.file("rest.prg")), 0);
        EXPECT_EQ(imageBlocksFree(image), 0);

        const fs::path out = dir.path() / (std::string("out-") + ending);
        fs::create_directory(out);
        std::string log;
        ASSERT_EQ(run("cd " + quoted(out.string()) + " && cbmconvert -N -d " + quoted(image), &log), 0) << log;
        for (const auto& [name, bytes] : files) {
            const fs::path extracted = out / (name + ".prg");
            ASSERT_TRUE(fs::exists(extracted)) << name << "\n" << log;
            EXPECT_EQ(test::readBytes(extracted.string()), bytes) << name;
        }
    }
}

// cc1541 writes the images; this library lists and extracts them.
TEST_F(Interop, Cc1541ImagesReadByLibrary) {
    needs("cc1541");
    for (const char* ending : {"d64", "d71", "d81"}) {
        SCOPED_TRACE(ending);
        const std::string image = dir.file(std::string("cc.") + ending);
        std::string command = "cc1541 -n 'cc disk' -i 7x";
        std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
        const size_t sizes[] = {1, 253, 254, 255, 600, 5000, 40000, 123};
        for (size_t i = 0; i < 20; ++i) {
            const std::string name = (i % 3 == 0 ? "zcastle" : "file") + std::to_string(i);
            const auto bytes = randomBytes(sizes[i % 8] + i, static_cast<unsigned>(i + 100));
            test::writeBytes(dir.file(name + ".bin"), bytes);
            files.emplace_back(name, bytes);
            command += " -f " + name + " -w " + quoted(dir.file(name + ".bin"));
        }
        std::string log;
        ASSERT_EQ(run(command + " " + quoted(image), &log), 0) << log;

        int free = 0;
        const auto items = listImageDirectory(image, free);
        ASSERT_TRUE(items) << log;
        ASSERT_EQ(items->size(), files.size());
        for (size_t i = 0; i < files.size(); ++i) {
            EXPECT_EQ((*items)[i].hostName, files[i].first);
            EXPECT_EQ((*items)[i].typeByte, 0x82);
            std::ostringstream out, err;
            bool copied = false;
            extractFile(image, files[i].first, dir.file("x.bin"), out, err, &copied);
            ASSERT_TRUE(copied) << files[i].first;
            EXPECT_EQ(test::readBytes(dir.file("x.bin")), files[i].second) << files[i].first;
        }
        const auto castles = listImageCastles(image);
        ASSERT_TRUE(castles);
        EXPECT_EQ(castles->size(), 1u + 7u);
        // cc1541 keeps a D71's second-side counts elsewhere than this layout reads them.
        std::smatch m;
        ASSERT_TRUE(std::regex_search(log, m, std::regex("(\\d+) blocks free"))) << log;
        if (std::string(ending) != "d71") {
            EXPECT_EQ(free, std::stoi(m[1])) << log;
        }
    }
}

// A game disk made here is still a valid image for cbmconvert after scratching
// and re-inserting, and cc1541 can add a file to it.
TEST_F(Interop, ChangedImagesStayReadable) {
    needs("cbmconvert");
    needs("cc1541");
    const std::string image = dir.file("mixed.d64");
    std::ostringstream report;
    ASSERT_EQ(makeImage(image, "mixed", "00", report), 0);
    for (int i = 0; i < 12; ++i) {
        test::writeBytes(dir.file("z" + std::to_string(i) + ".prg"), randomBytes(static_cast<size_t>(i) * 700 + 5, static_cast<unsigned>(i)));
        ASSERT_EQ(insertFile(image, dir.file("z" + std::to_string(i) + ".prg")), 0);
    }
    ASSERT_EQ(deleteFile(image, "z1*"), kStatusScratched);  // z1, z10, z11
    ASSERT_EQ(deleteFile(image, "z4"), kStatusScratched);
    test::writeBytes(dir.file("znew.prg"), randomBytes(9000, 77));
    ASSERT_EQ(insertFile(image, dir.file("znew.prg")), 0);
    test::writeBytes(dir.file("tool.bin"), randomBytes(3000, 78));
    std::string log;
    ASSERT_EQ(run("cc1541 -f ccfile -w " + quoted(dir.file("tool.bin")) + " " + quoted(image), &log), 0) << log;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(log, m, std::regex("(\\d+) blocks free"))) << log;
    EXPECT_EQ(imageBlocksFree(image), std::stoi(m[1]));

    const fs::path out = dir.path() / "out";
    fs::create_directory(out);
    ASSERT_EQ(run("cd " + quoted(out.string()) + " && cbmconvert -N -d " + quoted(image), &log), 0) << log;
    for (const std::string name : {"z0", "z2", "z3", "z5", "z9", "znew"})
        EXPECT_EQ(test::readBytes((out / (name + ".prg")).string()), test::readBytes(dir.file(name + ".prg"))) << name;
    EXPECT_FALSE(fs::exists(out / "z4.prg"));
    EXPECT_EQ(test::readBytes((out / "ccfile.prg").string()), randomBytes(3000, 78));
}

}  // namespace
}  // namespace grusk
