#include <gtest/gtest.h>

#include "gamedata/castle_reader.h"
#include "gamedata_fixture.h"
#include "model/castle_files.h"

namespace grusk {
namespace {

using test::GameFixture;

// What a castle program carries of an object, compared field by field.
void expectSameObject(const CellRecord& a, const CellRecord& b, int r, int x, int y) {
    SCOPED_TRACE("room " + std::to_string(r) + " cell " + std::to_string(x) + "," + std::to_string(y));
    ASSERT_EQ(a.type, b.type);
    if (!isObjectType(a.type)) return;
    EXPECT_EQ(a.variant, b.variant);
    EXPECT_EQ(a.mark, b.mark);
    EXPECT_EQ(a.number, b.number);
    EXPECT_EQ(a.room, b.room);
    for (int s = 0; s < kLinkSlots; ++s) {
        EXPECT_EQ(a.links[s][0], b.links[s][0]) << "slot " << s;
        EXPECT_EQ(a.links[s][1], b.links[s][1]) << "slot " << s;
    }
    if (a.type == kDoor) {
        EXPECT_EQ(a.picture, b.picture);
        EXPECT_EQ(a.destRoom, b.destRoom);
        EXPECT_EQ(a.destDoor, b.destDoor);
        EXPECT_EQ(a.destX, b.destX);
        EXPECT_EQ(a.destY, b.destY);
        EXPECT_EQ(a.direction, b.direction);
        EXPECT_EQ(a.mapX, b.mapX);
        EXPECT_EQ(a.mapY, b.mapY);
    }
    if (a.type == kKey || a.type == kLock || a.type == kText) {
        EXPECT_EQ(a.colour, b.colour);
        EXPECT_EQ(a.picture, b.picture);
    }
    if (a.type == kText) {
        EXPECT_EQ(recordText(a), recordText(b));
    }
    if (a.type == kLightningMachine) {
        EXPECT_EQ(a.length, b.length);
    }
}

void expectSameCastle(CastleModel& a, CastleModel& b) {
    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(a.settings.playerStartRoom[p], b.settings.playerStartRoom[p]);
        EXPECT_EQ(a.settings.playerStartDoor[p], b.settings.playerStartDoor[p]);
        EXPECT_EQ(a.settings.playerLives[p], b.settings.playerLives[p]);
    }
    for (int r = 0; r < kRooms; ++r) {
        const Room& ra = a.room(r);
        const Room& rb = b.room(r);
        ASSERT_EQ(ra.roomInUse, rb.roomInUse) << r;
        if (!ra.roomInUse) continue;
        EXPECT_EQ(ra.roomColour, rb.roomColour);
        EXPECT_EQ(ra.roomMapRect.left, rb.roomMapRect.left);
        EXPECT_EQ(ra.roomMapRect.top, rb.roomMapRect.top);
        EXPECT_EQ(ra.roomMapRect.right, rb.roomMapRect.right);
        EXPECT_EQ(ra.roomMapRect.bottom, rb.roomMapRect.bottom);
        EXPECT_EQ(ra.roomObjectCount, rb.roomObjectCount) << r;
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kColumns; ++x) {
                expectSameObject(ra.object(x, y), rb.object(x, y), r, x, y);
                EXPECT_EQ(ra.vertical(x, y).type, rb.vertical(x, y).type) << r << ":" << x << "," << y;
                EXPECT_EQ(ra.walkway(x, y), rb.walkway(x, y)) << r << ":" << x << "," << y;
                EXPECT_EQ(ra.camouflage(x, y), rb.camouflage(x, y)) << r << ":" << x << "," << y;
            }
    }
}

TEST(RoundTrip, EveryObjectTypeCompilesReadsBackAndCompilesToTheSameBytes) {
    GameFixture original;
    test::buildEveryTypeCastle(original);
    for (int t = 0; t < kPaletteTypes; ++t) {
        int found = 0;
        for (int r = 0; r < 2; ++r) {
            const Room& room = original.room(r);
            found += room.roomObjectCount[static_cast<size_t>(t)];
            for (int i = 0; i < kCellsPerRoom; ++i)
                found += room.verticalLayer[static_cast<size_t>(i)].type == t || room.walkwayLayer[static_cast<size_t>(i)] == t;
        }
        EXPECT_GT(found, 0) << "the sample castle lacks " << objectTypeName(t);
    }
    const std::vector<uint8_t> first = original.build();

    GameFixture copy;
    readCastleProgramBytes(copy.app, first.data(), first.size());
    const std::vector<uint8_t> second = copy.build();
    EXPECT_EQ(first, second);
    expectSameCastle(original.castle(), copy.castle());
}

TEST(RoundTrip, ProjectImageKeepsWhatTheProgramNeeds) {
    GameFixture original;
    test::buildEveryTypeCastle(original);
    const std::vector<uint8_t> program = original.build();

    GameFixture decompiled;
    readCastleProgramBytes(decompiled.app, program.data(), program.size());
    const std::vector<uint8_t> image = castleFileImage(decompiled.castle());

    GameFixture reloaded;
    readCastleImage(reloaded.castle(), image.data(), image.size());
    EXPECT_EQ(reloaded.build(), program);
}

}  // namespace
}  // namespace grusk
