#include "app/sample_castle.h"

#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "gamedata/castle_check.h"
#include "gamedata/compiler.h"
#include "gamedata/door_links.h"

namespace grusk {

namespace {

// Map layout: four rooms of 96 x 80 map pixels in a square.
constexpr MapRect kRoomRects[4] = {
    {160, 96, 256, 176},   // 1: hall
    {256, 96, 352, 176},   // 2: laboratory
    {160, 176, 256, 256},  // 3: crypt
    {256, 176, 352, 256},  // 4: armoury
};
constexpr int kRoomColours[4] = {2, 6, 9, 11};  // red, blue, dark red, dark grey

constexpr int kCmdColourCyan = 1286;
constexpr int kCmdColourGreen = 1288;

enum Side { kTop = 0, kRight = 1, kBottom = 2, kLeft = 3 };

class Builder {
public:
    explicit Builder(AppState& app) : app_(app) {}

    void room(int r) {
        selectRoom(app_, r);
        Room& room = app_.castle.room(r);
        room.roomInUse = 1;
        room.roomColour = kRoomColours[r];
        room.roomMapRect = kRoomRects[r];
    }
    void put(int type, int x, int y) { placeObject(app_, type, x, y, -1); }
    void floor(int row, int from = 0, int to = kColumns - 1) {
        for (int x = from; x <= to; ++x) put(kWalkway, x, row);
    }
    void column(int type, int x, int top, int bottom) {
        for (int y = top; y <= bottom; ++y) put(type, x, y);
    }
    // A door with its marker on the given side of the room's map rectangle,
    // at offset (in map pixels) along that side.
    void door(int x, int y, Side side, int along) {
        put(kDoor, x, y);
        CellRecord& d = app_.castle.current().object(x, y);
        const MapRect& rect = app_.castle.current().roomMapRect;
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        int rx = along, ry = along;
        switch (side) {
            case kTop: ry = 0; break;
            case kBottom: ry = height - 8; break;
            case kLeft: rx = 0; break;
            case kRight: rx = width - 8; break;
        }
        d.direction = side;
        d.mapX = rx / 4;
        d.mapY = ry / 2;
    }
    void link(int sx, int sy, int tx, int ty) {
        app_.popupCell = {sx, sy};
        startLinking(app_);
        linkObjectAt(app_, tx, ty);
    }
    void colour(int x, int y, int commandId) {
        app_.popupCell = {x, y};
        setObjectColour(app_, commandId);
    }
    void text(int x, int y, const std::string& words, int commandId, bool doubleHeight) {
        put(kText, x, y);
        setRecordText(app_.castle.current().object(x, y), words);
        colour(x, y, commandId);
        if (doubleHeight) toggleDoubleHeight(app_);
    }
    // Connects the door at (x1, y1) of room r1 with the door at (x2, y2) of room r2.
    void connect(int r1, int x1, int y1, int r2, int x2, int y2) {
        selectRoom(app_, r1);
        app_.popupCell = {x1, y1};
        startConnecting(app_);
        selectRoom(app_, r2);
        connectDoorAt(app_, x2, y2);
    }
    void startDoor(int player, int r, int x, int y) {
        selectRoom(app_, r);
        app_.popupCell = {x, y};
        setPlayerStart(app_, player);
    }
    void exitDoor(int r, int x, int y) {
        selectRoom(app_, r);
        app_.popupCell = {x, y};
        setDoorType(app_, true);
    }
    void finishRoom() { shapeWalkways(app_); }

private:
    AppState& app_;
};

// Room 1, the hall: both players start here. A bell and a yellow lock keep
// the doors; the yellow key lies downstairs, below a ladder.
void buildHall(Builder& b) {
    b.room(0);
    b.floor(10);
    b.floor(24);
    b.door(2, 7, kLeft, 24);     // door 1: player 1 starts here
    b.door(35, 7, kRight, 24);   // door 2: to the laboratory, player 2 starts here
    b.door(10, 21, kBottom, 40); // door 3: down to the crypt
    b.put(kDoorBell, 6, 8);
    b.link(6, 8, 2, 7);
    b.put(kLock, 31, 8);
    b.colour(31, 8, kCmdColourYellow);
    b.link(31, 8, 35, 7);
    b.put(kKey, 30, 23);
    b.colour(30, 23, kCmdColourYellow);
    b.column(kLadder, 20, 10, 23);
    b.put(kFrankenstein, 25, 21);
    b.put(kCamouflage, 14, 10);
    b.text(9, 2, "WELCOME", kCmdColourYellow, true);
    b.finishRoom();
}

// Room 2, the laboratory, with a second way back to the hall: a lightning
// machine with its switch, a conveyor with its switch, a force field with its
// switch and a sliding pole.
void buildLaboratory(Builder& b) {
    b.room(1);
    b.floor(12);
    b.floor(24);
    b.door(2, 9, kLeft, 32);
    b.door(35, 21, kRight, 56);  // back to the hall's first door
    b.column(kLightningSuspension, 21, 0, 3);
    b.put(kLightningMachine, 20, 4);
    b.put(kLightningSwitch, 12, 10);
    b.link(12, 10, 20, 4);
    b.put(kForceField, 30, 8);
    b.put(kForceFieldSwitch, 34, 10);
    b.link(30, 8, 34, 10);
    b.column(kSlidingPole, 6, 12, 23);
    b.put(kConveyor, 24, 23);
    b.put(kConveyorSwitch, 14, 22);
    b.link(14, 22, 24, 23);
    b.text(26, 2, "LAB", kCmdColourWhite, false);
    b.finishRoom();
}

// Room 3, the crypt: a mummy and a trap, each with its switch.
void buildCrypt(Builder& b) {
    b.room(2);
    b.floor(12);
    b.floor(24);
    b.door(2, 21, kTop, 40);
    b.door(35, 21, kRight, 48);
    b.put(kMummy, 26, 21);
    b.put(kMummySwitch, 16, 22);
    b.link(26, 21, 16, 22);
    b.put(kTrap, 20, 12);
    b.put(kTrapSwitch, 10, 10);
    b.link(20, 12, 10, 10);
    b.column(kLadder, 30, 12, 23);
    b.text(12, 2, "CRYPT", kCmdColourCyan, false);
    b.finishRoom();
}

// Room 4, the armoury: two ray guns on their rails with their controls, a
// transmitter with two targets, and the way out.
void buildArmoury(Builder& b) {
    b.room(3);
    b.floor(12);
    b.floor(24);
    b.door(2, 21, kLeft, 40);
    b.door(35, 9, kRight, 16);  // the exit
    b.column(kGunRailLeft, 1, 2, 8);
    b.put(kGunLeft, 2, 5);
    b.column(kGunRailRight, 38, 14, 20);
    b.put(kGunRight, 36, 17);
    b.put(kGunControl, 10, 10);
    b.link(10, 10, 2, 5);
    b.put(kGunControl, 13, 10);
    b.link(13, 10, 36, 17);
    b.put(kTransmitter, 20, 21);
    b.put(kTransmitterTarget, 6, 11);
    b.put(kTransmitterTarget, 28, 11);
    b.link(20, 21, 6, 11);
    b.link(20, 21, 28, 11);
    b.text(14, 2, "WAY OUT", kCmdColourGreen, false);
    b.finishRoom();
}

}  // namespace

void buildSampleCastle(AppState& app) {
    clearCastle(app);
    app.castle.settings = CastleSettings{};
    Builder b(app);
    buildHall(b);
    buildLaboratory(b);
    buildCrypt(b);
    buildArmoury(b);
    b.connect(0, 2, 7, 1, 35, 21);
    b.connect(0, 35, 7, 1, 2, 9);
    b.connect(0, 10, 21, 2, 2, 21);
    b.connect(2, 35, 21, 3, 2, 21);
    b.exitDoor(3, 35, 9);
    b.startDoor(1, 0, 2, 7);
    b.startDoor(2, 0, 35, 7);
    app.castle.settings.playerLives[0] = 3;
    app.castle.settings.playerLives[1] = 3;
    app.mouseMode = kMouseNormal;
    app.popupCell = {};
    selectRoom(app, 0);
}

std::optional<std::vector<uint8_t>> sampleCastleProgram(AppState& app, std::vector<std::string>* errors) {
    buildSampleCastle(app);
    if (checkCastle(app, false) != 0) {
        if (errors) errors->push_back("the sample castle does not pass the check");
        return std::nullopt;
    }
    const auto endRoom = readEndRoom(app);
    if (!endRoom) {
        if (errors) errors->push_back(kEndRoomMissing);
        return std::nullopt;
    }
    auto program = buildCastleProgram(app.castle, *endRoom, errors);
    selectRoom(app, 0);
    return program;
}

}  // namespace grusk
