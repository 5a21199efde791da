// The quick ways of reading and renumbering give exactly what the plain ways
// give, on the programs generated castles never make: placements over
// objects, joined runs, the work limit and damaged door numbers. (Generated
// castles and the fuzz target compare them on everything else.)
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "app/castle_program_commands.h"
#include "gamedata/castle_reader.h"
#include "gamedata/program_layout.h"
#include "gamedata_fixture.h"

namespace grusk {
namespace {

using test::GameFixture;
using Bytes = std::vector<uint8_t>;

// Names the first byte in which the two castles differ, or "".
std::string firstDifference(const CastleModel& a, const CastleModel& b) {
    if (std::memcmp(&a.settings, &b.settings, sizeof a.settings) != 0) return "settings";
    if (a.currentRoom != b.currentRoom) return "current room";
    for (int r = 0; r < kRooms; ++r) {
        const Room& x = a.room(r);
        const Room& y = b.room(r);
        if (sameRoom(x, y)) continue;
        std::ostringstream where;
        where << "room " << r;
        for (int i = 0; i < kCellsPerRoom; ++i) {
            const size_t c = static_cast<size_t>(i);
            if (std::memcmp(&x.objectLayer()[c], &y.objectLayer()[c], sizeof(CellRecord)) != 0)
                return where.str() + " object record " + std::to_string(i);
            if (std::memcmp(&x.verticalLayer()[c], &y.verticalLayer()[c], sizeof(CellRecord)) != 0)
                return where.str() + " vertical record " + std::to_string(i);
            if (x.walkwayLayer()[c] != y.walkwayLayer()[c]) return where.str() + " walkway " + std::to_string(i);
            if (x.camouflageLayer()[c] != y.camouflageLayer()[c]) return where.str() + " camouflage " + std::to_string(i);
        }
        return where.str() + " counts, colour, map or flag";
    }
    return "";
}

// Reads programs both ways and expects the same castle each time. Reading
// clears the castle first, so the two castles serve every program.
class TwoReaders {
public:
    void expectSame(const Bytes& program, const std::string& what) {
        readCastleProgramBytes(quick_.app, program.data(), program.size(), RoomReading::Quick);
        readCastleProgramBytes(careful_.app, program.data(), program.size(), RoomReading::Careful);
        EXPECT_EQ(firstDifference(quick_.castle(), careful_.castle()), "") << what;
    }

private:
    GameFixture quick_;
    GameFixture careful_;
};

void expectSameReading(const Bytes& program, const std::string& what) { TwoReaders().expectSame(program, what); }

// A program with one room entry per data block, as the reader tests make them.
Bytes programOf(const std::vector<Bytes>& rooms) {
    Bytes p(kHeaderSize, 0);
    p[1] = 0x78;
    p[4] = 0x80;
    size_t offset = kHeaderSize + kRoomEntrySize * rooms.size() + 1;
    for (const Bytes& data : rooms) {
        const long address = c64AddressOfOffset(static_cast<long>(offset));
        const Bytes entry{2, 0x18, 0x18, 0x1A, static_cast<uint8_t>(address + 2), static_cast<uint8_t>((address + 2) >> 8),
                          static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8)};
        p.insert(p.end(), entry.begin(), entry.end());
        offset += data.size() + 2;
    }
    p.push_back(kRoomTableEnd);
    for (const Bytes& data : rooms) {
        p.insert(p.end(), data.begin(), data.end());
        p.push_back(0);
        p.push_back(0);
    }
    return p;
}

uint8_t xb(int column) { return static_cast<uint8_t>(xByteOfColumn(column)); }
uint8_t yb(int row) { return static_cast<uint8_t>(yByteOfRow(row)); }

TEST(QuickReading, SameCastleAsCarefulReading) {
    GameFixture every;
    test::buildEveryTypeCastle(every);
    expectSameReading(every.build(), "every type castle");
}

TEST(QuickReading, PlacementsOverObjectsAndJoinedRunsReadCarefully) {
    // A second door forced onto the first; a door bell listed once per linked
    // door; a ladder run joined from above by a later run; a gun rail listed
    // for two guns; a force field switch shared by two fields.
    const Bytes doors{kListDoor, kListTagHigh, 3,
                      xb(5), yb(5), 1, 0, 0, 0, 0, 0,
                      xb(4), yb(4), 1, 0, 0, 0, 0, 0,
                      xb(20), yb(5), 1, 0, 0, 0, 0, 0};
    const Bytes bells{kListDoorBell, kListTagHigh, 2, xb(2), yb(2), 0, xb(2), yb(2), 2};
    const Bytes ladders{kListLadder, kListTagHigh, 3, xb(30), yb(10), 3, xb(30), yb(7), 0};
    const Bytes guns{kListRayGun, kListTagHigh,
                     0, xb(10), yb(15), 5, yb(16), xb(14), yb(18),
                     0, xb(10), yb(15), 5, yb(17), xb(15), yb(18), 0x80};
    const Bytes fields{kListForceField, kListTagHigh, xb(25), yb(20), xb(26), yb(18), xb(25), yb(20), xb(28), yb(18), 0};
    auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    TwoReaders readers;
    readers.expectSame(programOf({doors}), "doors on doors");
    readers.expectSame(programOf({bells}), "bell listed twice");
    readers.expectSame(programOf({ladders}), "ladder joined from above");
    readers.expectSame(programOf({guns}), "rail listed twice");
    readers.expectSame(programOf({fields}), "shared switch");
    // A door whose block would pass the right edge is left out; the next one is read.
    const Bytes edge{kListDoor, kListTagHigh, 2, xb(38), yb(5), 1, 0, 0, 0, 0, 0, xb(5), yb(5), 1, 0, 0, 0, 0, 0};
    readers.expectSame(programOf({edge}), "door past the right edge");
    // The careful reading of one room leaves the next rooms to the quick one.
    readers.expectSame(programOf({join({doors, ladders}), join({bells, guns, fields}), doors}), "rooms mixed");
}

TEST(QuickReading, WorkLimitStopsBothReadingsAtTheSamePlace) {
    // Every room points at the same long ladder runs, each placed three
    // times: more placements than a file of its size may cause. They end
    // with a door forced onto another, so that each room is read twice.
    Bytes lists{kListLadder, kListTagHigh};
    for (int k = 0; k < 3 * kColumns; ++k) {
        lists.push_back(kRows);
        lists.push_back(xb(k % kColumns));
        lists.push_back(yb(0));
    }
    lists.push_back(0);
    const Bytes doors{kListDoor, kListTagHigh, 2, xb(5), yb(5), 1, 0, 0, 0, 0, 0, xb(4), yb(4), 1, 0, 0, 0, 0, 0};
    lists.insert(lists.end(), doors.begin(), doors.end());
    Bytes program = programOf({lists});
    const Bytes entry(program.begin() + kRoomTableOffset, program.begin() + kRoomTableOffset + kRoomEntrySize);
    program.insert(program.begin() + kRoomTableOffset, (kRooms - 1) * kRoomEntrySize, 0);
    for (int r = 0; r < kRooms; ++r)
        std::copy(entry.begin(), entry.end(), program.begin() + kRoomTableOffset + r * kRoomEntrySize);
    const size_t shift = (kRooms - 1) * kRoomEntrySize;  // the data moved with the longer table
    for (int r = 0; r < kRooms; ++r) {
        uint8_t* e = program.data() + kRoomTableOffset + r * kRoomEntrySize + kRoomEntryData;
        const long address = (e[0] | (e[1] << 8)) + static_cast<long>(shift);
        e[0] = static_cast<uint8_t>(address);
        e[1] = static_cast<uint8_t>(address >> 8);
    }
    GameFixture f;
    readCastleProgramBytes(f.app, program.data(), program.size());
    const int rooms = roomsInUseRun(f.castle());
    EXPECT_GT(rooms, 1);
    EXPECT_LT(rooms, kRooms);
    expectSameReading(program, "work limit");
}

// Door numbers and destinations as a damaged file may bring them: repeated
// numbers (the last door in scan order is the one found), numbers that no
// door can hold, destinations in rooms outside the castle.
TEST(QuickChecking, RenumberingFindsTheLastDoorOfANumber) {
    GameFixture f;
    f.useRoom(0);
    f.useRoom(1);
    f.enter(1);
    f.put(kDoor, 0, 0);
    f.put(kDoor, 10, 0);
    f.put(kDoor, 20, 0);
    f.room(1).object(0, 0).number = 7;
    f.room(1).object(10, 0).number = 7;
    f.room(1).object(20, 0).number = -3;
    f.enter(2);  // the first room after the castle
    f.put(kDoor, 30, 10);
    f.room(2).object(30, 10).number = 4;
    f.enter(0);
    f.put(kDoor, 0, 0);
    f.put(kDoor, 10, 0);
    f.put(kDoor, 20, 0);
    f.put(kDoor, 30, 0);
    CellRecord& toSeven = f.room(0).object(0, 0);
    toSeven.destRoom = 1;
    toSeven.destDoor = 7;
    CellRecord& toMinusThree = f.room(0).object(10, 0);
    toMinusThree.destRoom = 1;
    toMinusThree.destDoor = -3;
    CellRecord& tooLarge = f.room(0).object(20, 0);
    tooLarge.destRoom = 1;
    tooLarge.destDoor = 7 + 256;
    CellRecord& outside = f.room(0).object(30, 0);
    outside.destRoom = 2;
    outside.destDoor = 4;
    recountRoom(f.castle(), 0);
    recountRoom(f.castle(), 1);
    recountRoom(f.castle(), 2);
    renumberObjects(f.castle());
    EXPECT_EQ(toSeven.destDoor, 1);  // the door at (10, 0), the second in scan order
    EXPECT_EQ(toSeven.destX, 10);
    EXPECT_EQ(toMinusThree.destDoor, 2);
    EXPECT_EQ(toMinusThree.destX, 20);
    EXPECT_EQ(tooLarge.destDoor, 7 + 256);  // no door holds it: left for the check
    EXPECT_EQ(outside.destDoor, 0);
    EXPECT_EQ(outside.destX, 30);
    EXPECT_EQ(outside.destY, 10);
}

}  // namespace
}  // namespace grusk
