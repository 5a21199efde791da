#include "fuzz_support.h"

namespace grusk::fuzz {

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

}  // namespace grusk::fuzz
