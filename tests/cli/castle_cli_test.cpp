// gruskedit-cli check, compile and decompile, run as the built program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "gamedata/castle_reader.h"
#include "gamedata/gamedata_fixture.h"
#include "model/castle_files.h"
#include "support/test_support.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

using CliRun = test::CliResult;

class CastleCli : public ::testing::Test {
protected:
    test::TempDir dir;

    // With the program folder named, unless it is empty.
    static CliRun cli(std::vector<std::string> args, const std::string& programFolder = test::programDir()) {
        if (!programFolder.empty()) args.insert(args.begin(), {"--program-folder", programFolder});
        return test::runCli(args);
    }

    static Bytes realEndRoom() {
        const Bytes e = test::readBytes(test::programDir() + "/resource/endroom.bin");
        EXPECT_EQ(e.size(), kEndRoomSize);
        return e;
    }

    // The sample castle compiled with the program folder's end-room data.
    std::string sampleProgram(Bytes* bytes = nullptr) {
        test::GameFixture f;
        test::buildEveryTypeCastle(f);
        EXPECT_EQ(checkCastle(f.app, false), 0);
        const Bytes program = buildCastleProgram(f.castle(), realEndRoom()).value();
        if (bytes) *bytes = program;
        const std::string path = dir.file("zsample.prg");
        test::writeBytes(path, program);
        return path;
    }
};

TEST_F(CastleCli, EndRoomDataIsAClosingRoom) {
    const Bytes e = realEndRoom();
    test::GameFixture f;
    readRoomLists(f.castle(), 0, e.data(), e.size(), 0);
    int walkways = 0;
    for (int v : f.room(0).walkwayLayer()) walkways += v != kEmpty ? 1 : 0;
    EXPECT_EQ(walkways, 40);
    EXPECT_EQ(recordText(f.room(0).object(13, 10)), "THE END");
    for (size_t i = 22; i < e.size(); ++i) EXPECT_EQ(e[i], 0) << i;
}

TEST_F(CastleCli, CheckPrintsTheLogAndExitsByErrors) {
    const std::string program = sampleProgram();
    CliRun r = cli({"check", program});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "No errors found.\n");

    test::GameFixture f;
    f.useRoom(0);
    f.useRoom(1);
    f.enter(0);
    f.put(kDoor, 0, 0);
    f.put(kTrap, 5, 7);
    ASSERT_TRUE(saveCastleFileTo(f.castle(), dir.file("bad.cas")));
    r = cli({"check", dir.file("bad.cas")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "Error #1: Unlinked Trap in Room 1; Position: X: 05 Y: 07\n"
                     "Error #2: There is no Door in Room 2\n");
}

TEST_F(CastleCli, CheckJsonListsTheProblemsForScripts) {
    test::GameFixture f;
    f.useRoom(0);
    f.useRoom(1);
    f.enter(0);
    f.put(kDoor, 0, 0);
    f.put(kTrap, 5, 7);
    ASSERT_TRUE(saveCastleFileTo(f.castle(), dir.file("bad.cas")));
    const Bytes before = test::readBytes(dir.file("bad.cas"));
    CliRun r = cli({"check", "--json", dir.file("bad.cas")});
    EXPECT_EQ(r.exit, 1) << r.err;
    EXPECT_EQ(r.out,
              "[\n"
              "  {\"message\": \"Error #1: Unlinked Trap in Room 1; Position: X: 05 Y: 07\", \"room\": 1, \"x\": 5, \"y\": 7},\n"
              "  {\"message\": \"Error #2: There is no Door in Room 2\", \"room\": 2, \"x\": null, \"y\": null}\n"
              "]\n");
    EXPECT_EQ(test::readBytes(dir.file("bad.cas")), before);

    test::GameFixture empty;
    ASSERT_TRUE(saveCastleFileTo(empty.castle(), dir.file("empty.cas")));
    r = cli({"check", "--json", dir.file("empty.cas")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "[\n  {\"message\": \"Error #1: No Rooms defined. Use the [Mapper] to define at least one room.\", "
                     "\"room\": null, \"x\": null, \"y\": null}\n]\n");

    r = cli({"check", "--json", sampleProgram()});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "[]\n");
    EXPECT_EQ(cli({"check", "--json"}).exit, 2);
    EXPECT_EQ(cli({"check", "--json", dir.file("missing.cas")}).exit, 2);
}

TEST_F(CastleCli, CompileWritesTheProgramAsNamed) {
    test::GameFixture f;
    test::buildEveryTypeCastle(f);
    ASSERT_TRUE(saveCastleFileTo(f.castle(), dir.file("castle.cas")));
    Bytes expected;
    sampleProgram(&expected);
    const CliRun r = cli({"compile", dir.file("castle.cas"), dir.file("castle.out")});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(test::readBytes(dir.file("castle.out")), expected);
    EXPECT_FALSE(fs::exists(dir.file("zcastle.out")));
}

