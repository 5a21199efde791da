// Project and room files: byte layout, round trips, dialogs, refusals and damaged content.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "app/app_state.h"
#include "app/object_commands.h"
#include "app/project_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "model/castle_files.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"

namespace grusk {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

int32_t i32At(const std::vector<uint8_t>& b, size_t offset) {
    int32_t v;
    std::memcpy(&v, b.data() + offset, 4);
    return v;
}

class FilesTest : public ::testing::Test {
protected:
    FakePlatform ui;
    AppState app{ui};
    CastleModel& castle = app.castle;
    TempDir dir;
    void SetUp() override { clearCastle(app); }

    // A small castle touching every stored part.
    void buildCastle() {
        castle.room(0).roomInUse = 1;
        castle.room(0).roomMapRect = {32, 48, 80, 80};
        castle.room(0).roomColour = 5;
        castle.room(1).roomInUse = 1;
        castle.room(1).roomMapRect = {-16, 0, 96, 112};
        castle.settings = {{1, 0}, {2, 3}, {4, 7}};
        placeObject(app, kDoor, 4, 6);
        CellRecord& door = castle.current().object(4, 6);
        door.destRoom = 1;
        door.destDoor = 0;
        door.mapX = 30;
        door.mapY = 40;
        door.direction = 1;
        placeObject(app, kText, 10, 2);
        setRecordText(castle.current().object(10, 2), "HELLO");
        placeObject(app, kWalkway, 3, 20);
        placeObject(app, kCamouflage, 7, 21);
        for (int y = 10; y < 14; ++y) placeObject(app, kLadder, 30, y);
        selectRoom(app, 1);
        placeObject(app, kGunRailRight, 2, 2);
        placeObject(app, kDoor, 20, 20);
        selectRoom(app, 0);
    }
};

TEST_F(FilesTest, ProjectFileLayoutByteForByte) {
    buildCastle();
    const auto image = castleFileImage(castle);
    ASSERT_EQ(image.size(), 22785546u);
    ASSERT_EQ(kProjectLayoutSize, 22529542u);
    // Room headers: 24 bytes per room.
    EXPECT_EQ(i32At(image, 0), 32);
    EXPECT_EQ(i32At(image, 4), 48);
    EXPECT_EQ(i32At(image, 8), 80);
    EXPECT_EQ(i32At(image, 12), 80);
    EXPECT_EQ(i32At(image, 16), 5);
    EXPECT_EQ(i32At(image, 20), 1);
    EXPECT_EQ(i32At(image, 24), -16);
    EXPECT_EQ(i32At(image, 24 + 20), 1);
    EXPECT_EQ(i32At(image, 2 * 24 + 16), 2);  // a cleared room is red
    // The six settings bytes at 1536: p1 room, door, lives, p2 room, door, lives.
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 1536, image.begin() + 1542),
              (std::vector<uint8_t>{1, 2, 4, 0, 3, 7}));
    // Cells: x outer, y inner, 352 bytes each.
    auto cellOffset = [](int room, int x, int y) { return 1542 + (room * 1000 + x * 25 + y) * 352; };
    const size_t door = cellOffset(0, 4, 6);
    EXPECT_EQ(i32At(image, door + 0), kDoor);
    EXPECT_EQ(i32At(image, door + 12), kDoor);       // picture
    EXPECT_EQ(i32At(image, door + 16), -1);          // extra[0]
    EXPECT_EQ(i32At(image, door + 88), 4);           // x
    EXPECT_EQ(i32At(image, door + 92), 6);           // y
    EXPECT_EQ(i32At(image, door + 96), 30);          // mapX
    EXPECT_EQ(i32At(image, door + 100), 40);         // mapY
    EXPECT_EQ(i32At(image, door + 104), 1);          // destRoom
    EXPECT_EQ(i32At(image, door + 124), 1);          // direction
    EXPECT_EQ(i32At(image, door + 132 + 8 * 15), -1);  // links[15].x
    EXPECT_EQ(i32At(image, door + 260), 0);          // room
    EXPECT_EQ(image[door + 336], 0);                 // number
    EXPECT_EQ(i32At(image, door + 340), 0);          // next
    EXPECT_EQ(i32At(image, cellOffset(0, 5, 6)), 1000 + 4 * 40 + 6);
    const size_t text = cellOffset(0, 10, 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[text + 272])), "HELLO");
    EXPECT_EQ(i32At(image, text + 264), 1);          // colour
    EXPECT_EQ(i32At(image, cellOffset(0, 3, 20) + 344), kWalkway);
    EXPECT_EQ(i32At(image, cellOffset(0, 3, 21) + 344), 255);
    EXPECT_EQ(i32At(image, cellOffset(0, 7, 21) + 348), 1);
    EXPECT_EQ(i32At(image, cellOffset(0, 8, 21) + 348), 2);
    // The vertical-layer section after the layout.
    EXPECT_EQ(std::string(image.begin() + 22529542, image.begin() + 22529546), "VERT");
    auto vertOffset = [](int room, int x, int y) { return 22529546 + (room * 1000 + x * 25 + y) * 4; };
    EXPECT_EQ(i32At(image, vertOffset(0, 30, 10)), kLadder);
    EXPECT_EQ(i32At(image, vertOffset(0, 30, 14)), 255);
    EXPECT_EQ(i32At(image, vertOffset(1, 2, 2)), kGunRailRight);
}

