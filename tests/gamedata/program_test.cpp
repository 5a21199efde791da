// The castle program beyond the generated castles (refusals, limits, damaged and foreign files),
// renumbering, and the commands that read and write program files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

#include "gamedata/castle_reader.h"
#include "gamedata_fixture.h"

namespace grusk {
namespace {

using test::Bytes;
using test::GameFixture;
using Lines = std::vector<std::string>;

int word(const Bytes& b, size_t at) { return b[at] | (b[at + 1] << 8); }
size_t dataOffset(const Bytes& p, int r) { return static_cast<size_t>(offsetOfC64Address(word(p, 258 + 8 * r + 6))); }

// Values from damaged projects, a gun without its rail, a control whose gun is gone, letters with bit 7.
TEST(Compiler, WritesWhatValidCastlesNeverHold) {
    const struct {
        const char* what;
        std::function<void(GameFixture&)> make;
        size_t at;  // in the room's data
        Bytes bytes;
    } cases[] = {
        {"values above a byte",
         [](GameFixture& f) { f.put(kDoor, 0, 0); f.at(0, 0).mapX = 300; f.at(0, 0).destRoom = 256 + 7; },
         3, {16, 0, 0, 7, 0, 0x2C}},
        {"guns without rail or gun",
         [](GameFixture& f) {
             f.put(kGunRight, 20, 20); f.put(kGunControl, 4, 0); f.link(4, 0, 20, 20);
             f.put(kGunLeft, 35, 2); f.put(kGunControl, 6, 0); f.link(6, 0, 35, 2);
             deleteObjectAt(f.app, 35, 2);
         },
         3, {0x24, 0x08, 1, 0, 0, 0, 0, 32, 0, 0, 0, 0, 0, 0, 40, 0, 0x80}},
        {"letters with bit 7", [](GameFixture& f) { f.put(kText, 0, 0); setRecordText(f.at(0, 0), "a\xC3\xBC"); },
         3, {0x33, 0x08, 16, 0, 1, 0x21, 'A', 0x43, 0xBC}},
    };
    for (const auto& c : cases) {
        GameFixture f;
        f.useRoom(0);
        f.room(0).roomColour = 0x4F;  // from a damaged project
        c.make(f);
        const Bytes p = test::buildUnchecked(f);
        EXPECT_EQ(p[258], 0x0F) << c.what;  // the colour's low four bits
        const Bytes got(p.begin() + static_cast<long>(dataOffset(p, 0) + c.at),
                        p.begin() + static_cast<long>(std::min(p.size(), dataOffset(p, 0) + c.at + c.bytes.size())));
        EXPECT_EQ(got, c.bytes) << c.what;
    }
}

// One-cell walkways and a text that bring the program to exactly 34,818 bytes, its last at $FFFF.
void castleAtTheSizeLimit(GameFixture& f) {
    for (int r = 0; r < 23; ++r) {
        f.useRoom(r);
        for (int run = 0; run < (r < 22 ? 500 : 230); ++run) f.room(r).walkway(run % 20 * 2, run / 20) = kWalkway;
    }
    f.enter(0);
    f.put(kText, 0, 0);
    const size_t letters = kMaxProgramSize - (test::buildUnchecked(f).size() - 11) - 7;
    ASSERT_LE(letters, 20u);
    setRecordText(f.at(0, 0), std::string(letters, 'A'));
}

TEST(Compiler, RefusesWhatTheGameCannotHold) {
    GameFixture big;
    castleAtTheSizeLimit(big);
    const auto atLimit = buildCastleProgram(big.castle(), test::sampleEndRoom());
    ASSERT_TRUE(atLimit.has_value());
    EXPECT_EQ((std::pair{atLimit->size(), word(*atLimit, 97)}), (std::pair{size_t{34818}, 0x10000 - 545}));

    const struct {
        std::function<void(GameFixture&)> make;
        std::string error;
    } cases[] = {
        {[](GameFixture& f) { castleAtTheSizeLimit(f); setRecordText(f.at(0, 0), recordText(f.at(0, 0)) + "A"); },
         "Error: castle program too large (34819 bytes, at most 34818)."},
        {[](GameFixture& f) {
             f.roomWithDoor(0);
             for (int i = 0; i < 16; ++i) {
                 f.put(kDoorBell, 4 + 2 * i, 10);
                 for (int l = 0; l < 16; ++l) f.link(4 + 2 * i, 10, 0, 0);
             }
         },
         "Error: Room 1 has more than 255 doors or door bell links."},
        // A switch names a machine by its number times 8 in one byte.
        {[](GameFixture& f) {
             f.roomWithDoor(0);
             for (int m = 0; m < 33; ++m) f.put(kLightningMachine, 3 * (m % 13), 4 * (m / 13) + 5);
             f.put(kLightningSwitch, 0, 20);
             f.link(0, 20, 15, 13);  // machine 31
             EXPECT_TRUE(test::buildUnchecked(f).size() > 0);
             f.link(0, 20, 18, 13);  // machine 32
         },
         "Error: Room 1: a Lightning Switch is linked to a machine after the 32nd."},
        {[](GameFixture& f) { f.roomWithDoor(0); }, kEndRoomMissing},
    };
    for (const auto& c : cases) {
        GameFixture f;
        c.make(f);
        recountRoom(f.castle(), 0);
        std::vector<std::string> errors;
        const Bytes endRoom = c.error == kEndRoomMissing ? Bytes(kEndRoomSize - 1) : test::sampleEndRoom();
        EXPECT_FALSE(buildCastleProgram(f.castle(), endRoom, &errors));
        EXPECT_EQ(errors, Lines{c.error});
    }
}

// Doors are numbered in scan order; destinations and start doors follow them. A repeated number finds
// the last door that has it; numbers no door holds and rooms outside the 64 are left for the check.
TEST(Renumber, DestinationsFollowTheDoorsTheyNamed) {
    GameFixture f;
    f.useRoom(0);
    f.useRoom(1);
    // Room 2 holds numbers 7, 7, -3; room 3, the first after the castle, number 4.
    for (const auto& [r, x, y, number] : {std::array{1, 0, 0, 7}, {1, 10, 0, 7}, {1, 20, 0, -3}, {2, 30, 10, 4}}) {
        f.enter(r);
        f.put(kDoor, x, y);
        f.at(x, y).number = static_cast<int8_t>(number);
    }
    f.enter(0);
    const struct {
        int x, destRoom, destDoor, wantDoor, wantX, wantY;
    } doors[] = {{30, 1, 7, 1, 10, 0}, {0, 1, -3, 2, 20, 0}, {10, 1, 7 + 256, 7 + 256, 0, 0},
                 {20, 2, 4, 0, 30, 10}, {5, 1000, 7, 7, 0, 0}};
    for (const auto& d : doors) {  // placed out of scan order
        f.put(kDoor, d.x, 5);
        f.at(d.x, 5).destRoom = d.destRoom;
        f.at(d.x, 5).destDoor = d.destDoor;
    }
    f.castle().settings.playerStartDoor[0] = 0;  // the door at (30, 5)
    f.castle().settings.playerStartDoor[1] = 1;  // the door at (0, 5)
    for (int r = 0; r < 3; ++r) recountRoom(f.castle(), r);
    renumberObjects(f.castle());
    for (const auto& d : doors) {
        const CellRecord& door = f.room(0).object(d.x, 5);
        EXPECT_EQ((std::array{door.destDoor, door.destX, door.destY}), (std::array{d.wantDoor, d.wantX, d.wantY})) << d.x;
    }
    const auto& start = f.castle().settings.playerStartDoor;
    EXPECT_EQ((std::array<int, 4>{f.room(0).object(0, 5).number, f.room(0).object(30, 5).number, start[0], start[1]}),
              (std::array{0, 4, 4, 0}));
}

// Foreign and damaged programs: the rooms in use and where the program is damaged (-1: nowhere).
TEST(Reader, ForeignAndDamagedPrograms) {
    const Bytes door{0x03, 0x08, 1, 16, 0, 0, 0, 0, 0, 0, 0};
    const Bytes two = test::programOf({door, door});
    auto with = [](Bytes p, size_t at, Bytes bytes) {
        std::copy(bytes.begin(), bytes.end(), p.begin() + static_cast<long>(at));
        return p;
    };
    const struct {
        const char* what;
        Bytes program;
        int rooms, damagedAt;
    } cases[] = {
        {"sound, colour byte $3C", with(two, 258, {0x3C}), 2, -1},
        {"no rooms", test::programOf({}), 0, -1},
        {"table ended by $40", with(two, 258 + 8, {0x40}), 1, -1},
        {"70 table entries", test::programOf(std::vector<Bytes>(70, door)), 64, -1},
        {"first room before the load address", with(two, 258 + 6, {0x00, 0x10}), 0, 0},
        {"end room past the end of the file", with(two, 97, {0xF0, 0xFF}), 2, 2},
    };
    for (const auto& c : cases) {
        GameFixture f;
        const ProgramRead read = readCastleProgramBytes(f.castle(), c.program.data(), c.program.size());
        EXPECT_EQ((std::pair{roomsInUseRun(f.castle()), read.damagedAt}), (std::pair{c.rooms, c.damagedAt})) << c.what;
        EXPECT_TRUE(c.rooms == 0 || f.room(0).roomColour == c.program[258] % 16) << c.what;  // the low four bits
    }
}

// A program cut anywhere gives the rooms whose data begins in what is left, and where it stopped.
TEST(Reader, EveryTruncationGivesAPartialCastle) {
    const Bytes full = test::sampleProgram();
    std::vector<size_t> starts;
    for (int r = 0; full[258 + 8 * r] != kRoomTableEnd; ++r) starts.push_back(dataOffset(full, r));
    std::vector<size_t> ends(starts.begin() + 1, starts.end());
    ends.push_back(static_cast<size_t>(offsetOfC64Address(word(full, 97))));
    ends.push_back(full.size());
    std::set<size_t> cuts{0, 1, 5, 11, 12, 257, 258, 259, 266, 267};
    for (size_t b : ends)
        for (size_t n : {starts.front(), b}) cuts.insert({n - 1, n, n + 1});
    for (size_t n = 0; n < full.size(); n += 37) cuts.insert(n);
    GameFixture f;
    for (size_t n : cuts) {
        if (n > full.size()) continue;
        const ProgramRead read = readCastleProgramBytes(f.castle(), full.data(), n);
        const int rooms = static_cast<int>(std::count_if(starts.begin(), starts.end(), [&](size_t s) { return s < n; }));
        const int damaged = static_cast<int>(std::find_if(ends.begin(), ends.end(), [&](size_t e) { return n < e; }) - ends.begin());
        EXPECT_EQ(roomsInUseRun(f.castle()), rooms) << n;
        EXPECT_EQ(read.damagedAt, n == full.size() ? -1 : damaged) << n;
    }
}

TEST(Reader, ListsFromForeignProgramsStayInsideTheRoomAndTheirRecords) {
    Bytes data{0x21, 0x08, 0x30, 0x08, 0, 16, 0, 0, 0, 0, 0, 0x80,  // an unknown list passed over by its tag
               0x27, 0x08, 56, 0, 1};                               // a transmitter with 20 targets
    for (int i = 0; i < 20; ++i) data.insert(data.end(), {static_cast<uint8_t>(16 + 8 * (i % 10)), static_cast<uint8_t>(8 * (5 + 2 * (i / 10)))});
    data.push_back(0);
    data.insert(data.end(), {0x33, 0x08, 16, 160, 1, 0x21});  // a text of 101 letters
    data.insert(data.end(), 100, 'A');
    data.push_back('Z' | 0x80);
    data.insert(data.end(), {24, 8, 0, 0x21, 0xA0,           // camouflage at (2, 1)
                             40, 16, 0, 0x22, ' ', 0xA0,     // two characters, two rows high
                             56, 80, 2, 0xA1,                // style with bit 7: an empty text
                             200, 250, 1, 0x21, 'Q' | 0x80, 0x00});  // outside the room
    data.insert(data.end(), {0x06, 0x08, 255, 16, 0, 0});  // a run far beyond column 39
    data.insert(data.end(), {0x24, 0x08, 0, 172, 16, 2, 16, 16, 80, 0x80});  // a gun beyond column 39
    GameFixture f;
    const Bytes p = test::programOf({data});
    readCastleProgramBytes(f.castle(), p.data(), p.size());
    const Room& room = f.room(0);
    EXPECT_EQ((std::vector<int>{room.object(0, 0).type, room.object(10, 0).usedLinkCount(), room.vertical(39, 3).type,
                                room.object(0, 10).type, room.object(0, 10).usedLinkCount()}),
              (std::vector<int>{kFrankenstein, 16, kGunRailLeft, kGunControl, 0}));
    EXPECT_EQ(recordText(room.object(0, 20)).size(), 63u);
    EXPECT_EQ(recordText(room.object(10, 10)), "");
    for (int x = 0; x < 40; ++x) EXPECT_EQ(room.walkway(x, 0), kWalkway);
    std::string camouflage;
    for (int y = 1; y < 4; ++y)
        for (int x = 2; x < 11; ++x) camouflage += static_cast<char>('0' + room.camouflage(x, y));
    EXPECT_EQ(camouflage, "120000000" "000012120" "000012120");
}

// A program asking more work than its size can hold stops, and says where, read quickly or carefully alike.
// Quick against careful reading of sound and random programs: the generated castles and the fuzz target.
TEST(Reader, WorkLimitStopsQuickAndCarefulReadingAlike) {
    auto xb = [](int column) { return static_cast<uint8_t>(xByteOfColumn(column)); };
    auto yb = [](int row) { return static_cast<uint8_t>(yByteOfRow(row)); };
    // Every room points at ladder runs placed three times, then at doors forced over them.
    Bytes runs{kListLadder, kListTagHigh};
    for (int k = 0; k < 3 * kColumns; ++k) runs.insert(runs.end(), {static_cast<uint8_t>(kRows), xb(k % kColumns), yb(0)});
    runs.insert(runs.end(), {0, kListDoor, kListTagHigh, 3, xb(5), yb(5), 1, 0, 0, 0, 0, 0,
                             xb(4), yb(4), 1, 0, 0, 0, 0, 0, xb(20), yb(5), 1, 0, 0, 0, 0, 0});
    Bytes p = test::programOf({runs});
    const Bytes entry(p.begin() + kRoomTableOffset, p.begin() + kRoomTableOffset + kRoomEntrySize);
    for (int r = 1; r < kRooms; ++r) p.insert(p.begin() + kRoomTableOffset, entry.begin(), entry.end());
    for (int r = 0; r < kRooms; ++r) {
        uint8_t* e = p.data() + kRoomTableOffset + r * kRoomEntrySize + kRoomEntryData;
        const long address = (e[0] | (e[1] << 8)) + (kRooms - 1) * static_cast<long>(kRoomEntrySize);
        e[0] = static_cast<uint8_t>(address);
        e[1] = static_cast<uint8_t>(address >> 8);
    }
    GameFixture quick, careful;
    const int damaged = readCastleProgramBytes(quick.castle(), p.data(), p.size(), RoomReading::Quick).damagedAt;
    EXPECT_EQ(readCastleProgramBytes(careful.castle(), p.data(), p.size(), RoomReading::Careful).damagedAt, damaged);
    EXPECT_TRUE(damaged > 0 && damaged < kRooms - 1 && roomsInUseRun(quick.castle()) == damaged + 1) << damaged;
    for (int r = 0; r < kRooms; ++r) ASSERT_TRUE(sameRoom(quick.room(r), careful.room(r))) << "room " << r;
}

// The commands around program files: dialogs, messages, the log and what stays on disk.
struct ProgramFolder {
    test::TempDir dir;
    GameFixture f;
    ProgramFolder() {
        std::filesystem::create_directories(dir.path() / "resource");
        test::writeBytes(dir.file("resource/endroom.bin"), test::sampleEndRoom());
        test::writeBytes(dir.file("resource/ztest00.prg"), {7});
        f.app.programFolder = dir.path().string();
        f.roomWithDoor(0);
    }
    Bytes expected() { return buildCastleProgram(f.castle(), test::sampleEndRoom()).value(); }
};

TEST(ProgramCommands, SaveCastleAsksNamesAndReports) {
    EXPECT_EQ(castleProgramTarget("/a/b/castle1.prg"), "/a/b/zcastle1.prg");
    EXPECT_EQ(castleProgramTarget("/a/b/Zorro"), "/a/b/Zorro.prg");
    EXPECT_EQ(castleProgramTarget("/a/b/zfoo.PRG"), "/a/b/zfoo.PRG");

    ProgramFolder t;
    t.f.roomWithDoor(1);
    t.f.ui.clearRecords();
    t.f.ui.files = {t.dir.file("castle1.prg"), t.dir.file("zcastle1.prg"), t.dir.file("zcastle1.prg")};
    t.f.ui.replies = {Reply::No, Reply::Yes};
    EXPECT_EQ(compileCastle(t.f.app, true), 1);
    EXPECT_EQ(t.f.castle().currentRoom, 1);  // every room shown while compiled, the current one restored
    EXPECT_EQ(t.f.ui.fileDialogs.at(0).second.label + t.f.ui.caption(), "C-64 Programs" + t.dir.file("zcastle1.prg"));
    test::writeBytes(t.dir.file("zcastle1.prg"), {1});
    EXPECT_EQ(compileCastle(t.f.app, true), 0);  // overwrite declined
    EXPECT_EQ(test::readBytes(t.dir.file("zcastle1.prg")), Bytes{1});
    EXPECT_EQ(compileCastle(t.f.app, true), 1);
    EXPECT_EQ(compileCastle(t.f.app, true), 0);  // dialog cancelled
    EXPECT_EQ(t.f.ui.messageTexts(), (Lines{kPrgBuilt, kPrgBuilt}));
    EXPECT_EQ(t.f.ui.questionTexts(), (Lines{"File exists. Overwrite?", "File exists. Overwrite?"}));
    EXPECT_EQ(test::readBytes(t.dir.file("zcastle1.prg")), t.expected());

    t.f.ui.clearRecords();
    EXPECT_EQ(compileCastle(t.f.app, false), 1);  // the test program, without asking
    EXPECT_TRUE(t.f.ui.messages.empty());
    EXPECT_EQ(test::readBytes(t.dir.file("resource/ztest00.prg")), t.expected());
}

// Every failed build says why and leaves the files as they were.
TEST(ProgramCommands, FailedBuildsSayWhyAndWriteNothing) {
    const struct {
        const char* what;
        std::function<void(ProgramFolder&)> spoil;
        Lines log, messages;
    } cases[] = {
        {"castle error", [](ProgramFolder& t) { t.f.at(0, 0).destRoom = 5; },
         {"Error #1: Door 1 in Room 1 has an invalid connection to Room 6."}, {}},
        {"short end room", [](ProgramFolder& t) { test::writeBytes(t.dir.file("resource/endroom.bin"), Bytes(544, 1)); },
         {}, {kEndRoomMissing}},
        {"folder that does not exist", [](ProgramFolder& t) { t.f.ui.files = {t.dir.file("missing/zc.prg")}; },
         {"Could not open ?/missing/zc.prg"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder t;
        c.spoil(t);
        const bool interactive = !t.f.ui.files.empty();
        EXPECT_EQ(compileCastle(t.f.app, interactive), 0);
        Lines log = t.f.ui.log;
        for (std::string& line : log)
            if (line.find(t.dir.path().string()) != std::string::npos) line.replace(line.find(t.dir.path().string()), t.dir.path().string().size(), "?");
        EXPECT_EQ(log, c.log);
        EXPECT_TRUE(interactive || (t.f.ui.logShown > 0) == !c.log.empty());
        EXPECT_EQ(t.f.ui.messageTexts(), c.messages);
        EXPECT_EQ(test::readBytes(t.dir.file("resource/ztest00.prg")), Bytes{7});
        for (const auto& e : std::filesystem::recursive_directory_iterator(t.dir.path()))
            EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    }
}

TEST(ProgramCommands, LoadCastleReadsNamesAndReports) {
    GameFixture f;
    f.roomWithDoor(5);
    EXPECT_EQ(readCastleProgram(f.app), 0);  // dialog cancelled
    EXPECT_EQ(f.ui.fileDialogs.at(0).second.label, "PRG Files");
    EXPECT_EQ(readCastleProgramFrom(f.app, "/nonexistent/zcastle.prg"), 0);
    EXPECT_TRUE(f.ui.log == Lines{"Couldn't open /nonexistent/zcastle.prg"} && f.room(5).roomInUse);

    test::TempDir dir;
    Bytes p = test::sampleProgram();
    p.resize(p.size() - 1);
    test::writeBytes(dir.file("zcut.prg"), p);
    f.ui.clearRecords();
    EXPECT_EQ(readCastleProgramFrom(f.app, dir.file("zcut.prg")), 1);
    EXPECT_EQ((std::tuple{f.room(5).roomInUse, f.ui.log, f.ui.caption()}),
              (std::tuple{0, Lines{"Error: castle program damaged at room 5."}, dir.file("zcut.prg")}));
}

}  // namespace
}  // namespace grusk
