// Shared helpers for the game-data tests: a castle built through the editor's
// own operations, the shipped sample program, and programs made from bytes.
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
#include "support/test_support.h"
#include "ui/fake_platform.h"

namespace grusk::test {

using Bytes = std::vector<uint8_t>;

// Recognisable end-room bytes, so that tests can see where they land.
inline Bytes sampleEndRoom() {
    Bytes bytes(kEndRoomSize);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(0xA5 ^ i);
    return bytes;
}

inline Bytes sampleProgram() { return readBytes(sourceDir() + "/examples/sample.prg"); }

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
    void put(int type, int x, int y) { EXPECT_EQ(placeObject(app, type, x, y), 1) << type << " at " << x << "," << y; }
    void link(int sx, int sy, int tx, int ty) {
        app.popupCell = {sx, sy};
        startLinking(app);
        linkObjectAt(app, tx, ty);
    }
    // Room r in use with one door at (0, 0) leading to the room itself.
    void roomWithDoor(int r) {
        useRoom(r);
        enter(r);
        put(kDoor, 0, 0);
        at(0, 0).destRoom = r;
    }
};

// Recounts and renumbers without the whole check, and builds.
inline Bytes buildUnchecked(GameFixture& f) {
    for (int r = 0; r < roomsInUseRun(f.castle()); ++r) recountRoom(f.castle(), r);
    renumberObjects(f.castle());
    auto program = buildCastleProgram(f.castle(), sampleEndRoom());
    EXPECT_TRUE(program.has_value());
    return program ? *program : Bytes{};
}

// A program of one room entry per block of list bytes, each ended by $00 $00.
inline Bytes programOf(const std::vector<Bytes>& rooms) {
    Bytes p(kHeaderSize, 0);
    p[1] = 0x78;
    p[4] = 0x80;
    p[9] = p[10] = 3;
    size_t offset = kHeaderSize + kRoomEntrySize * rooms.size() + 1;
    for (const Bytes& data : rooms) {
        const long a = c64AddressOfOffset(static_cast<long>(offset));
        p.insert(p.end(), {2, 0x18, 0x18, 0x1A, static_cast<uint8_t>(a + 2), static_cast<uint8_t>((a + 2) >> 8),
                           static_cast<uint8_t>(a), static_cast<uint8_t>(a >> 8)});
        offset += data.size() + 2;
    }
    p.push_back(kRoomTableEnd);
    for (const Bytes& data : rooms) {
        p.insert(p.end(), data.begin(), data.end());
        p.insert(p.end(), {0, 0});
    }
    const long endRoom = c64AddressOfOffset(static_cast<long>(p.size()));
    p[97] = static_cast<uint8_t>(endRoom);
    p[98] = static_cast<uint8_t>(endRoom >> 8);
    const Bytes e = sampleEndRoom();
    p.insert(p.end(), e.begin(), e.end());
    return p;
}

}  // namespace grusk::test