TEST_F(FilesTest, SaveAndLoadRoundTripKeepsEveryLayer) {
    buildCastle();
    const auto before = castleFileImage(castle);
    ui.files.push_back(dir.file("castle"));
    ASSERT_EQ(saveProject(app), 1);
    EXPECT_EQ(ui.caption(), dir.file("castle.cas"));
    EXPECT_EQ(ui.fileDialogs.back().second.pattern, "*.cas");
    EXPECT_EQ(ui.fileDialogs.back().second.label, "Grusk Castles");
    EXPECT_EQ(ui.fileDialogs.back().first, "");
    EXPECT_EQ(readBytes(dir.file("castle.cas")), before);

    clearCastle(app);
    selectRoom(app, 3);
    ui.files.push_back(dir.file("castle.cas"));
    ASSERT_EQ(loadProject(app), 1);
    EXPECT_EQ(castleFileImage(castle), before);
    EXPECT_EQ(castle.currentRoom, 0);
    EXPECT_EQ(castle.castleTitle, dir.file("castle.cas"));
    EXPECT_EQ(castle.room(0).vertical(30, 10).length, 4);  // recounted after reading
    EXPECT_EQ(castle.room(0).roomObjectCount[kDoor], 1);
}

TEST_F(FilesTest, SaveNamesAndOverwriteQuestion) {
    ui.files.push_back(dir.file("UPPER.CAS"));
    ASSERT_EQ(saveProject(app), 1);
    EXPECT_TRUE(std::filesystem::exists(dir.file("UPPER.CAS")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("UPPER.CAS.cas")));
    EXPECT_TRUE(ui.questionTexts().empty());

    placeObject(app, kKey, 0, 0);
    ui.files.push_back(dir.file("UPPER.CAS"));
    ui.replies.push_back(Reply::No);
    EXPECT_EQ(saveProject(app), 0);
    ASSERT_EQ(ui.messages.back().text, "File exists. Overwrite?");
    EXPECT_EQ(ui.messages.back().caption, "Watch out!");
    EXPECT_EQ(castle.castleTitle, dir.file("UPPER.CAS"));  // taken before the question
    EXPECT_EQ(readBytes(dir.file("UPPER.CAS"))[1542 + 0], 255);  // old content kept

    ui.files.push_back(dir.file("UPPER.CAS"));
    ui.replies.push_back(Reply::Yes);
    EXPECT_EQ(saveProject(app), 1);
    EXPECT_EQ(readBytes(dir.file("UPPER.CAS"))[1542 + 0], kKey);
    // No temporary files are left beside the target.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);

    ui.files.push_back(std::nullopt);
    EXPECT_EQ(saveProject(app), 0);
}

