// Shared helpers for the game-data tests: a castle built through the editor's
// own operations, and a sample castle that uses every object type.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/castle_program_commands.h"
#include "app/door_links.h"
#include "app/object_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "gamedata/castle_check.h"
#include "gamedata/compiler.h"
#include "gamedata/program_layout.h"
#include "ui/fake_platform.h"

namespace grusk::test {

// Recognisable end-room bytes, so that tests can see where they land.
inline std::vector<uint8_t> sampleEndRoom() {
    std::vector<uint8_t> bytes(kEndRoomSize);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(0xA5 ^ i);
    return bytes;
}

struct GameFixture {
    FakePlatform ui;
    AppState app{ui};

    GameFixture() { clearCastle(app); }

    CastleModel& castle() { return app.castle; }
    Room& room(int r) { return app.castle.room(r); }
    CellRecord& at(int x, int y) { return app.castle.current().object(x, y); }

    void useRoom(int r, MapRect rect = {0, 0, 48, 48}) {
        room(r).roomInUse = 1;
        room(r).roomMapRect = rect;
    }
    void enter(int r) { selectRoom(app, r); }

    void put(int type, int x, int y) {
        EXPECT_EQ(placeObject(app, type, x, y), 1) << "placing type " << type << " at " << x << "," << y;
    }
    void walkway(int x0, int x1, int y) {
        for (int x = x0; x <= x1; ++x) put(kWalkway, x, y);
    }
    void column(int type, int x, int y0, int y1) {
        for (int y = y0; y <= y1; ++y) put(type, x, y);
    }
    void link(int sx, int sy, int tx, int ty) {
        app.popupCell = {sx, sy};
        startLinking(app);
        linkObjectAt(app, tx, ty);
    }
    void connect(int roomA, int ax, int ay, int roomB, int bx, int by) {
        enter(roomA);
        app.popupCell = {ax, ay};
        startConnecting(app);
        enter(roomB);
        connectDoorAt(app, bx, by);
    }

    // Check (recount and renumber), then build with the sample end room.
    std::vector<uint8_t> build() {
        EXPECT_EQ(checkCastle(app, false), 0) << logText();
        std::vector<std::string> errors;
        auto program = buildCastleProgram(app.castle, sampleEndRoom(), &errors);
        EXPECT_TRUE(program.has_value());
        return program ? *program : std::vector<uint8_t>{};
    }

