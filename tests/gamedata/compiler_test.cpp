#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "gamedata/program_layout.h"
#include "gamedata_fixture.h"
#include "model/safe_file.h"
#include "support/test_support.h"

namespace grusk {
namespace {

using test::buildUnchecked;
using test::GameFixture;
using test::roomData;
using test::word;
using Bytes = std::vector<uint8_t>;

Bytes slice(const Bytes& b, size_t from, size_t n) {
    if (from + n > b.size()) return {};
    return Bytes(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + n));
}

TEST(Compiler, SingleRoomOfOneDoorGivesEveryByteOfTheLayout) {
    GameFixture f;
    f.useRoom(0, {32, 48, 80, 80});
    f.put(kDoor, 10, 5);
    CellRecord& door = f.at(10, 5);
    door.direction = 1;
    door.destRoom = 2;
    door.destDoor = 0;
    door.mapX = 30;
    door.mapY = 40;
    f.castle().settings = CastleSettings{{1, 2}, {3, 4}, {5, 6}};
    const Bytes p = buildUnchecked(f);

    ASSERT_EQ(p.size(), 267u + 11 + 3 + 2 + 545);
    EXPECT_EQ(slice(p, 0, 11), (Bytes{0x00, 0x78, static_cast<uint8_t>(p.size()), static_cast<uint8_t>(p.size() >> 8),
                                      0x80, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(slice(p, 11, 86), Bytes(86, 0));
    EXPECT_EQ(word(p, 97), c64AddressOfOffset(267 + 16));
    EXPECT_EQ(slice(p, 99, 159), Bytes(159, 0));
    // Room entry: colour 2, map X/Y and size, then the data addresses.
    EXPECT_EQ(slice(p, 258, 8), (Bytes{0x02, 0x18, 0x18, 0x1A, 0x0B, 0x79, 0x09, 0x79}));
    EXPECT_EQ(p[266], 0xFF);
    EXPECT_EQ(slice(p, 267, 16), (Bytes{0x03, 0x08, 0x01, 0x38, 0x28, 0x01, 0x02, 0x00, 0x1E, 0x28, 0x00,  // door
                                        0x06, 0x08, 0x00,                                              // walkway
                                        0x00, 0x00}));
    EXPECT_EQ(slice(p, 283, 545), test::sampleEndRoom());
}

TEST(Compiler, RoomWithoutDoorsStartsWithTheWalkwayList) {
    GameFixture f;
    f.useRoom(0);
    f.put(kFrankenstein, 4, 4);
    EXPECT_EQ(roomData(buildUnchecked(f), 0),
              (Bytes{0x06, 0x08, 0x00, 0x30, 0x08, 0x00, 0x20, 0x20, 0, 0, 0, 0, 0x80, 0x00, 0x00}));
}

TEST(Compiler, ValuesAboveAByteAreWrittenAsTheirLowBits) {
    GameFixture f;
    f.useRoom(0, {0, 0, 16 * 300, 16 * 3});
    f.room(0).roomColour = 258;
    f.put(kDoor, 0, 0);
    f.at(0, 0).mapX = 300;
    f.at(0, 0).destRoom = 256 + 7;
    const Bytes p = buildUnchecked(f);
    EXPECT_EQ(p[258], 0x02);
    EXPECT_EQ(p[261], static_cast<uint8_t>(300 * 8 | 3));
    const Bytes d = roomData(p, 0);
    EXPECT_EQ(d[6], 7);      // destRoom
    EXPECT_EQ(d[8], 0x2C);   // mapX 300
}

TEST(Compiler, WalkwayRunsEndAtColumn39AndAtEveryRow) {
    GameFixture f;
    f.useRoom(0);
    f.walkway(35, 39, 3);
    f.walkway(35, 39, 4);
    f.walkway(0, 2, 5);
    f.put(kWalkway, 4, 5);
    shapeWalkways(f.app);
    EXPECT_EQ(roomData(buildUnchecked(f), 0),
              (Bytes{0x06, 0x08, 5, 156, 24, 5, 156, 32, 3, 16, 40, 1, 32, 40, 0x00, 0x00, 0x00}));
}

TEST(Compiler, VerticalRunsAreWrittenOnceFromTheirTopCell) {
    GameFixture f;
    f.useRoom(0);
    f.column(kLadder, 7, 3, 10);
    f.column(kLadder, 7, 1, 2);  // extended upwards afterwards
    f.column(kSlidingPole, 2, 20, 24);
    const Bytes d = roomData(buildUnchecked(f), 0);
    EXPECT_EQ(d, (Bytes{0x06, 0x08, 0x00, 0x09, 0x08, 5, 24, 160, 0x00, 0x0C, 0x08, 10, 44, 8, 0x00, 0x00, 0x00}));
}

TEST(Compiler, LightningSwitchNamesMachinesByEntryOffset) {
    GameFixture f;
    f.useRoom(0);
    f.put(kLightningSuspension, 1, 3);
    f.put(kLightningMachine, 0, 4);
    f.put(kLightningMachine, 10, 4);
    f.put(kLightningMachine, 20, 4);
    toggleObjectState(f.app, 20, 4);
    f.put(kLightningSwitch, 30, 0);
    f.link(30, 0, 0, 4);
    f.link(30, 0, 20, 4);
    const Bytes d = roomData(buildUnchecked(f), 0);
    const Bytes expected{0x06, 0x08, 0x00, 0x12, 0x08,
                         0x40, 20, 24, 1, 0, 0, 0, 0,   // machine 0 with one suspension cell
                         0x40, 60, 32, 0, 0, 0, 0, 0,   // machine 1 without suspension
                         0x00, 100, 32, 0, 0, 0, 0, 0,  // machine 2, off
                         0xC0, 136, 0, 0x00, 0x00, 0x10, 0xFF, 0xFF,
                         0x20, 0x00, 0x00};
    EXPECT_EQ(d, expected);
}

TEST(Compiler, LinkedObjectListsCarryTheirLinks) {
    GameFixture f;
    f.useRoom(0);
    f.put(kDoor, 0, 0);
    f.put(kDoor, 10, 0);
    f.put(kDoorBell, 5, 5);
    f.link(5, 5, 10, 0);
    f.link(5, 5, 0, 0);
    f.link(5, 5, 10, 0);
    f.put(kLock, 7, 5);
    f.app.popupCell = {7, 5};
    setObjectColour(f.app, kCmdColourWhite + 1);  // red
    f.link(7, 5, 10, 0);
    f.put(kForceFieldSwitch, 20, 0);
    f.put(kForceField, 21, 0);
    f.link(21, 0, 20, 0);
    f.put(kMummySwitch, 25, 0);
    f.put(kMummy, 26, 0);
    f.link(26, 0, 25, 0);
    const Bytes d = roomData(buildUnchecked(f), 0);
    const Bytes expected{
        0x03, 0x08, 2, 16, 0, 0, 0, 0, 0, 0, 0, 56, 0, 0, 0, 0, 0, 0, 0,
        0x06, 0x08, 0x00,
        0x0F, 0x08, 3, 36, 40, 1, 36, 40, 0, 36, 40, 1,  // one bell, three links
        0x15, 0x08, 96, 0, 100, 0, 0x00,                // force field
        0x18, 0x08, 1, 116, 0, 120, 0, 0, 0, 0x00,      // mummy
        0x1E, 0x08, 2, 89, 1, 44, 40, 0x00,             // lock
        0x00, 0x00};
    EXPECT_EQ(d, expected);
}

TEST(Compiler, RayGunsFindTheirRailsAndWriteZerosForWhatIsMissing) {
    GameFixture f;
    f.useRoom(0);
    f.column(kGunRailRight, 12, 2, 9);
    f.put(kGunRight, 10, 6);
    f.put(kGunControl, 0, 0);
    f.link(0, 0, 10, 6);
    f.column(kGunRailLeft, 29, 10, 12);
    f.put(kGunLeft, 30, 11);
    f.put(kGunControl, 2, 0);
    f.link(2, 0, 30, 11);
    f.put(kGunRight, 20, 20);  // no rail beside it
    f.put(kGunControl, 4, 0);
    f.link(4, 0, 20, 20);
    f.put(kGunControl, 6, 0);  // linked, then its gun removed
    f.put(kGunLeft, 35, 2);
    f.link(6, 0, 35, 2);
    deleteObjectAt(f.app, 35, 2);
    const Bytes d = roomData(buildUnchecked(f), 0);
    const Bytes expected{0x06, 0x08, 0x00, 0x24, 0x08,
                         1, 64, 16, 8, 48, 16, 0,   // right gun, rail column 12 rows 2..9
                         0, 132, 80, 3, 88, 24, 0,  // left gun, rail column 29 rows 10..12
                         1, 0, 0, 0, 0, 32, 0,      // no rail
                         0, 0, 0, 0, 0, 40, 0,      // no gun
                         0x80, 0x00, 0x00};
    EXPECT_EQ(d, expected);
}

TEST(Compiler, TransmittersTrapsConveyorsAndKeys) {
    GameFixture f;
    f.useRoom(0);
    f.put(kTransmitter, 0, 0);
    f.put(kTransmitterTarget, 10, 0);
    f.put(kTransmitterTarget, 10, 2);
    f.link(0, 0, 10, 2);
    f.link(0, 0, 10, 0);
    f.put(kTrap, 20, 0);
    f.put(kTrapSwitch, 23, 0);
    f.link(20, 0, 23, 0);
    f.put(kConveyor, 0, 10);
    f.put(kConveyorSwitch, 9, 9);
    f.link(9, 9, 0, 10);
    f.put(kConveyor, 0, 12);
    f.put(kConveyorSwitch, 9, 12);
    f.link(9, 12, 0, 12);
    toggleObjectState(f.app, 9, 12);
    f.put(kConveyor, 0, 15);
    f.put(kConveyorSwitch, 9, 15);
    f.link(9, 15, 0, 15);
    toggleObjectState(f.app, 9, 15);
    toggleObjectState(f.app, 9, 15);
    f.put(kKey, 30, 20);
    const Bytes d = roomData(buildUnchecked(f), 0);
    const Bytes expected{0x06, 0x08, 0x00,
                         0x1B, 0x08, 1, 81, 136, 160, 0x00,                  // key
                         0x27, 0x08, 16, 0, 0, 56, 16, 56, 0, 0x00,          // transmitter, slot order
                         0x2A, 0x08, 1, 96, 0, 108, 0, 0x80,                 // open trap
                         0x2D, 0x08, 0, 16, 80, 52, 72,                      // stopped
                         3, 16, 96, 52, 96,                                  // running left
                         1, 16, 120, 52, 120, 0x80,                          // running right
                         0x00, 0x00};
    EXPECT_EQ(d, expected);
}

TEST(Compiler, TextsAreUpperCaseWithBit7OnTheLastCharacter) {
    GameFixture f;
    f.useRoom(0);
    f.put(kText, 0, 0);
    setRecordText(f.at(0, 0), "hello");
    f.put(kText, 10, 1);
    setRecordText(f.at(10, 1), "a");
    f.at(10, 1).colour = 3;
    f.app.popupCell = {10, 1};
    toggleDoubleHeight(f.app);
    f.put(kText, 20, 2);
    setRecordText(f.at(20, 2), "");
    const Bytes d = roomData(buildUnchecked(f), 0);
    const Bytes expected{0x06, 0x08, 0x00, 0x33, 0x08,
                         16, 0, 1, 0x21, 'H', 'E', 'L', 'L', 'O' | 0x80,
                         56, 8, 3, 0x22, 'A' | 0x80,
                         0x00, 0x00, 0x00};
    EXPECT_EQ(d, expected);
    EXPECT_EQ(recordText(f.at(0, 0)), "HELLO");
}

TEST(Compiler, CharactersWithBit7NeverEndATextEarly) {
    GameFixture f;
    f.useRoom(0);
    f.put(kText, 0, 0);
    setRecordText(f.at(0, 0), "A\xC3\xBC");
    const Bytes d = roomData(buildUnchecked(f), 0);
    EXPECT_EQ(slice(d, 9, 3), (Bytes{'A', 0x43, 0xBC}));
}

TEST(Compiler, CamouflageIsWrittenOnceAndKeepsATextOnIt) {
    GameFixture f;
    f.useRoom(0);
    f.put(kCamouflage, 38, 0);
    f.put(kCamouflage, 4, 1);
    f.put(kText, 4, 1);
    setRecordText(f.at(4, 1), "X");
    const Bytes d = roomData(buildUnchecked(f), 0);
    const Bytes expected{0x06, 0x08, 0x00, 0x33, 0x08,
                         168, 0, 0, 0x21, 0xA0,
                         32, 8, 0, 0x21, 0xA0,
                         32, 8, 1, 0x21, 'X' | 0x80,
                         0x00, 0x00, 0x00};
    EXPECT_EQ(d, expected);
}

TEST(Compiler, OnlyTheLeadingRunOfRoomsInUseIsWritten) {
    GameFixture f;
    for (int r : {0, 1, 3}) {
        f.useRoom(r);
        f.enter(r);
        f.put(kDoor, 0, 0);
        f.at(0, 0).destRoom = r;
    }
    const Bytes p = buildUnchecked(f);
    EXPECT_EQ(p[258 + 16], 0xFF);
    EXPECT_EQ(word(p, 97), c64AddressOfOffset(258 + 17 + 2 * 16));
}

TEST(Renumber, DoorsPlacedOutOfScanOrderAreTranslated) {
    GameFixture f;
    f.useRoom(0);
    f.useRoom(1);
    f.enter(0);
    f.put(kDoor, 20, 10);  // number 0, second in scan order
    f.put(kDoor, 0, 0);    // number 1, first in scan order
    EXPECT_EQ(f.at(20, 10).number, 0);
    f.at(20, 10).destRoom = 1;
    f.at(0, 0).destRoom = 1;
    f.at(0, 0).destDoor = 0;
    f.enter(1);
    f.put(kDoor, 5, 5);
    f.at(5, 5).destRoom = 0;
    f.at(5, 5).destDoor = 0;  // the door at (20, 10)
    f.at(5, 5).destRoom = 0;
    f.castle().settings.playerStartRoom[0] = 0;
    f.castle().settings.playerStartDoor[0] = 0;
    f.castle().settings.playerStartRoom[1] = 0;
    f.castle().settings.playerStartDoor[1] = 1;
    f.castle().room(0).object(20, 10).destDoor = 0;

    recountRoom(f.castle(), 0);
    recountRoom(f.castle(), 1);
    renumberObjects(f.castle());
    const CellRecord& back = f.room(1).object(5, 5);
    EXPECT_EQ(back.destDoor, 1);
    EXPECT_EQ(back.destX, 20);
    EXPECT_EQ(back.destY, 10);
    EXPECT_EQ(f.room(0).object(0, 0).number, 0);
    EXPECT_EQ(f.room(0).object(20, 10).number, 1);
    EXPECT_EQ(f.castle().settings.playerStartDoor[0], 1);
    EXPECT_EQ(f.castle().settings.playerStartDoor[1], 0);
}

TEST(Renumber, DestinationsOutsideTheCastleAreLeftAlone) {
    GameFixture f;
    f.useRoom(0);
    f.put(kDoor, 0, 0);
    f.at(0, 0).destRoom = 1000;
    f.at(0, 0).destDoor = 7;
    recountRoom(f.castle(), 0);
    renumberObjects(f.castle());
    EXPECT_EQ(f.at(0, 0).destDoor, 7);
    f.at(0, 0).destRoom = -3;
    renumberObjects(f.castle());
    EXPECT_EQ(f.at(0, 0).destDoor, 7);
}

TEST(FindRunTop, WalksUpTheRunOfTheSameType) {
    GameFixture f;
    f.column(kLadder, 4, 2, 3);
    f.column(kGunRailLeft, 4, 4, 9);
    int column = -1, top = -1;
    EXPECT_EQ(findRunTop(f.app, 4, 8, &column, &top), kGunRailLeft);
    EXPECT_EQ(column, 4);
    EXPECT_EQ(top, 4);
    EXPECT_EQ(findRunTop(f.app, 4, 3, &column, &top), kLadder);
    EXPECT_EQ(top, 2);
    column = top = -7;
    EXPECT_EQ(findRunTop(f.app, 5, 5, &column, &top), kEmpty);
    EXPECT_EQ(findRunTop(f.app, 40, 5, &column, &top), kEmpty);
    EXPECT_EQ(column, -7);
}

TEST(Compiler, BuildIsRefusedForMissingEndRoomOrTooManyLinks) {
    GameFixture f;
    f.useRoom(0);
    f.put(kDoor, 0, 0);
    std::vector<std::string> errors;
    recountRoom(f.castle(), 0);
    EXPECT_FALSE(buildCastleProgram(f.castle(), Bytes(544), &errors));
    EXPECT_EQ(errors, std::vector<std::string>{"endroom data missing"});

    // 16 bells of 16 links each: 256 entries do not fit the count byte.
    for (int i = 0; i < 16; ++i) {
        f.put(kDoorBell, 4 + 2 * i, 10);
        for (int l = 0; l < 16; ++l) f.link(4 + 2 * i, 10, 0, 0);
    }
    recountRoom(f.castle(), 0);
    errors.clear();
    EXPECT_FALSE(buildCastleProgram(f.castle(), test::sampleEndRoom(), &errors));
    EXPECT_EQ(errors, std::vector<std::string>{"Error: Room 1 has more than 255 doors or door bell links."});
    deleteObjectAt(f.app, 4, 10);
    EXPECT_TRUE(buildCastleProgram(f.castle(), test::sampleEndRoom(), &errors));
}

TEST(Compiler, ProgramsPastTheLastLoadableAddressAreRefused) {
    // Rooms of one-cell walkways, then a text whose length brings the program
    // to exactly 34,818 bytes: the last byte is loaded at $FFFF.
    GameFixture f;
    for (int r = 0; r < 23; ++r) {
        f.useRoom(r);
        for (int run = 0; run < (r < 22 ? 500 : 230); ++run) f.room(r).walkway(run % 20 * 2, run / 20) = kWalkway;
    }
    f.enter(0);
    f.put(kText, 0, 0);
    std::vector<std::string> errors;
    const size_t withoutText = buildUnchecked(f).size() - (3 + 4 + 4);  // the list of "TEXT" taken off
    const size_t letters = 34818 - withoutText - 7;
    ASSERT_LE(letters, 20u);
    setRecordText(f.at(0, 0), std::string(letters, 'A'));
    const auto atLimit = buildCastleProgram(f.castle(), test::sampleEndRoom(), &errors);
    ASSERT_TRUE(atLimit.has_value());
    EXPECT_EQ(atLimit->size(), 34818u);
    EXPECT_EQ(word(*atLimit, 2), 34818);
    EXPECT_EQ(word(*atLimit, 97), 0x10000 - 545);

    setRecordText(f.at(0, 0), std::string(letters + 1, 'A'));
    EXPECT_FALSE(buildCastleProgram(f.castle(), test::sampleEndRoom(), &errors));
    EXPECT_EQ(errors, std::vector<std::string>{"Error: castle program too large (34819 bytes, at most 34818)."});
}

TEST(Compiler, ALightningSwitchCanNameOnlyTheFirst32Machines) {
    // A switch names a machine by its number times 8 in one byte.
    GameFixture f;
    f.useRoom(0);
    f.enter(0);
    for (int m = 0; m < 33; ++m) f.put(kLightningMachine, 3 * (m % 13), 4 * (m / 13));
    f.put(kLightningSwitch, 0, 20);
    f.link(0, 20, 0, 8);  // machine 26
    f.link(0, 20, 15, 8);  // machine 31
    const Bytes program = buildUnchecked(f);
    const Bytes data = roomData(program, 0);
    const Bytes slots{0x00, 0xD0, 0xF8, 0xFF, 0xFF, 0x20};
    EXPECT_TRUE(std::search(data.begin(), data.end(), slots.begin(), slots.end()) != data.end());

    f.link(0, 20, 18, 8);  // machine 32
    std::vector<std::string> errors;
    EXPECT_FALSE(buildCastleProgram(f.castle(), test::sampleEndRoom(), &errors));
    EXPECT_EQ(errors, std::vector<std::string>{"Error: Room 1: a Lightning Switch is linked to a machine after the 32nd."});
}

TEST(Compiler, RoomColoursAreWrittenAsTheirLowFourBits) {
    GameFixture f;
    for (int r = 0; r < 2; ++r) {
        f.useRoom(r);
        f.room(r).roomColour = r == 0 ? 0x4F : 0xFF;  // as a damaged project may hold them
    }
    const Bytes program = buildUnchecked(f);
    EXPECT_EQ(program[258], 0x0F);
    EXPECT_EQ(program[266], 0x0F);
    EXPECT_EQ(program[274], 0xFF);  // the table ends after both rooms
}

// compileCastle against files: a program folder with the end-room data.
struct CompileFolder {
    test::TempDir dir;
    GameFixture f;

    CompileFolder() {
        std::filesystem::create_directories(dir.path() / "resource");
        test::writeBytes(dir.file("resource/endroom.bin"), test::sampleEndRoom());
        f.app.programFolder = dir.path().string();
        f.useRoom(0);
        f.put(kDoor, 0, 0);
    }
};
class CompileCastleTest : public ::testing::Test, protected CompileFolder {};

TEST(CompileTarget, NameRules) {
    EXPECT_EQ(castleProgramTarget("/a/b/castle1.prg"), "/a/b/zcastle1.prg");
    EXPECT_EQ(castleProgramTarget("/a/b/Zorro"), "/a/b/Zorro.prg");
    EXPECT_EQ(castleProgramTarget("/a/b/zfoo.PRG"), "/a/b/zfoo.PRG");
    EXPECT_EQ(castleProgramTarget("plain"), "zplain.prg");
}

TEST_F(CompileCastleTest, InteractiveBuildAddsTheZAndReportsSuccess) {
    f.ui.files.push_back(dir.file("castle1.prg"));
    f.enter(0);
    EXPECT_EQ(compileCastle(f.app, true), 1);
    const Bytes written = test::readBytes(dir.file("zcastle1.prg"));
    EXPECT_EQ(written, buildCastleProgram(f.castle(), test::sampleEndRoom()).value());
    EXPECT_EQ(f.ui.fileDialogs.at(0).first, "z*.prg");
    EXPECT_EQ(f.ui.fileDialogs.at(0).second.label, "C-64 Programs");
    EXPECT_EQ(f.ui.fileDialogs.at(0).second.pattern, "*.prg");
    EXPECT_EQ(f.ui.messageTexts(), std::vector<std::string>{"PRG-file successfully built!"});
    EXPECT_EQ(f.ui.caption(), dir.file("zcastle1.prg"));
    EXPECT_EQ(f.castle().currentRoom, 0);
    // Only the program is left in the folder: no temporary file stays behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 2);
}

TEST_F(CompileCastleTest, DeclinedOverwriteAndCancelWriteNothing) {
    test::writeBytes(dir.file("zold.prg"), {1, 2, 3});
    f.ui.files.push_back(dir.file("zold.prg"));
    f.ui.replies.push_back(Reply::No);
    EXPECT_EQ(compileCastle(f.app, true), 0);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].text, "File exists. Overwrite?");
    EXPECT_EQ(f.ui.messages[0].caption, "Watch it!");
    EXPECT_EQ(test::readBytes(dir.file("zold.prg")), (Bytes{1, 2, 3}));

    f.ui.files.push_back(dir.file("zold.prg"));
    f.ui.replies.push_back(Reply::Yes);
    EXPECT_EQ(compileCastle(f.app, true), 1);
    EXPECT_GT(test::readBytes(dir.file("zold.prg")).size(), 545u);

    EXPECT_EQ(compileCastle(f.app, true), 0);  // dialog cancelled
}

TEST_F(CompileCastleTest, QuietBuildReplacesTheTestProgramWithoutAsking) {
    test::writeBytes(dir.file("resource/ztest00.prg"), {9, 9});
    f.enter(0);
    EXPECT_EQ(compileCastle(f.app, false), 1);
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(test::readBytes(dir.file("resource/ztest00.prg")),
              buildCastleProgram(f.castle(), test::sampleEndRoom()).value());
}

// Every refused build says why, in the log or a message, and leaves the test
// program as it was.
TEST(CompileCastle, RefusedBuildsSayWhyAndWriteNothing) {
    const struct {
        const char* what;
        std::function<void(CompileFolder&)> spoil;
        std::vector<std::string> log, messages;
    } cases[] = {
        {"castle error", [](CompileFolder& t) { t.f.at(0, 0).destRoom = 5; },
         {"Error #1: Door 1 in Room 1 has an invalid connection to Room 6."}, {}},
        {"short end room",
         [](CompileFolder& t) { test::writeBytes(t.dir.file("resource/endroom.bin"), Bytes(544, 1)); },
         {}, {"endroom data missing"}},
        {"no end room", [](CompileFolder& t) { std::filesystem::remove(t.dir.file("resource/endroom.bin")); },
         {}, {"endroom data missing"}},
        {"too many links",
         [](CompileFolder& t) {
             for (int i = 0; i < 16; ++i) {
                 t.f.put(kDoorBell, 4 + 2 * i, 10);
                 for (int l = 0; l < 16; ++l) t.f.link(4 + 2 * i, 10, 0, 0);
             }
         },
         {"Error: Room 1 has more than 255 doors or door bell links."}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CompileFolder t;
        test::writeBytes(t.dir.file("resource/ztest00.prg"), {7});
        c.spoil(t);
        EXPECT_EQ(compileCastle(t.f.app, false), 0);
        EXPECT_EQ(t.f.ui.log, c.log);
        EXPECT_EQ(t.f.ui.logShown > 0, !c.log.empty());
        EXPECT_EQ(t.f.ui.messageTexts(), c.messages);
        EXPECT_EQ(test::readBytes(t.dir.file("resource/ztest00.prg")), Bytes{7});
    }
}

TEST_F(CompileCastleTest, FailedRenameKeepsTheOldFileAndSaysSo) {
    // A non-empty folder in place of the target cannot be replaced by a file.
    std::filesystem::create_directories(dir.path() / "zbusy.prg" / "inside");
    f.ui.files.push_back(dir.file("zbusy.prg"));
    f.ui.replies.push_back(Reply::Yes);
    EXPECT_EQ(compileCastle(f.app, true), 1);
    EXPECT_EQ(f.ui.messageTexts(), std::vector<std::string>{"File cannot be written!"});
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "zbusy.prg" / "inside"));
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(CompileCastleTest, TargetFolderThatDoesNotExistIsReportedInTheLog) {
    const std::string target = dir.file("missing/zcastle.prg");
    f.ui.files.push_back(target);
    EXPECT_EQ(compileCastle(f.app, true), 0);
    EXPECT_EQ(f.ui.log, std::vector<std::string>{"Could not open " + target});
    EXPECT_TRUE(f.ui.messageTexts().empty());
}

TEST_F(CompileCastleTest, EveryRoomIsShownWhileCompiledAndTheCurrentRoomRestored) {
    f.useRoom(1);
    f.enter(1);
    f.put(kDoor, 0, 0);
    f.at(0, 0).destRoom = 1;
    f.enter(1);
    f.ui.clearRecords();
    EXPECT_EQ(compileCastle(f.app, false), 1);
    EXPECT_EQ(f.castle().currentRoom, 1);
    EXPECT_GE(f.ui.canvasRedraws.size(), 3u);
}

}  // namespace
}  // namespace grusk
