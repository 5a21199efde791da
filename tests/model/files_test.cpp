// Project and room files: their byte layout (what stored files rely on), the dialogs around them and the files they
// refuse. Generated castles prove the round trips (tests/gamedata/generated_roundtrip_test.cpp).
#include <cstring>
#include <filesystem>

#include "app/project_commands.h"
#include "model/castle_files.h"
#include "model/model_fixture.h"
#include "support/test_support.h"

namespace grusk {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

int32_t i32At(const std::vector<uint8_t>& b, size_t offset) {
    int32_t v;
    std::memcpy(&v, b.data() + offset, 4);
    return v;
}

class FilesTest : public test::CastleTest {
protected:
    test::TempDir dir;
    // A small castle touching every stored part.
    void SetUp() override {
        CastleTest::SetUp();
        room(0).roomInUse = 1;
        room(0).roomMapRect = {32, 48, 80, 80};
        room(1).roomMapRect = {-16, 0, 96, 112};
        castle.settings = {{1, 0}, {2, 3}, {4, 7}};
        put(kDoor, 4, 6);
        room().object(4, 6).destRoom = 1;
        room().object(4, 6).links[15][1] = 9;
        put(kText, 10, 2);
        setRecordText(room().object(10, 2), "HELLO");
        put(kWalkway, 3, 20);
        put(kCamouflage, 7, 21);
        for (int y = 10; y < 14; ++y) put(kLadder, 30, y);
        selectRoom(app, 1);
        put(kGunRailRight, 2, 2);
        selectRoom(app, 0);
    }
};

// Room headers of 24 bytes, six settings bytes, then cells x outer, y inner of 352 bytes (record, walkway,
// camouflage), then "VERT" and the vertical layer's types. A room file: per cell the object record, the vertical
// record and the walkway, then "CAMO" and the camouflage.
TEST_F(FilesTest, ProjectAndRoomFileLayoutsByteForByte) {
    const auto image = castleFileImage(castle);
    const auto roomImage = roomFileImage(castle, 0);
    ASSERT_EQ((std::pair{image.size(), roomImage.size()}), (std::pair{size_t{22785546}, size_t{696004}}));
    auto cell = [](int room, int x, int y) -> size_t { return 1542 + (room * 1000 + x * 25 + y) * 352; };
    auto vert = [](int room, int x, int y) -> size_t { return 22529546 + (room * 1000 + x * 25 + y) * 4; };
    auto roomCell = [](int x, int y) -> size_t { return (x * 25 + y) * 692; };
    const struct {
        const std::vector<uint8_t>& bytes;
        size_t offset;
        int32_t value;
    } words[] = {
        {image, 0, 32}, {image, 12, 80}, {image, 16, 2}, {image, 20, 1}, {image, 24, -16}, {image, 44, 0},
        {image, cell(0, 4, 6), kDoor}, {image, cell(0, 4, 6) + 12, kDoor}, {image, cell(0, 4, 6) + 16, -1},
        {image, cell(0, 4, 6) + 88, 4}, {image, cell(0, 4, 6) + 92, 6}, {image, cell(0, 4, 6) + 104, 1},
        {image, cell(0, 4, 6) + 256, 9}, {image, cell(0, 5, 6), 1000 + 4 * 40 + 6}, {image, cell(0, 10, 2) + 264, 1},
        {image, cell(0, 3, 20) + 344, kWalkway}, {image, cell(0, 3, 21) + 344, 255}, {image, cell(0, 8, 21) + 348, 2},
        {image, vert(0, 30, 10), kLadder}, {image, vert(0, 30, 14), 255}, {image, vert(1, 2, 2), kGunRailRight},
        {roomImage, roomCell(4, 6), kDoor}, {roomImage, roomCell(30, 10) + 344, kLadder},
        {roomImage, roomCell(3, 20) + 688, kWalkway}, {roomImage, 692004 + (7 * 25 + 21) * 4, 1},
    };
    for (const auto& w : words) EXPECT_EQ(i32At(w.bytes, w.offset), w.value) << "at " << w.offset;
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 1536, image.begin() + 1542), (std::vector<uint8_t>{1, 2, 4, 0, 3, 7}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&image[cell(0, 10, 2) + 272])), "HELLO");
    EXPECT_EQ(image[cell(0, 4, 6) + 336], 0);  // the number
    EXPECT_EQ(std::string(image.begin() + 22529542, image.begin() + 22529546), "VERT");
    EXPECT_EQ(std::string(roomImage.begin() + 692000, roomImage.begin() + 692004), "CAMO");
}

TEST_F(FilesTest, SaveAndLoadThroughTheDialogs) {
    const auto before = castleFileImage(castle);
    ui.files.push_back(dir.file("castle"));
    ASSERT_EQ(saveProject(app), 1);
    EXPECT_EQ(ui.caption() + ui.fileDialogs.back().second.pattern + ui.fileDialogs.back().second.label, dir.file("castle.cas") + "*.casGrusk Castles");
    clearCastle(app);
    selectRoom(app, 3);
    ui.files.push_back(dir.file("castle.cas"));
    ASSERT_EQ(loadProject(app), 1);
    EXPECT_EQ(castleFileImage(castle), before);
    EXPECT_EQ((std::pair{castle.currentRoom, room(0).vertical(30, 10).length}), (std::pair{0, 4}));  // recounted after reading

    // An existing file is replaced only on Yes; a name with the ending keeps it.
    EXPECT_TRUE(ui.questionTexts().empty());
    put(kKey, 0, 0);
    for (const Reply reply : {Reply::No, Reply::Yes}) {
        ui.files.push_back(dir.file("castle.cas"));
        ui.replies.push_back(reply);
        EXPECT_EQ(saveProject(app), reply == Reply::Yes ? 1 : 0);
        EXPECT_EQ(ui.messages.back().text + ui.messages.back().caption, "File exists. Overwrite?Watch out!");
        EXPECT_EQ(readBytes(dir.file("castle.cas"))[1542], reply == Reply::Yes ? kKey : kEmpty);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1) << "a temporary file is left";
    ui.files.push_back(std::nullopt);
    EXPECT_EQ(saveProject(app), 0);
}

