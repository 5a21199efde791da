// gruskedit-cli check, compile, decompile, build, dump and render, run as the
// built program: command lines and what they print, exit with and write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "gamedata/gamedata_fixture.h"
#include "model/castle_files.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;

TEST(CastleCli, CommandLinesTheirOutputExitAndFiles) {
    test::TempDir dir;
    const std::string at = dir.path().string() + "/";
    const test::Bytes sample = test::sampleProgram();
    test::writeBytes(at + "sample.prg", sample);
    fs::create_directories(at + "empty");
    test::GameFixture bad, empty, noDoor;
    for (int r : {0, 1}) bad.useRoom(r);
    bad.put(kDoor, 0, 0);
    bad.put(kTrap, 5, 7);
    noDoor.useRoom(0);
    ASSERT_TRUE(saveCastleFileTo(bad.castle(), at + "bad.cas") && saveCastleFileTo(empty.castle(), at + "empty.cas") &&
                saveCastleFileTo(noDoor.castle(), at + "nodoor.cas"));
    std::ofstream(at + "castle.txt") << "# two rooms\nroom 0 6 0 0 112 112\ndoor 2 2 3 16\nput 12 4 18\n"
                                        "put 13 34 16\nlink 4 18 34 16\nfloor 24 0 2\ncolumn 9 10 20 21\n"
                                        "room 1 5 128 0 240 112\ndoor 34 2 1 16\nconnect 0 2 2 1 34 2\nstart 2 1 34 2\n";
    // A line it cannot read names itself; a refused placement fails the build.
    const char* badLines[] = {"put 3 40 0\n", "room 64 1 0 0 16 16\n", "walk 1 2\n", "put 7 1 1 1\n"};
    for (int i = 0; i < 4; ++i) std::ofstream(at + "bad" + std::to_string(i) + ".txt") << "room 0 1 0 0 16 16\n" << badLines[i];
    std::ofstream(at + "clash.txt") << "put 3 5 5\nput 7 6 6\n";

    const std::string badLog = "Error #1: Unlinked Trap in Room 1; Position: X: 05 Y: 07\nError #2: There is no Door in Room 2\n";
    const struct {
        std::vector<std::string> args;  // "@" at the start stands for the temporary folder
        int exit;
        std::string out = "*";  // "*": not compared
        std::string err = "";   // a part of what it prints on standard error
        std::string folder = test::programDir();  // the program folder, if any
    } rows[] = {
        {{"check", "@sample.prg"}, 0, "No errors found.\n"},
        {{"check", "@bad.cas"}, 1, badLog},
        {{"check", "--json", "@bad.cas"}, 1,
         "[\n  {\"message\": \"Error #1: Unlinked Trap in Room 1; Position: X: 05 Y: 07\", \"room\": 1, \"x\": 5, \"y\": 7},\n"
         "  {\"message\": \"Error #2: There is no Door in Room 2\", \"room\": 2, \"x\": null, \"y\": null}\n]\n"},
        {{"check", "--json", "@empty.cas"}, 1,
         "[\n  {\"message\": \"Error #1: No Rooms defined. Use the [Mapper] to define at least one room.\", "
         "\"room\": null, \"x\": null, \"y\": null}\n]\n"},
        {{"check", "--json", "@sample.prg"}, 0, "[]\n"},
        {{"check"}, 2, "*", "usage"},
        {{"check", "@nothere.prg"}, 2, "*", "nothere.prg"},
        {{"check", "--json"}, 2}, {{"compile", "a"}, 2}, {{"decompile", "a", "b", "c"}, 2},
        {{"decompile", "@nothere.prg", "@x.cas"}, 2}, {{"compile", "@", "@y.prg"}, 2},
        {{"compile", "@nodoor.cas", "@out.prg"}, 1, "*", "Error #1: There is no Door in Room 1\n"},
        {{"compile", "@sample.prg", "@out.prg"}, 1, "*", "endroom data missing\n", at + "empty"},
        {{"decompile", "@sample.prg", "@back.cas"}, 0},
        {{"compile", "@back.cas", "@again.prg"}, 0, ""},
        {{"build", "@castle.txt", "@castle.cas"}, 0, "*", "", ""},
        {{"dump", "@castle.cas"}, 0,
         "settings start1=0/0 start2=1/0 lives=3/3\n"
         "room 0 colour=6 map=0,0,112,112\n"
         "object 0 2 2 type=3 number=0 variant=0 picture=3 links=- dest=1/0 name=Door\n"
         "object 0 34 16 type=13 number=0 variant=0 picture=13 links=- dest=0/0 name=Lightning Machine\n"
         "object 0 4 18 type=12 number=0 variant=0 picture=12 links=34,16 dest=0/0 name=Lightning Switch\n"
         "vertical 0 10 20 type=9\nvertical 0 10 21 type=9\n"
         "walkway 0 0 24 piece=27\nwalkway 0 1 24 piece=27\nwalkway 0 2 24 piece=29\n"
         "room 1 colour=5 map=128,0,240,112\n"
         "object 1 34 2 type=3 number=0 variant=0 picture=3 links=- dest=0/0 name=Door\n",
         "", ""},
        {{"build", "@bad0.txt", "@bad.cas2"}, 2, "*", "bad0.txt:2", ""}, {{"build", "@bad1.txt", "@bad.cas2"}, 2, "*", "bad1.txt:2", ""},
        {{"build", "@bad2.txt", "@bad.cas2"}, 2, "*", "bad2.txt:2", ""}, {{"build", "@bad3.txt", "@bad.cas2"}, 2, "*", "bad3.txt:2", ""},
        {{"build", "@clash.txt", "@clash.cas"}, 1, "*", "cannot place type 7 at 6,6", ""},
        {{"dump", "@nothere.cas"}, 2, "*", "", ""},
        {{"render", "@sample.prg", "1", "@plain.png"}, 0}, {{"render", "@sample.prg", "64", "@room64.png"}, 0},
        {{"render", "@sample.prg", "1", "@links.png", "--links"}, 0},
        {{"render-map", "@sample.prg", "@map.png"}, 0}, {{"render-map", "--labels", "@sample.prg", "@labels.png"}, 0},
        {{"render", "@sample.prg", "0", "@out.png"}, 2}, {{"render", "@sample.prg", "65", "@out.png"}, 2},
        {{"render", "@sample.prg", "one", "@out.png"}, 2}, {{"render-map", "@sample.prg", "@out.png", "extra"}, 2},
        {{"render-map", "@nothere.cas", "@out.png"}, 2},
        {{"render", "@sample.prg", "1", "@out.png"}, 1, "*", "", at + "empty"},  // no pictures to draw with
    };
    for (const auto& row : rows) {
        std::vector<std::string> args = row.args;
        for (std::string& a : args)
            if (a[0] == '@') a = at + a.substr(1);
        if (!row.folder.empty()) args.insert(args.begin(), {"--program-folder", row.folder});
        const test::CliResult r = test::runCli(args);
        EXPECT_EQ(r.exit, row.exit) << args.back() << ": " << r.err;
        EXPECT_TRUE(row.out == "*" || r.out == row.out) << args.back() << " printed:\n" << r.out;
        EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
    }
    EXPECT_EQ(test::readBytes(at + "again.prg"), sample);  // as named, with the program folder's end room
    // 640 x 400 PNG files; the links and labels only when asked for.
    for (const char* name : {"plain.png", "room64.png", "map.png"}) {
        const test::Bytes png = test::readBytes(at + name);
        ASSERT_GE(png.size(), 24u) << name;
        EXPECT_EQ(test::Bytes(png.begin() + 1, png.begin() + 4), (test::Bytes{'P', 'N', 'G'})) << name;
        EXPECT_EQ(test::Bytes(png.begin() + 16, png.begin() + 24), (test::Bytes{0, 0, 2, 128, 0, 0, 1, 144})) << name;
    }
    EXPECT_NE(test::readBytes(at + "plain.png"), test::readBytes(at + "links.png"));
    EXPECT_NE(test::readBytes(at + "map.png"), test::readBytes(at + "labels.png"));
    for (const char* name : {"out.prg", "x.cas", "zagain.prg", "bad.cas2", "clash.cas", "out.png"})
        EXPECT_FALSE(fs::exists(at + name)) << name;
}

}  // namespace
}  // namespace grusk