    std::string logText() const {
        std::string all;
        for (const std::string& line : ui.log) all += line + "\n";
        return all;
    }

};

inline int word(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

// The data of room r of a castle program, from the address in its room entry
// up to its $00 $00.
inline std::vector<uint8_t> roomData(const std::vector<uint8_t>& program, int r) {
    const size_t start = static_cast<size_t>(offsetOfC64Address(word(program, 258 + 8 * r + 6)));
    const size_t next = r + 1 < 64 && program[258 + 8 * (r + 1)] != 0xFF
                            ? static_cast<size_t>(offsetOfC64Address(word(program, 258 + 8 * (r + 1) + 6)))
                            : static_cast<size_t>(offsetOfC64Address(word(program, 97)));
    if (next < start || next > program.size()) return {};
    return std::vector<uint8_t>(program.begin() + static_cast<long>(start), program.begin() + static_cast<long>(next));
}

// Prepares a recounted, renumbered castle without running the whole check, and builds it.
inline std::vector<uint8_t> buildUnchecked(GameFixture& f) {
    for (int r = 0; r < roomsInUseRun(f.castle()); ++r) recountRoom(f.castle(), r);
    renumberObjects(f.castle());
    auto program = buildCastleProgram(f.castle(), sampleEndRoom());
    EXPECT_TRUE(program.has_value());
    return program ? *program : std::vector<uint8_t>{};
}

// Two rooms that together hold every object type the palette offers, with
// links of every kind, connected doors, states off their defaults and texts.
inline void buildEveryTypeCastle(GameFixture& f) {
    f.useRoom(0, {32, 48, 80, 80});
    f.useRoom(1, {96, 48, 160, 112});
    f.room(0).roomColour = 6;
    f.room(1).roomColour = 11;

    f.enter(0);
    f.put(kDoor, 0, 0);
    f.put(kDoor, 10, 0);
    f.walkway(0, 9, 10);
    f.walkway(12, 39, 10);
    f.walkway(5, 15, 20);
    f.column(kLadder, 3, 5, 10);
    f.column(kSlidingPole, 20, 3, 10);
    f.put(kDoorBell, 5, 3);
    f.link(5, 3, 10, 0);
    f.link(5, 3, 0, 0);
    f.put(kLightningSuspension, 15, 3);
    f.put(kLightningSuspension, 15, 4);
    f.put(kLightningMachine, 14, 5);
    f.put(kLightningSuspension, 31, 11);
    f.put(kLightningMachine, 30, 12);
    toggleObjectState(f.app, 30, 12);  // off
    f.put(kLightningSwitch, 18, 3);
    toggleObjectState(f.app, 18, 3);  // off, before it has links
    f.link(18, 3, 30, 12);
    f.link(18, 3, 14, 5);
    f.put(kForceFieldSwitch, 22, 0);
    f.put(kForceField, 24, 0);
    f.link(24, 0, 22, 0);
    f.put(kMummySwitch, 26, 0);
    f.put(kMummy, 28, 0);
    f.link(28, 0, 26, 0);
    f.put(kKey, 0, 12);
    f.app.popupCell = {0, 12};
    setObjectColour(f.app, kCmdColourWhite + 2);  // cyan
    f.put(kLock, 3, 12);
    f.app.popupCell = {3, 12};
    setObjectColour(f.app, kCmdColourWhite + 4);  // green
    f.link(3, 12, 0, 0);
    f.column(kGunRailLeft, 7, 12, 18);
    f.put(kGunLeft, 8, 14);
    f.put(kGunControl, 5, 14);
    f.link(5, 14, 8, 14);
    f.column(kGunRailRight, 13, 15, 19);
    f.put(kGunRight, 11, 16);
    f.put(kGunControl, 6, 17);
    f.link(6, 17, 11, 16);
    f.put(kTransmitter, 0, 16);
    f.put(kTransmitterTarget, 3, 17);
    f.put(kTransmitterTarget, 3, 19);
    f.link(0, 16, 3, 19);
    f.link(0, 16, 3, 17);
    f.put(kTrap, 20, 13);
    f.put(kTrapSwitch, 23, 13);
    f.link(20, 13, 23, 13);
    toggleObjectState(f.app, 20, 13);  // closed
    f.put(kConveyor, 28, 18);
    f.put(kConveyorSwitch, 37, 17);
    f.link(37, 17, 28, 18);
    toggleObjectState(f.app, 37, 17);  // runs left
    f.put(kFrankenstein, 34, 12);
    toggleObjectState(f.app, 34, 12);  // faces right
    f.put(kText, 20, 22);
    setRecordText(f.at(20, 22), "hello");
    f.at(20, 22).colour = 4;
    f.app.popupCell = {20, 22};
    toggleDoubleHeight(f.app);
    f.put(kCamouflage, 38, 23);
    f.put(kCamouflage, 10, 22);
    shapeWalkways(f.app);

    f.enter(1);
    f.put(kDoor, 0, 0);
    f.put(kDoor, 20, 0);
    f.app.popupCell = {0, 0};
    setDoorType(f.app, true);
    f.walkway(0, 39, 5);
    f.put(kText, 4, 8);
    setRecordText(f.at(4, 8), "A,B");
    shapeWalkways(f.app);

    f.connect(0, 0, 0, 1, 20, 0);
    f.connect(0, 10, 0, 1, 0, 0);
    CellRecord& a = f.room(0).object(0, 0);
    a.direction = 3;
    a.mapX = 0;
    a.mapY = 8;
    CellRecord& d = f.room(1).object(20, 0);
    d.direction = 1;
    d.mapX = 12;
    d.mapY = 16;

    CastleSettings& s = f.castle().settings;
    s.playerStartRoom[0] = 1;
    s.playerStartDoor[0] = 1;
    s.playerStartRoom[1] = 0;
    s.playerStartDoor[1] = 0;
    s.playerLives[0] = 5;
    s.playerLives[1] = 4;
    f.enter(0);
    f.ui.clearRecords();
}

}  // namespace grusk::test
