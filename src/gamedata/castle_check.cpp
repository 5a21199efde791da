#include "gamedata/castle_check.h"

#include <cstdio>
#include <string>

#include "editor/catalogue.h"
#include "gamedata/compiler.h"

namespace grusk {

namespace {

// Numbers in the lines may come from damaged files; print them in full.
std::string num(long long v) { return std::to_string(v); }

std::string twoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

}  // namespace

int checkCastle(AppState& app, bool show) {
    Platform& ui = app.ui;
    CastleModel& castle = app.castle;
    ui.clearLog();
    if (show) ui.showLog();
    int errors = 0;
    int warnings = 0;

    int rooms = 0;
    while (rooms < kRooms && castle.room(rooms).roomInUse) recountRoom(castle, rooms++);
    renumberObjects(castle);

    for (int r = 0; r < kRooms; ++r) {
        const Room& room = castle.room(r);
        for (int y = 0; y < kRows; ++y) {
            for (int x = 0; x < kColumns; ++x) {
                const CellRecord& rec = room.object(x, y);
                if (rec.type != kEmpty && !room.roomInUse)
                    ui.addLogLine("Warning #" + num(++warnings) + ": Room " + num(r + 1) +
                                  " has objects, but is not defined!");
                if (rec.type != kDoor) continue;
                const long long dest = rec.destRoom;
                // A destination outside the 64 rooms is never looked up.
                if (!isValidRoom(rec.destRoom) || !castle.room(rec.destRoom).roomInUse) {
                    ui.addLogLine("Error #" + num(++errors) + ": Door " + num(rec.ordinal + 1LL) + " in Room " +
                                  num(r + 1) + " has an invalid connection to Room " + num(dest + 1) + ".");
                    continue;
                }
                const int doors = countObjects(castle, rec.destRoom, kDoor);
                if (rec.destDoor > doors - 1)
                    ui.addLogLine("Error #" + num(++errors) + ": Door " + num(rec.ordinal + 1LL) + " in Room " +
                                  num(r + 1) + " has an invalid connection to Door " + num(rec.destDoor + 1LL) +
                                  " in Room " + num(dest + 1) + ".");
            }
        }
    }

    if (rooms == 0)
        ui.addLogLine("Error #" + num(++errors) +
                      ": No Rooms defined. Use the [Mapper] to define at least one room.");

    for (int r = 0; r < kRooms; ++r) {
        const Room& room = castle.room(r);
        if (room.roomInUse && room.roomObjectCount[kDoor] == 0)
            ui.addLogLine("Error #" + num(++errors) + ": There is no Door in Room " + num(r + 1));
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kColumns; ++x) {
                const CellRecord& rec = room.object(x, y);
                if (rec.mark != kMarkUnlinked) continue;
                ui.addLogLine("Error #" + num(++errors) + ": Unlinked " + std::string(objectTypeName(rec.type)) +
                              " in Room " + num(r + 1) + "; Position: X: " + twoDigits(x) + " Y: " + twoDigits(y));
            }
    }

    if (errors == 0 && show) ui.addLogLine("No errors found.");
    return errors;
}

}  // namespace grusk
