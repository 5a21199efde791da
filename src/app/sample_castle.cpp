#include "app/sample_castle.h"

#include "app/castle_builder.h"

#include "app/castle_program_commands.h"
#include "app/door_links.h"
#include "app/object_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "gamedata/castle_check.h"
#include "gamedata/compiler.h"

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

// The hall, laboratory, crypt and armoury with their colours and map places.
class Builder : public CastleBuilder {
public:
    using CastleBuilder::CastleBuilder;
    void room(int r) { CastleBuilder::room(r, kRoomColours[r], kRoomRects[r]); }
};

// Room 1, the hall: both players start here. A bell and a yellow lock keep
// the doors; the yellow key lies downstairs, below a ladder.
void buildHall(Builder& b) {
    b.room(0);
    b.floor(10);
    b.floor(24);
    b.door(2, 7, Builder::kLeft, 24);     // door 1: player 1 starts here
    b.door(35, 7, Builder::kRight, 24);   // door 2: to the laboratory, player 2 starts here
    b.door(10, 21, Builder::kBottom, 40); // door 3: down to the crypt
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
    b.door(2, 9, Builder::kLeft, 32);
    b.door(35, 21, Builder::kRight, 56);  // back to the hall's first door
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
    b.door(2, 21, Builder::kTop, 40);
    b.door(35, 21, Builder::kRight, 48);
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
    b.door(2, 21, Builder::kLeft, 40);
    b.door(35, 9, Builder::kRight, 16);  // the exit
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