TEST_F(FilesTest, LayoutSizedFileLoadsWithoutVerticalLayer) {
    buildCastle();
    auto image = castleFileImage(castle);
    image.resize(kProjectLayoutSize);
    writeBytes(dir.file("old.cas"), image);
    clearCastle(app);
    ASSERT_EQ(loadProjectFrom(app, dir.file("old.cas")), 1);
    EXPECT_EQ(castle.room(0).vertical(30, 10).type, 255);  // ladders are not in the layout
    EXPECT_EQ(castle.room(0).object(4, 6).type, kDoor);
    EXPECT_EQ(castle.room(0).object(4, 6).destRoom, 1);
}

TEST_F(FilesTest, WrongFilesAreRefusedAndTheCastleStays) {
    buildCastle();
    const auto before = castleFileImage(castle);
    for (size_t size : {size_t{0}, size_t{1542}, kProjectLayoutSize - 1, kProjectLayoutSize + 1, kRoomFileSize}) {
        writeBytes(dir.file("wrong.cas"), std::vector<uint8_t>(size, 7));
        ui.files.push_back(dir.file("wrong.cas"));
        EXPECT_EQ(loadProject(app), 0) << size;
        EXPECT_EQ(ui.messages.back().text, "Not a castle file: " + dir.file("wrong.cas"));
        EXPECT_EQ(ui.messages.back().caption, "KVT");
    }
    // A layout-sized file whose tail is not "VERT" loads without the section.
    EXPECT_EQ(castleFileImage(castle), before);
    ui.files.push_back(dir.file("missing.cas"));
    EXPECT_EQ(loadProject(app), 0);  // cannot be opened: silent
    EXPECT_EQ(castleFileImage(castle), before);

    writeBytes(dir.file("wrong.crm"), std::vector<uint8_t>(1000, 1));
    ui.files.push_back(dir.file("wrong.crm"));
    EXPECT_EQ(importRoom(app), 0);
    EXPECT_EQ(ui.messages.back().text, "Not a room file: " + dir.file("wrong.crm"));
    EXPECT_EQ(castleFileImage(castle), before);
}