// A project file of the layout's size (from before the vertical layer) and a room file without camouflage load
// without them; other sizes are refused and the castle stays.
TEST_F(FilesTest, OlderFilesLoadAndWrongOnesAreRefused) {
    auto image = castleFileImage(castle);
    image.resize(kProjectLayoutSize);
    writeBytes(dir.file("old.cas"), image);
    auto roomImage = roomFileImage(castle, 0);
    roomImage.resize(kRoomLayoutSize);
    writeBytes(dir.file("old.crm"), roomImage);
    clearCastle(app);
    ASSERT_EQ(loadProjectFrom(app, dir.file("old.cas")), 1);
    EXPECT_EQ((std::pair{room(0).vertical(30, 10).type, room(0).object(4, 6).destRoom}), (std::pair{kEmpty, 1}));
    selectRoom(app, 2);
    room(2).camouflage(0, 0) = 1;
    ui.files.push_back(dir.file("old.crm"));
    ASSERT_EQ(importRoom(app), 1);
    EXPECT_EQ((std::pair{room(2).object(4, 6).type, room(2).camouflage(0, 0)}), (std::pair{kDoor, 0}));

    const auto before = castleFileImage(castle);
    for (size_t size : {size_t{0}, size_t{1542}, kProjectLayoutSize - 1, kProjectLayoutSize + 1, kRoomFileSize}) {
        writeBytes(dir.file("wrong.cas"), std::vector<uint8_t>(size, 7));
        ui.files.push_back(dir.file("wrong.cas"));
        EXPECT_EQ(loadProject(app), 0) << size;
        EXPECT_EQ(ui.messages.back().text + ui.messages.back().caption, "Not a castle file: " + dir.file("wrong.cas") + "KVT");
    }
    ui.files.push_back(dir.file("missing.cas"));
    EXPECT_EQ(loadProject(app), 0);  // cannot be opened: silent
    for (size_t size : {size_t{1000}, kRoomLayoutSize - 1, kRoomLayoutSize + 1, kRoomFileSize - 1}) {
        writeBytes(dir.file("wrong.crm"), std::vector<uint8_t>(size, 1));
        ui.files.push_back(dir.file("wrong.crm"));
        EXPECT_EQ(importRoom(app), 0) << size;
        EXPECT_EQ(ui.messages.back().text, "Not a room file: " + dir.file("wrong.crm"));
    }
    EXPECT_EQ(castleFileImage(castle), before);
}

TEST_F(FilesTest, RoomFilesMoveOneRoomAndNothingElse) {
    std::tie(room(7).camouflage(0, 0), room(7).camouflage(1, 0), room(7).roomColour) = std::tuple{1, 2, 9};
    ui.files.push_back(dir.file("room"));
    ASSERT_EQ(exportRoom(app), 1);
    EXPECT_EQ(ui.fileDialogs.back().first + ui.fileDialogs.back().second.pattern + ui.fileDialogs.back().second.label, "NewRoom.crm*.crmGrusk Rooms");
    EXPECT_EQ(readBytes(dir.file("room.crm")), roomFileImage(castle, 0));

    const auto others = castleFileImage(castle);
    selectRoom(app, 7);
    ui.files.push_back(dir.file("room.crm"));
    ASSERT_EQ(importRoom(app), 1);
    // Recounted, the door in room 7 now, the room's own patches gone and the file's come, the header kept.
    EXPECT_EQ((std::vector{room(7).vertical(30, 10).length, room(7).object(4, 6).room, room(7).camouflage(0, 0),
                           room(7).roomObjectCount[kCamouflage], room(7).roomColour, room(7).roomInUse}),
              (std::vector{4, 7, 0, 1, 9, 0}));
    const auto after = castleFileImage(castle);
    const size_t start = 1542 + 7 * 1000 * 352, end = start + 1000 * 352;
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + start, others.begin()));
    EXPECT_TRUE(std::equal(after.begin() + end, after.begin() + 22529546, others.begin() + end));
}

TEST_F(FilesTest, ReadingTurnsStaleCoveredCellsIntoEmptyCells) {
    room(0).object(3, 3).type = kCoveredBase + 2 * 40 + 3;   // an empty anchor
    room(0).object(4, 3).type = kCoveredBase + 4 * 40 + 30;  // below the room
    const auto project = castleFileImage(castle);
    const auto roomImage = roomFileImage(castle, 0);
    for (bool whole : {true, false}) {
        clearCastle(app);
        whole ? readCastleImage(castle, project.data(), project.size()) : readRoomImage(castle, 0, roomImage.data(), roomImage.size());
        EXPECT_EQ((std::vector{room(0).object(3, 3).type, room(0).object(4, 3).type, room(0).object(5, 7).type}),
                  (std::vector{kEmpty, kEmpty, kCoveredBase + 4 * 40 + 6})) << whole;
    }
}

}  // namespace
}  // namespace grusk
