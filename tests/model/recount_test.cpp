// The recount works on gathered types; it must write exactly what the plain
// walk over the records writes, for any record contents a file may bring.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "editor/catalogue.h"
#include "model/castle_model.h"

namespace grusk {
namespace {

bool isRunTopPlain(const Room& room, int x, int y) {
    return y == 0 || room.vertical(x, y - 1).type != room.vertical(x, y).type;
}

// The recount as its rules read, cell by cell over the records.
void recountPlain(Room& room) {
    auto& counter = room.roomObjectCount;
    counter.fill(0);
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            CellRecord& rec = room.vertical(x, y);
            if (!isVerticalType(rec.type)) continue;
            if (!isRunTopPlain(room, x, y)) {
                rec.length = 0;
                continue;
            }
            int n = 0;
            while (y + n < kRows && room.vertical(x, y + n).type == rec.type) ++n;
            rec.length = n;
        }
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            CellRecord& rec = room.object(x, y);
            if (rec.type != 13 && rec.type != 40) continue;
            int n = 0;
            if (y >= 1 && x < kColumns - 1)
                while (y - 1 - n >= 0 && room.object(x + 1, y - 1 - n).type == 11) ++n;
            rec.length = n;
        }
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            if (room.camouflage(x, y) == 1) ++counter[26];
            CellRecord& rec = room.object(x, y);
            const int t = rec.type;
            if (!isObjectType(t)) continue;
            if (t == 2) {
                rec.ordinal = counter[2];
                counter[2] += rec.usedLinkCount();
            } else if (t == 40) {
                ++counter[13];
            } else {
                rec.ordinal = counter[static_cast<size_t>(t)]++;
            }
        }
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            CellRecord& rec = room.vertical(x, y);
            if (isVerticalType(rec.type) && isRunTopPlain(room, x, y)) rec.ordinal = counter[static_cast<size_t>(rec.type)]++;
        }
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x)
            for (CellRecord* rec : {&room.object(x, y), &room.vertical(x, y)}) {
                if (!isObjectType(rec->type)) continue;
                rec->typeCount = counter[static_cast<size_t>(rec->type)];
                rec->x = x;
                rec->y = y;
            }
}

// Records as damaged files leave them: any type in either layer (covered
// markers, type 40, camouflage records, values out of range), suspensions over
// machines, runs of every vertical type, linked bells, camouflage cells.
void fillRandomly(Room& room, std::mt19937& random, bool camouflageRecords) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    static const int kObjectTypesSeen[] = {kEmpty, kEmpty, kEmpty, 2, 11, 11, 13, 40, 3, 7, 25, 1005, 1999, 153, -4, 100000};
    static const int kVerticalTypesSeen[] = {kEmpty, kEmpty, 9, 9, 10, 17, 19, 5, 2000};
    for (int i = 0; i < kCellsPerRoom; ++i) {
        CellRecord& o = room.objectLayer[static_cast<size_t>(i)];
        CellRecord& v = room.verticalLayer[static_cast<size_t>(i)];
        o.reset();
        v.reset();
        o.type = kObjectTypesSeen[pick(16)];
        if (camouflageRecords && pick(50) == 0) o.type = kCamouflage;
        // Runs: a cell often repeats the type above it.
        v.type = i >= kColumns && pick(3) > 0 ? room.verticalLayer[static_cast<size_t>(i - kColumns)].type
                                              : kVerticalTypesSeen[pick(9)];
        for (int slot = 0; slot < kLinkSlots; ++slot)
            if (pick(4) == 0) o.links[slot][0] = pick(40);
        o.ordinal = pick(1000);
        o.length = pick(1000);
        v.ordinal = pick(1000);
        v.length = pick(1000);
        room.camouflageLayer[static_cast<size_t>(i)] = pick(3);
    }
}

TEST(Recount, WritesWhatThePlainWalkWrites) {
    std::mt19937 random(5);
    auto castle = allocateCells();
    auto plain = allocateCells();
    for (int round = 0; round < 40; ++round) {
        Room& room = castle->room(round % kRooms);
        fillRandomly(room, random, round % 2 == 1);
        Room& expected = plain->room(round % kRooms);
        std::memcpy(static_cast<void*>(&expected), &room, sizeof(Room));
        recountPlain(expected);
        recountRoom(*castle, round % kRooms);
        ASSERT_EQ(std::memcmp(&expected, &room, sizeof(Room)), 0) << "round " << round;

        // The same from types gathered beforehand.
        fillRandomly(room, random, round % 3 == 0);
        std::memcpy(static_cast<void*>(&expected), &room, sizeof(Room));
        recountPlain(expected);
        auto types = std::make_unique<RoomTypes>();
        gatherRoomTypes(room, *types);
        recountRoom(*castle, round % kRooms, *types);
        ASSERT_EQ(std::memcmp(&expected, &room, sizeof(Room)), 0) << "gathered, round " << round;
    }
}

TEST(Recount, ResetRoomRecordsLeavesTheRoomAsClearingTheCastleDoes) {
    auto castle = allocateCells();
    auto cleared = allocateCells();
    std::mt19937 random(11);
    fillRandomly(castle->room(3), random, true);
    castle->room(3).walkwayLayer.fill(kWalkwayL);
    castle->room(3).roomObjectCount.fill(5);
    castle->room(3).roomColour = 9;
    castle->room(3).roomInUse = 1;
    castle->room(3).roomMapRect = {16, 16, 64, 48};
    clearCastleRecords(*cleared);
    resetRoomRecords(*castle, 3);
    const Room& a = castle->room(3);
    const Room& b = cleared->room(3);
    EXPECT_EQ(std::memcmp(a.objectLayer.data(), b.objectLayer.data(), sizeof a.objectLayer), 0);
    EXPECT_EQ(std::memcmp(a.verticalLayer.data(), b.verticalLayer.data(), sizeof a.verticalLayer), 0);
    EXPECT_EQ(a.walkwayLayer, b.walkwayLayer);
    EXPECT_EQ(a.camouflageLayer, b.camouflageLayer);
    EXPECT_EQ(a.roomObjectCount, b.roomObjectCount);
    EXPECT_EQ(a.roomColour, 9);  // colour, map and flag stay
    EXPECT_EQ(a.roomInUse, 1);
    EXPECT_EQ(a.roomMapRect.right, 64);
}

}  // namespace
}  // namespace grusk
