#include "fuzz_support.h"

#include <optional>
#include <string>

#include "app/castle_program_commands.h"
#include "editor/catalogue.h"
#include "editor/draw/map_renderer.h"
#include "editor/draw/palette.h"
#include "editor/draw/room_renderer.h"
#include "gamedata/castle_check.h"
#include "gamedata/compiler.h"

namespace grusk::fuzz {

namespace {

// The key colour the renderer leaves out when it copies picture i.
Rgb keyOf(int i) {
    if (i >= kWalkway && i <= kWalkwaySlideM) return kTransparentKey;
    if (i >= kPicGlyphA && i <= kPicGlyphDash) return kGlyphKey;
    if (i == kCamouflage) return kKeyWhite;
    if (i == kDoorBell || i == kTrap || i == kConveyor) return kTransparentKey;
    return kKeyBlack;
}

RasterImage makePicture(int w, int h, Rgb ink, Rgb key) {
    RasterImage img(w, h, ink);
    img.frameRect(0, 0, w, h, key);
    return img;
}

PictureSet makePictures() {
    PictureSet set;
    for (int i = 0; i < kObjectTypes; ++i) {
        const Size s = pictureSize(i);
        if (s.width <= 0 || s.height <= 0) continue;
        set.setPicture(i, makePicture(s.width, s.height, Rgb{uint8_t(i), uint8_t(255 - i), 77}, keyOf(i)));
    }
    const Size door = pictureSize(kDoor);
    for (int k = 0; k < kDoorPictureCount; ++k)
        set.setDoorPicture(k, makePicture(door.width, door.height, Rgb{uint8_t(200 + k), 30, 30}, kKeyBlack));
    set.setMarkers(makePicture(640, 48, Rgb{40, 200, 40}, kKeyBlack));
    return set;
}

}  // namespace

FuzzWorld::FuzzWorld() : cleanRoom(std::make_unique<Room>()) {
    clearCastle(app);
    *cleanRoom = app.castle.room(0);
}

void FuzzWorld::reset(int rooms) {
    CastleModel& castle = app.castle;
    for (int r = 0; r < rooms && r < kRooms; ++r) castle.room(r) = *cleanRoom;
    for (Room& room : castle.rooms) {
        room.roomMapRect = {};
        room.roomColour = 2;
        room.roomInUse = 0;
    }
    castle.settings = CastleSettings{};
    castle.currentRoom = 0;
    ui.clearRecords();
}

FuzzWorld& world() {
    static FuzzWorld* w = new FuzzWorld();  // lives for the whole run
    return *w;
}

const PictureSet& pictures() {
    static const PictureSet* set = new PictureSet(makePictures());
    return *set;
}

const std::vector<uint8_t>& endRoom() {
    static const std::vector<uint8_t>* bytes = [] {
        auto* b = new std::vector<uint8_t>(545);
        for (size_t i = 0; i < b->size(); ++i) (*b)[i] = static_cast<uint8_t>(i * 7 + 3);
        return b;
    }();
    return *bytes;
}

std::vector<uint8_t> checkBuildDraw(int drawRooms) {
    FuzzWorld& w = world();
    checkCastle(w.app, false);
    std::vector<std::string> errors;
    std::optional<std::vector<uint8_t>> program = buildCastleProgram(w.app.castle, endRoom(), &errors);
    for (int r = 0; r < drawRooms && r < kRooms; ++r) {
        w.app.castle.currentRoom = r;
        drawRoom(w.canvas, w.app.castle, pictures());
    }
    w.app.castle.currentRoom = 0;
    // The castle map draws every room in use from its rectangle and doors.
    MapPaintState state;
    state.hoveredDoor = CellPos{0, 0};
    paintMap(w.map, w.app.castle, pictures(), state);
    for (int p = 0; p < 8; ++p) {
        findRoomAt(w.app.castle, p * 90, p * 55);
        findRoomCornerAt(w.app.castle, p * 90 + 15, p * 55 + 15);
    }
    return program ? std::move(*program) : std::vector<uint8_t>{};
}

}  // namespace grusk::fuzz
