#include <gtest/gtest.h>

#include <algorithm>

#include "app/castle_program_commands.h"
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
    const long endRoom = c64AddressOfOffset(static_cast<long>(p.size()));
    p[97] = static_cast<uint8_t>(endRoom);
    p[98] = static_cast<uint8_t>(endRoom >> 8);
    const Bytes endRoomData = test::sampleEndRoom();
    p.insert(p.end(), endRoomData.begin(), endRoomData.end());
    return p;
}

void read(GameFixture& f, const Bytes& p) { readCastleProgramBytes(f.app, p.data(), p.size()); }

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
    for (const CellRecord& rec : f.room(0).objectLayer()) EXPECT_EQ(rec.type, kEmpty);
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
    // A room is in use once its data begins inside the file, and only when
    // every room before it was read to its end; the log names where it stopped.
    int roomsSeen = 0;
    for (size_t n = 0; n <= full.size(); n += n < 12 || (n >= 256 && n <= room0 + 2) || n + 560 > full.size() ? 1 : 23) {
        f.ui.clearRecords();
        readCastleProgramBytes(f.app, full.data(), n);
        const int rooms = roomsInUseRun(f.castle());
        EXPECT_EQ(rooms, n <= room0 ? 0 : n <= room1 ? 1 : 2) << n;
        const int damagedAt = n < room1 ? 1 : n < dataEnd ? 2 : n < full.size() ? 3 : 0;
        EXPECT_EQ(f.ui.log, damagedAt == 0 ? std::vector<std::string>{}
                                           : std::vector<std::string>{"Error: castle program damaged at room " +
                                                                      std::to_string(damagedAt) + "."})
            << n;
        roomsSeen = std::max(roomsSeen, rooms);
    }
    EXPECT_EQ(f.build(), full);

    // Each room's lists cut at every byte.
    for (int r = 0; r < 2; ++r) {
        const size_t from = r == 0 ? room0 : room1, to = r == 0 ? room1 : dataEnd;
        for (size_t n = from; n <= to; ++n) {
            clearRoom(f.castle(), r);
            readRoomLists(f.castle(), r, full.data(), n, static_cast<long long>(from));
            ASSERT_EQ(f.castle().currentRoom, r);
        }
    }
    EXPECT_EQ(roomsSeen, 2);
}

TEST(Reader, RepeatedListsCannotStallTheReader) {
    // Every room entry points at one long run of walkway lists: far more work
    // than a file of this size can hold, so reading stops and says where.
    Bytes p(258, 0);
    for (int r = 0; r < 64; ++r) p.insert(p.end(), {2, 16, 0, 0x11, 0, 0, 0x0B, 0x7A});
    p.push_back(0xFF);
    p.resize(static_cast<size_t>(offsetOfC64Address(0x7A0B)), 0);
    while (p.size() < 60000) p.insert(p.end(), {0x06, 0x08, 40, 16, 0});
    p.insert(p.end(), {0, 0});
    GameFixture f;
    readCastleProgramBytes(f.app, p.data(), p.size());
    EXPECT_EQ(f.room(0).walkway(39, 0), kWalkway);
    const int rooms = roomsInUseRun(f.castle());
    EXPECT_GE(rooms, 2);
    EXPECT_LT(rooms, 64);
    EXPECT_EQ(f.ui.log, std::vector<std::string>{"Error: castle program damaged at room " + std::to_string(rooms) + "."});
}

TEST(Reader, DamageIsReportedAndTheRoomsAfterItAreNotInUse) {
    GameFixture f;
    const Bytes valid = programOf({{0x03, 0x08, 1, 16, 0, 0, 0, 0, 0, 0, 0}, {0x03, 0x08, 1, 16, 0, 0, 0, 0, 0, 0, 0}});
    struct Case {
        const char* what;
        size_t at;
        std::vector<uint8_t> bytes;
        int rooms;
        std::string log;
    };
    const std::vector<Case> cases{
        {"sound", 0, {}, 2, ""},
        {"second room's data past the end of the file", 258 + 8 + 6, {0xFF, 0xFF}, 1, "Error: castle program damaged at room 2."},
        {"first room's data before the load address", 258 + 6, {0x00, 0x10}, 0, "Error: castle program damaged at room 1."},
        {"end-room data past the end of the file", 97, {0xF0, 0xFF}, 2, "Error: castle program damaged at room 3."},
    };
    for (const Case& c : cases) {
        Bytes p = valid;
        std::copy(c.bytes.begin(), c.bytes.end(), p.begin() + static_cast<long>(c.at));
        f.ui.clearRecords();
        read(f, p);
        EXPECT_EQ(roomsInUseRun(f.castle()), c.rooms) << c.what;
        EXPECT_EQ(f.ui.log, c.log.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.log}) << c.what;
        if (!c.log.empty()) {
            EXPECT_GE(f.ui.logShown, 1) << c.what;
        }
    }
}

TEST(Reader, RoomColoursAreReadAsTheirLowFourBits) {
    GameFixture f;
    Bytes p = programOf({{0x06, 0x08, 0x00}});
    p[258] = 0x3C;
    read(f, p);
    EXPECT_EQ(f.room(0).roomColour, 12);
}

}  // namespace
}  // namespace grusk