TEST_F(FilesTest, RoomFileExportAndImport) {
    buildCastle();
    castle.room(7).camouflage(0, 0) = 1;
    castle.room(7).camouflage(1, 0) = 2;
    castle.room(7).roomColour = 9;
    ui.files.push_back(dir.file("room"));
    ASSERT_EQ(exportRoom(app), 1);
    EXPECT_EQ(ui.fileDialogs.back().first, "NewRoom.crm");
    EXPECT_EQ(ui.fileDialogs.back().second.pattern, "*.crm");
    EXPECT_EQ(ui.fileDialogs.back().second.label, "Grusk Rooms");
    const auto bytes = readBytes(dir.file("room.crm"));
    ASSERT_EQ(bytes.size(), 696004u);
    // Cell (4, 6): object record, vertical record, walkway value; 692 bytes per cell.
    EXPECT_EQ(i32At(bytes, (4 * 25 + 6) * 692), kDoor);
    EXPECT_EQ(i32At(bytes, (30 * 25 + 10) * 692 + 344), kLadder);
    EXPECT_EQ(i32At(bytes, (3 * 25 + 20) * 692 + 688), kWalkway);
    // Then "CAMO" and the camouflage of every cell in the same order.
    EXPECT_EQ(std::string(bytes.begin() + 692000, bytes.begin() + 692004), "CAMO");
    EXPECT_EQ(i32At(bytes, 692004 + (7 * 25 + 21) * 4), 1);
    EXPECT_EQ(i32At(bytes, 692004 + (8 * 25 + 21) * 4), 2);

    ui.files.push_back(dir.file("ROOM.CRM"));
    ASSERT_EQ(exportRoom(app), 1);
    EXPECT_TRUE(std::filesystem::exists(dir.file("ROOM.CRM")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("ROOM.CRM.crm")));

    ui.files.push_back(dir.file("room.crm"));
    ui.replies.push_back(Reply::No);
    EXPECT_EQ(exportRoom(app), 0);
    EXPECT_EQ(ui.messages.back().caption, "Watch out!");

    const auto otherRooms = castleFileImage(castle);
    selectRoom(app, 7);
    ui.files.push_back(dir.file("room.crm"));
    ASSERT_EQ(importRoom(app), 1);
    EXPECT_EQ(ui.fileDialogs.back().first, "*.crm");
    const Room& seven = castle.room(7);
    EXPECT_EQ(seven.object(4, 6).type, kDoor);
    EXPECT_EQ(seven.vertical(30, 10).type, kLadder);
    EXPECT_EQ(seven.vertical(30, 10).length, 4);
    EXPECT_EQ(seven.object(4, 6).room, 7);  // the door stands in room 7 now
    EXPECT_EQ(seven.camouflage(0, 0), 0);  // the room's own patches go, the file's come
    EXPECT_EQ(seven.camouflage(7, 21), 1);
    EXPECT_EQ(seven.camouflage(8, 21), 2);
    EXPECT_EQ(seven.roomObjectCount[kCamouflage], 1);
    EXPECT_EQ(seven.roomColour, 9);  // colour and flag stay
    EXPECT_EQ(seven.roomInUse, 0);
    // No other room changed: compare the images outside room 7's cells.
    const auto after = castleFileImage(castle);
    const size_t start = 1542 + 7 * 1000 * 352;
    const size_t end = start + 1000 * 352;
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + start, otherRooms.begin()));
    EXPECT_TRUE(std::equal(after.begin() + end, after.begin() + 22529546, otherRooms.begin() + end));

    // A room file of the older size has no camouflage: the room is left without.
    writeBytes(dir.file("old.crm"), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 692000));
    castle.room(7).camouflage(20, 20) = 1;
    ui.files.push_back(dir.file("old.crm"));
    ASSERT_EQ(importRoom(app), 1);
    EXPECT_EQ(seven.object(4, 6).type, kDoor);
    for (int32_t c : seven.camouflageLayer()) ASSERT_EQ(c, 0);
    for (const size_t size : {size_t{691999}, size_t{692001}, size_t{696003}}) {
        writeBytes(dir.file("odd.crm"), std::vector<uint8_t>(size, 0));
        ui.files.push_back(dir.file("odd.crm"));
        EXPECT_EQ(importRoom(app), 0) << size;
    }
}

TEST_F(FilesTest, LoadingTurnsStaleCoveredCellsIntoEmptyCells) {
    // Markers naming an empty anchor, an anchor below the room and a real one.
    placeObject(app, kKey, 10, 10);
    castle.room(0).object(3, 3).type = kCoveredBase + 2 * 40 + 3;
    castle.room(0).object(4, 3).type = kCoveredBase + 4 * 40 + 30;
    const auto project = castleFileImage(castle);
    const auto room = roomFileImage(castle, 0);
    for (int kind = 0; kind < 2; ++kind) {
        clearCastle(app);
        if (kind == 0)
            readCastleImage(castle, project.data(), project.size());
        else
            readRoomImage(castle, 0, room.data(), room.size());
        EXPECT_EQ(castle.room(0).object(3, 3).type, kEmpty) << kind;
        EXPECT_EQ(castle.room(0).object(4, 3).type, kEmpty) << kind;
        EXPECT_EQ(castle.room(0).object(11, 10).type, kCoveredBase + 10 * 40 + 10) << kind;
    }
}

}  // namespace
}  // namespace grusk