TEST_F(CastleCli, CompileRefusesAFaultyCastleOrMissingEndRoom) {
    test::GameFixture f;
    f.useRoom(0);
    ASSERT_TRUE(saveCastleFileTo(f.castle(), dir.file("nodoor.cas")));
    CliRun r = cli({"compile", dir.file("nodoor.cas"), dir.file("out.prg")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err, "Error #1: There is no Door in Room 1\n");
    EXPECT_FALSE(fs::exists(dir.file("out.prg")));

    const std::string program = sampleProgram();
    fs::create_directories(dir.path() / "empty");
    r = cli({"compile", program, dir.file("out.prg")}, dir.file("empty"));
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err, "endroom data missing\n");
    EXPECT_FALSE(fs::exists(dir.file("out.prg")));
}

TEST_F(CastleCli, DecompileThenCompileGivesBackTheProgram) {
    Bytes original;
    const std::string program = sampleProgram(&original);
    CliRun r = cli({"decompile", program, dir.file("back.cas")});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(fs::file_size(dir.file("back.cas")), kProjectFileSize);
    r = cli({"compile", dir.file("back.cas"), dir.file("again.prg")});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(test::readBytes(dir.file("again.prg")), original);
}

TEST_F(CastleCli, WrongArgumentsAndUnreadableInputs) {
    CliRun r = cli({"check"});
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("usage"), std::string::npos);
    EXPECT_EQ(cli({"compile", "a"}).exit, 2);
    EXPECT_EQ(cli({"decompile", "a", "b", "c"}).exit, 2);

    const std::string missing = dir.file("nothere.prg");
    r = cli({"check", missing});
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find(missing), std::string::npos);
    EXPECT_EQ(cli({"decompile", missing, dir.file("x.cas")}).exit, 2);
    EXPECT_FALSE(fs::exists(dir.file("x.cas")));
    EXPECT_EQ(cli({"compile", dir.path().string(), dir.file("y.prg")}).exit, 2);
}

TEST_F(CastleCli, BuildMakesACastleFromAScriptAndDumpListsIt) {
    std::ofstream(dir.file("castle.txt")) << "# two rooms\n"
                                             "room 0 6 0 0 112 112\n"
                                             "door 2 2 3 16\n"
                                             "put 12 4 18\n"
                                             "put 13 34 16\n"
                                             "link 4 18 34 16\n"
                                             "floor 24 0 2\n"
                                             "column 9 10 20 21\n"
                                             "room 1 5 128 0 240 112\n"
                                             "door 34 2 1 16\n"
                                             "connect 0 2 2 1 34 2\n"
                                             "start 2 1 34 2\n";
    CliRun r = cli({"build", dir.file("castle.txt"), dir.file("castle.cas")}, "");
    ASSERT_EQ(r.exit, 0) << r.err;
    r = cli({"dump", dir.file("castle.cas")}, "");
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out,
              "settings start1=0/0 start2=1/0 lives=3/3\n"
              "room 0 colour=6 map=0,0,112,112\n"
              "object 0 2 2 type=3 number=0 variant=0 picture=3 links=- dest=1/0 name=Door\n"
              "object 0 34 16 type=13 number=0 variant=0 picture=13 links=- dest=0/0 name=Lightning Machine\n"
              "object 0 4 18 type=12 number=0 variant=0 picture=12 links=34,16 dest=0/0 name=Lightning Switch\n"
              "vertical 0 10 20 type=9\n"
              "vertical 0 10 21 type=9\n"
              "walkway 0 0 24 piece=27\n"
              "walkway 0 1 24 piece=27\n"
              "walkway 0 2 24 piece=29\n"
              "room 1 colour=5 map=128,0,240,112\n"
              "object 1 34 2 type=3 number=0 variant=0 picture=3 links=- dest=0/0 name=Door\n");

    // A line it cannot read names itself; a refused placement fails the build.
    for (const char* bad : {"put 3 40 0\n", "room 64 1 0 0 16 16\n", "walk 1 2\n", "put 7 1 1 1\n"}) {
        std::ofstream(dir.file("bad.txt")) << "room 0 1 0 0 16 16\n" << bad;
        r = cli({"build", dir.file("bad.txt"), dir.file("bad.cas")}, "");
        EXPECT_EQ(r.exit, 2) << bad;
        EXPECT_NE(r.err.find("bad.txt:2"), std::string::npos) << r.err;
    }
    std::ofstream(dir.file("clash.txt")) << "put 3 5 5\nput 7 6 6\n";
    r = cli({"build", dir.file("clash.txt"), dir.file("clash.cas")}, "");
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("cannot place type 7 at 6,6"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir.file("bad.cas")));
    EXPECT_FALSE(fs::exists(dir.file("clash.cas")));
    EXPECT_EQ(cli({"dump", dir.file("nothere.cas")}, "").exit, 2);
}

}  // namespace
}  // namespace grusk
