// Which emulator is used, and the sample castle:
// the generator still gives the committed bytes, and the castle passes the
// check with every placeable type, connected doors and both start doors.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/castle_program_commands.h"
#include "app/sample_castle.h"
#include "app/startup.h"
#include "editor/catalogue.h"
#include "gamedata/castle_check.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;

void makeProgram(const fs::path& path) {
    fs::create_directories(path.parent_path());
    test::writeBytes(path.string(), {'#', '!'});
    fs::permissions(path, fs::perms::owner_all);
}

TEST(StartupTest, EmulatorComesFromTheFileThenTheBundleThenTheSearchPath) {
    test::TempDir folder, bin1, bin2;
    const std::string bundled = (folder.path() / "vice" / "x64sc").string();
    const std::string search = bin1.path().string() + ":" + bin2.path().string();
    FakePlatform ui;
    AppState app(ui);
    app.programFolder = folder.path().string();

    applyConfiguration(app, Configuration{}, search);
    EXPECT_EQ(app.emulatorPath, bundled) << "nothing found: the bundled path";

    makeProgram(bin2.path() / "x64");
    applyConfiguration(app, Configuration{}, search);
    EXPECT_EQ(app.emulatorPath, (bin2.path() / "x64").string());
    makeProgram(bin2.path() / "x64sc");
    applyConfiguration(app, Configuration{}, search);
    EXPECT_EQ(app.emulatorPath, (bin2.path() / "x64sc").string()) << "x64sc before x64";

    makeProgram(bundled);
    applyConfiguration(app, Configuration{}, search);
    EXPECT_EQ(app.emulatorPath, bundled);

    // A file that gives no usable path counts as no path at all.
    const std::optional<std::string> noPaths[] = {std::nullopt, "", "  ", "\t\r\n"};
    for (const auto& given : noPaths) {
        app.emulatorPath = "stale";
        applyConfiguration(app, Configuration{true, given}, search);
        EXPECT_EQ(app.emulatorPath, bundled) << '"' << given.value_or("(none)") << '"';
    }
    applyConfiguration(app, Configuration{true, "/usr/games/x64sc"}, search);
    EXPECT_EQ(app.emulatorPath, "/usr/games/x64sc");
}

TEST(StartupTest, SearchPathSkipsFilesThatCannotRun) {
    test::TempDir bin;
    test::writeBytes((bin.path() / "x64sc").string(), {1});
    fs::permissions(bin.path() / "x64sc", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(findOnSearchPath("x64sc", ":" + bin.path().string() + "::"), "");
    fs::permissions(bin.path() / "x64sc", fs::perms::owner_all);
    EXPECT_EQ(findOnSearchPath("x64sc", ":" + bin.path().string() + "::"), (bin.path() / "x64sc").string());
}

class SampleCastleTest : public ::testing::Test {
protected:
    FakePlatform ui;
    AppState app{ui};
    test::TempDir dir;

    void SetUp() override {
        fs::create_directories(dir.path() / "resource");
        fs::copy_file(test::sourceDir() + "/data/endroom/endroom.bin", dir.path() / "resource" / "endroom.bin");
        app.programFolder = dir.path().string();
    }
};

TEST_F(SampleCastleTest, GeneratorGivesTheCommittedProgram) {
    std::vector<std::string> errors;
    const auto program = sampleCastleProgram(app, &errors);
    ASSERT_TRUE(program.has_value()) << (errors.empty() ? "" : errors[0]);
    EXPECT_EQ(*program, test::readBytes(test::sourceDir() + "/examples/sample.prg"))
        << "regenerate examples/sample.prg with the regenerate_sample target";
}

TEST_F(SampleCastleTest, CastleIsCompleteAndPassesTheCheck) {
    buildSampleCastle(app);
    EXPECT_EQ(checkCastle(app, true), 0);
    EXPECT_EQ(ui.log, std::vector<std::string>{"No errors found."});
    EXPECT_EQ(roomsInUseRun(app.castle), 4);

    std::set<int> types;
    int connectedBothWays = 0;
    for (int r = 0; r < 4; ++r) {
        const Room& room = app.castle.room(r);
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kColumns; ++x) {
                const CellRecord& rec = room.object(x, y);
                if (isObjectType(rec.type)) types.insert(rec.type);
                if (room.vertical(x, y).type != kEmpty) types.insert(room.vertical(x, y).type);
                if (room.walkway(x, y) != kEmpty) types.insert(kWalkway);
                if (room.camouflage(x, y) != 0) types.insert(kCamouflage);
                if (needsLink(rec.type)) {
                    EXPECT_TRUE(rec.hasLink(0)) << objectTypeName(rec.type);
                }
                if (rec.type != kDoor || rec.variant != 0) continue;
                const CellRecord& back = app.castle.room(rec.destRoom).object(rec.destX, rec.destY);
                ASSERT_EQ(back.type, kDoor);
                EXPECT_FALSE(rec.destRoom == r && rec.destX == x && rec.destY == y) << "a door leading to itself";
                if (back.destRoom == r && back.destX == x && back.destY == y) ++connectedBothWays;
            }
    }
    for (int t = 0; t < kPaletteTypes; ++t) EXPECT_TRUE(types.count(t)) << objectTypeName(t);
    EXPECT_EQ(connectedBothWays, 8);

    const CastleSettings& s = app.castle.settings;
    EXPECT_EQ(s.playerStartRoom[0], 0);
    EXPECT_EQ(s.playerStartRoom[1], 0);
    EXPECT_NE(s.playerStartDoor[0], s.playerStartDoor[1]);
    bool exitDoor = false;
    for (const CellRecord& rec : app.castle.room(3).objectLayer()) exitDoor |= rec.type == kDoor && rec.variant == 1;
    EXPECT_TRUE(exitDoor);
}

}  // namespace
}  // namespace grusk
