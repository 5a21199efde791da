#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "gamedata/castle_reader.h"
#include "gamedata/program_layout.h"
#include "gamedata_fixture.h"
#include "support/test_support.h"

namespace grusk {
namespace {

using test::GameFixture;
using Bytes = std::vector<uint8_t>;

// A program with the given header settings and one room entry per data block;
// each block is placed after the table and ended by $00 $00 unless it already is.
Bytes programOf(const std::vector<Bytes>& rooms, Bytes settings = {0, 0, 0, 0, 3, 3}) {
    Bytes p(258, 0);
    p[0] = 0x00;
    p[1] = 0x78;
    p[4] = 0x80;
    for (size_t i = 0; i < settings.size(); ++i) p[5 + i] = settings[i];
    const size_t tableEnd = 258 + 8 * rooms.size() + 1;
    size_t offset = tableEnd;
    for (const Bytes& data : rooms) {
        const long address = c64AddressOfOffset(static_cast<long>(offset));
        const Bytes entry{2, 0x18, 0x18, 0x1A, static_cast<uint8_t>(address + 2), static_cast<uint8_t>((address + 2) >> 8),
                          static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8)};
        p.insert(p.end(), entry.begin(), entry.end());
        offset += data.size() + 2;
    }
    p.push_back(0xFF);
    for (const Bytes& data : rooms) {
        p.insert(p.end(), data.begin(), data.end());
        p.push_back(0);
        p.push_back(0);
    }
    return p;
}

void read(GameFixture& f, const Bytes& p) { readCastleProgramBytes(f.app, p.data(), p.size()); }

int objectsOfType(const Room& room, int type) {
    int n = 0;
    for (const CellRecord& rec : room.objectLayer) n += rec.type == type ? 1 : 0;
    return n;
}

TEST(Reader, HeaderSettingsAndRoomEntries) {
    GameFixture f;
    Bytes p = programOf({{0x06, 0x08, 0x00}, {0x06, 0x08, 0x00}}, {1, 2, 3, 4, 5, 6});
    p[258 + 8] = 13;    // room 1 colour
    p[258 + 9] = 0x20;  // map X
    p[258 + 10] = 0x30; // map Y
    p[258 + 11] = 0x3A; // 7 wide, 2 high
    read(f, p);
    const CastleSettings& s = f.castle().settings;
    EXPECT_EQ(s.playerStartRoom[0], 1);
    EXPECT_EQ(s.playerStartRoom[1], 2);
    EXPECT_EQ(s.playerStartDoor[0], 3);
    EXPECT_EQ(s.playerStartDoor[1], 4);
    EXPECT_EQ(s.playerLives[0], 5);
    EXPECT_EQ(s.playerLives[1], 6);
    EXPECT_EQ(f.room(0).roomColour, 2);
    const MapRect r0 = f.room(0).roomMapRect;
    EXPECT_EQ((std::vector<int>{r0.left, r0.top, r0.right, r0.bottom}), (std::vector<int>{32, 48, 80, 80}));
    EXPECT_EQ(f.room(1).roomColour, 13);
    const MapRect r1 = f.room(1).roomMapRect;
    EXPECT_EQ((std::vector<int>{r1.left, r1.top, r1.right, r1.bottom}), (std::vector<int>{64, 96, 176, 128}));
    EXPECT_TRUE(f.room(0).roomInUse && f.room(1).roomInUse);
    EXPECT_FALSE(f.room(2).roomInUse);
    EXPECT_EQ(f.castle().currentRoom, 0);
    EXPECT_TRUE(f.app.skipNextMouseMove);
}

TEST(Reader, TableEndsAtFFOr40) {
    GameFixture f;
    Bytes p = programOf({});
    test::TempDir dir;
    test::writeBytes(dir.file("zempty.prg"), p);
    f.useRoom(5);
    EXPECT_EQ(readCastleProgramFrom(f.app, dir.file("zempty.prg")), 1);
    EXPECT_EQ(roomsInUseRun(f.castle()), 0);
    EXPECT_FALSE(f.room(5).roomInUse);
    EXPECT_EQ(f.castle().castleTitle, dir.file("zempty.prg"));
    EXPECT_EQ(f.ui.caption(), dir.file("zempty.prg"));

    p = programOf({{0x06, 0x08, 0x00}, {0x06, 0x08, 0x00}});
    p[258 + 8] = 0x40;
    read(f, p);
    EXPECT_EQ(roomsInUseRun(f.castle()), 1);
}

TEST(Reader, EmptyRoomDataGivesARoomWithoutObjects) {
    GameFixture f;
    read(f, programOf({{0x06, 0x08, 0x00, 0x00, 0x00}}));
    EXPECT_TRUE(f.room(0).roomInUse);
    for (const CellRecord& rec : f.room(0).objectLayer) EXPECT_EQ(rec.type, kEmpty);
}

TEST(Reader, DoorsKeepTheirFieldsAndExitVariant) {
    GameFixture f;
    read(f, programOf({{0x03, 0x08, 2, 0x38, 0x28, 1, 0, 1, 30, 40, 0, 16, 0, 3, 0, 0, 0, 0, 2, 0x06, 0x08, 0x00}}));
    // The file numbers its doors by list position; the editor by scan order.
    const CellRecord& a = f.room(0).object(10, 5);  // file door 0, second in scan order
    EXPECT_EQ(a.type, kDoor);
    EXPECT_EQ(a.direction, 1);
    EXPECT_EQ(a.destRoom, 0);
    EXPECT_EQ(a.destDoor, 0);  // file door 1 is the first in scan order
    EXPECT_EQ(a.destX, 0);
    EXPECT_EQ(a.destY, 0);
    EXPECT_EQ(a.mapX, 30);
    EXPECT_EQ(a.mapY, 40);
    EXPECT_EQ(a.picture, kDoor);
    EXPECT_EQ(a.number, 1);
    const CellRecord& b = f.room(0).object(0, 0);
    EXPECT_EQ(b.direction, 3);
    EXPECT_EQ(b.destDoor, 1);
    EXPECT_EQ(b.destX, 10);
    EXPECT_EQ(b.destY, 5);
    EXPECT_EQ(b.variant, 2);
    EXPECT_EQ(b.picture, kExitDoor);
    EXPECT_EQ(b.number, 0);
}

TEST(Reader, BellAndLockEntriesAtOneCellBuildOneObjectWithSeveralLinks) {
    GameFixture f;
    read(f, programOf({{0x03, 0x08, 2, 16, 0, 0, 0, 0, 0, 0, 0, 56, 0, 0, 0, 0, 0, 0, 0,  //
                        0x06, 0x08, 0x00,                                                  //
                        0x0F, 0x08, 2, 36, 40, 0, 36, 40, 1,                               //
                        0x1E, 0x08, 3, 90, 1, 60, 40, 3, 90, 0, 60, 40, 0x00}}));
    const Room& room = f.room(0);
    EXPECT_EQ(objectsOfType(room, kDoorBell), 1);
    const CellRecord& bell = room.object(5, 5);
    EXPECT_EQ(bell.links[0][0], 0);
    EXPECT_EQ(bell.links[1][0], 10);
    EXPECT_EQ(bell.links[2][0], -1);
    EXPECT_EQ(bell.mark, kMarkPlain);
    EXPECT_EQ(objectsOfType(room, kLock), 1);
    const CellRecord& lock = room.object(11, 5);
    EXPECT_EQ(lock.links[0][0], 10);
    EXPECT_EQ(lock.links[1][0], 0);
    EXPECT_EQ(lock.colour, 3);
    EXPECT_EQ(lock.picture, 48);  // Lock_c
    EXPECT_EQ(lock.mark, kMarkPlain);
}

TEST(Reader, TextsAndCamouflage) {
    GameFixture f;
    read(f, programOf({{0x06, 0x08, 0x00, 0x33, 0x08,
                        24, 8, 0, 0x21, 0xA0,                  // camouflage patch at (2, 1)
                        40, 16, 0, 0x22, ' ', 0xA0,             // two characters, two rows high
                        16, 80, 5, 0x22, 'H', 'I' | 0x80,       // double-height text
                        56, 80, 2, 0xA1,                        // style with bit 7: empty text
                        0x00}}));
    const Room& room = f.room(0);
    EXPECT_EQ(room.camouflage(2, 1), 1);
    EXPECT_EQ(room.camouflage(3, 1), 2);
    EXPECT_EQ(room.camouflage(4, 1), 0);
    for (int row : {2, 3})
        for (int x = 6; x < 10; ++x) EXPECT_EQ(room.camouflage(x, row), x % 2 == 0 ? 1 : 2) << x << "," << row;
    EXPECT_EQ(room.roomObjectCount[kCamouflage], 5);
    const CellRecord& text = room.object(0, 10);
    EXPECT_EQ(text.type, kText);
    EXPECT_EQ(recordText(text), "HI");
    EXPECT_EQ(text.variant, 1);
    EXPECT_EQ(text.colour, 5);
    EXPECT_EQ(room.object(10, 10).type, kText);
    EXPECT_EQ(recordText(room.object(10, 10)), "");
}

TEST(Reader, StatesOfConveyorsTrapsMachinesAndFrankenstein) {
    GameFixture f;
    read(f, programOf({{0x06, 0x08, 0x00,
                        0x12, 0x08, 0x00, 20, 24, 1, 0, 0, 0, 0,  // machine off at (0, 4) with one suspension
                        0x80, 100, 0, 0, 0x00, 0xFF, 0xFF, 0xFF,  // switch off, linked to machine 0
                        0x20,
                        0x2A, 0x08, 0, 16, 160, 28, 160, 1, 56, 160, 68, 160, 0x80,
                        0x2D, 0x08, 3, 16, 176, 52, 176, 1, 16, 192, 60, 184, 0x80,
                        0x30, 0x08, 1, 120, 0, 0, 0, 0, 0, 0x80}}));
    const Room& room = f.room(0);
    const CellRecord& machine = room.object(0, 4);
    EXPECT_EQ(machine.type, kLightningMachine);
    EXPECT_EQ(machine.variant, 1);
    EXPECT_EQ(machine.picture, kPicLightningOff);
    EXPECT_EQ(machine.length, 1);
    EXPECT_EQ(room.object(1, 3).type, kLightningSuspension);
    const CellRecord& sw = room.object(21, 0);
    EXPECT_EQ(sw.variant, 1);
    EXPECT_EQ(sw.links[0][0], 0);
    EXPECT_EQ(sw.links[0][1], 4);
    EXPECT_EQ(sw.links[1][0], -1);  // $FF names no machine
    EXPECT_EQ(sw.mark, kMarkPlain);

    const CellRecord& closed = room.object(0, 20);
    EXPECT_EQ(closed.variant, 1);
    EXPECT_EQ(closed.picture, kPicTrapClosed);
    EXPECT_EQ(room.object(3, 20).picture, kPicTrapSwitchClosed);
    EXPECT_EQ(closed.links[0][0], 3);
    const CellRecord& open = room.object(10, 20);
    EXPECT_EQ(open.variant, 0);
    EXPECT_EQ(room.object(13, 20).picture, kPicTrapSwitchOpen);

    EXPECT_EQ(room.object(0, 22).variant, 1);  // flag 3: runs left
    EXPECT_EQ(room.object(9, 22).picture, kPicConveyorSwitchLeft);
    EXPECT_EQ(room.object(9, 22).links[0][0], 0);
    EXPECT_EQ(room.object(0, 24).variant, 2);  // flag 1: runs right
    EXPECT_EQ(room.object(11, 23).picture, kPicConveyorSwitchRight);

    EXPECT_EQ(room.object(26, 0).variant, 1);
    EXPECT_EQ(room.object(26, 0).picture, kPicFrankensteinRight);
}

TEST(Reader, UnknownListCodesArePassedOverByTheirTag) {
    GameFixture f;
    read(f, programOf({{0x21, 0x08, 0x30, 0x08, 0, 16, 0, 0, 0, 0, 0, 0x80}}));
    EXPECT_EQ(f.room(0).object(0, 0).type, kFrankenstein);
}

TEST(Reader, OversizedListsStayInsideTheirRecords) {
    GameFixture f;
    Bytes data{0x27, 0x08, 16, 0, 1};
    for (int i = 0; i < 20; ++i) {
        data.push_back(static_cast<uint8_t>(16 + 8 * (i % 10)));
        data.push_back(static_cast<uint8_t>(8 * (5 + 2 * (i / 10))));
    }
    data.push_back(0);
    data.insert(data.end(), {0x33, 0x08, 16, 160, 1, 0x21});
    for (int i = 0; i < 100; ++i) data.push_back('A');
    data.push_back('Z' | 0x80);
    data.insert(data.end(), {200, 250, 1, 0x21, 'Q' | 0x80, 0x00});  // outside the room
    data.insert(data.end(), {0x06, 0x08, 255, 16, 0, 0});              // a run far beyond column 39
    read(f, programOf({data}));
    const Room& room = f.room(0);
    const CellRecord& t = room.object(0, 0);
    EXPECT_EQ(t.type, kTransmitter);
    EXPECT_EQ(t.usedLinkCount(), 16);
    EXPECT_EQ(recordText(room.object(0, 20)).size(), 63u);
    for (int x = 0; x < 40; ++x) EXPECT_NE(room.walkway(x, 0), kEmpty);
}

TEST(Reader, MoreThan64TableEntriesFillOnlyThe64Rooms) {
    GameFixture f;
    std::vector<Bytes> rooms(70, Bytes{0x06, 0x08, 0x00});
    Bytes p = programOf(rooms);
    read(f, p);
    EXPECT_EQ(roomsInUseRun(f.castle()), 64);
}

TEST(Reader, FileThatCannotBeOpenedLeavesTheCastle) {
    GameFixture f;
    f.useRoom(0);
    f.put(kDoor, 0, 0);
    EXPECT_EQ(readCastleProgramFrom(f.app, "/nonexistent/zcastle.prg"), 0);
    EXPECT_EQ(f.ui.log, std::vector<std::string>{"Couldn't open /nonexistent/zcastle.prg"});
    EXPECT_EQ(f.at(0, 0).type, kDoor);
}

TEST(Reader, LoadCastleCommandUsesTheProgramFilterAndCanBeCancelled) {
    GameFixture f;
    f.useRoom(0);
    EXPECT_EQ(readCastleProgram(f.app), 0);
    ASSERT_EQ(f.ui.fileDialogs.size(), 1u);
    EXPECT_EQ(f.ui.fileDialogs[0].first, "");
    EXPECT_EQ(f.ui.fileDialogs[0].second.label, "PRG Files");
    EXPECT_EQ(f.ui.fileDialogs[0].second.pattern, "z*.prg");
    EXPECT_TRUE(f.room(0).roomInUse);
}

// A compact valid program of one room with every list.
Bytes everyListProgram() {
    GameFixture f;
    test::buildEveryTypeCastle(f);
    return f.build();
}

size_t roomDataOffset(const Bytes& p, int r) {
    return static_cast<size_t>(offsetOfC64Address(p[258 + 8 * r + 6] | (p[258 + 8 * r + 7] << 8)));
}

TEST(Reader, EveryTruncationOfAValidProgramGivesAPartialCastle) {
    const Bytes full = everyListProgram();
    const size_t room0 = roomDataOffset(full, 0), room1 = roomDataOffset(full, 1);
    const size_t dataEnd = static_cast<size_t>(offsetOfC64Address(full[97] | (full[98] << 8)));
    ASSERT_EQ(room0, 275u);
    GameFixture f;

    // The whole file: every length through the settings and the room table
    // (the zero areas between them read alike and are sampled), then a stride
    // through the room data and the end-room data.
    int roomsSeen = 0;
    for (size_t n = 0; n <= full.size(); n += n < 12 || (n >= 256 && n <= room0 + 2) ? 1 : 23) {
        readCastleProgramBytes(f.app, full.data(), n);
        const int rooms = roomsInUseRun(f.castle());
        ASSERT_LE(rooms, 2);
        EXPECT_EQ(rooms, n < 258 + 8 ? 0 : n < 258 + 16 ? 1 : 2) << n;
        roomsSeen = std::max(roomsSeen, rooms);
    }
    readCastleProgramBytes(f.app, full.data(), full.size());
    EXPECT_EQ(f.build(), full);

    // Each room's lists cut at every byte.
    for (int r = 0; r < 2; ++r) {
        const size_t from = r == 0 ? room0 : room1, to = r == 0 ? room1 : dataEnd;
        for (size_t n = from; n <= to; ++n) {
            clearRoom(f.castle(), r);
            readRoomLists(f.app, r, full.data(), n, static_cast<long long>(from));
            ASSERT_EQ(f.castle().currentRoom, r);
        }
    }
    EXPECT_EQ(roomsSeen, 2);
}

TEST(Reader, RandomBytesNeverMakeItFail) {
    std::mt19937 rng(1234);
    GameFixture f;
    const Bytes valid = everyListProgram();
    for (int round = 0; round < 24; ++round) {
        Bytes p;
        if (round % 3 == 0) {
            p.resize(rng() % 2000);
            for (uint8_t& b : p) b = static_cast<uint8_t>(rng());
        } else {
            // A valid header and table leading into damaged room data.
            p = valid;
            for (int flips = 0; flips < 1 + round; ++flips) p[275 + rng() % (p.size() - 275)] = static_cast<uint8_t>(rng());
        }
        readCastleProgramBytes(f.app, p.data(), p.size());
        EXPECT_LE(roomsInUseRun(f.castle()), 64);
    }
    // Random lists, list codes drawn from the real ones so that every reader runs.
    for (int round = 0; round < 400; ++round) {
        Bytes data(1 + rng() % 300);
        for (uint8_t& b : data) b = static_cast<uint8_t>(rng());
        for (size_t i = 0; i + 1 < data.size(); i += 1 + rng() % 12) {
            data[i] = static_cast<uint8_t>(kProgramLists[rng() % kProgramLists.size()].code);
            data[i + 1] = kListTagHigh;
        }
        clearRoom(f.castle(), 3);
        readRoomLists(f.app, 3, data.data(), data.size(), 0);
        for (const CellRecord& rec : f.room(3).objectLayer) {
            ASSERT_TRUE(rec.type == kEmpty || isObjectType(rec.type) || rec.type >= kCoveredBase);
            ASSERT_GE(rec.usedLinkCount(), 0);
        }
    }
}

TEST(Reader, RepeatedListsCannotStallTheReader) {
    // Every room entry points at one long run of walkway lists.
    Bytes p(258, 0);
    for (int r = 0; r < 64; ++r) p.insert(p.end(), {2, 16, 0, 0x11, 0, 0, 0x0B, 0x7A});
    p.push_back(0xFF);
    p.resize(static_cast<size_t>(offsetOfC64Address(0x7A0B)), 0);
    while (p.size() < 60000) p.insert(p.end(), {0x06, 0x08, 40, 16, 0, 0});
    GameFixture f;
    readCastleProgramBytes(f.app, p.data(), p.size());
    EXPECT_EQ(f.room(0).walkway(39, 0), kWalkway);
    EXPECT_EQ(roomsInUseRun(f.castle()), 64);
}

}  // namespace
}  // namespace grusk
