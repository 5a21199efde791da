#include "gamedata/castle_check.h"

#include <array>
#include <cstdio>
#include <string>
#include <vector>

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

namespace {

int check(AppState& app, bool show, const CastleTypes* types) {
    Platform& ui = app.ui;
    CastleModel& castle = app.castle;
    ui.clearLog();
    if (show) ui.showLog();
    int errors = 0;
    int warnings = 0;

    int rooms = 0;
    for (; rooms < kRooms && castle.room(rooms).roomInUse; ++rooms) {
        if (types)
            recountRoom(castle, rooms, types->room(rooms));
        else
            recountRoom(castle, rooms);
    }
    renumberObjects(castle, types);

    // Door counts of destination rooms, taken once per room rather than once
    // per door leading there; a room recounted above has its count ready.
    std::array<int, kRooms> doorCount;
    doorCount.fill(-1);
    auto doorsIn = [&](int room) {
        int& n = doorCount[static_cast<size_t>(room)];
        if (n < 0) n = room < rooms ? castle.room(room).roomObjectCount[kDoor] : countObjects(castle, room, kDoor);
        return n;
    };

    // One pass over every record finds the cells both parts of the report
    // need (a record is 344 bytes: each pass loads a cache line per cell);
    // the lines are then written in the report's order.
    std::vector<int16_t> cells;          // per room: doors, or every object of a room not in use
    std::vector<int16_t> unlinkedCells;  // per room: marked unlinked
    std::array<size_t, kRooms + 1> cellsStart{};
    std::array<size_t, kRooms + 1> unlinkedStart{};
    for (int r = 0; r < kRooms; ++r) {
        const Room& room = castle.room(r);
        cellsStart[static_cast<size_t>(r)] = cells.size();
        unlinkedStart[static_cast<size_t>(r)] = unlinkedCells.size();
        for (int i = 0; i < kCellsPerRoom; ++i) {
            const size_t at = static_cast<size_t>(i);
            const int32_t type = types ? types->room(r).object[at] : room.objectLayer[at].type;
            const int32_t mark = types ? types->room(r).mark[at] : room.objectLayer[at].mark;
            if (type == kDoor || (type != kEmpty && !room.roomInUse)) cells.push_back(static_cast<int16_t>(i));
            if (mark == kMarkUnlinked) unlinkedCells.push_back(static_cast<int16_t>(i));
        }
    }
    cellsStart[kRooms] = cells.size();
    unlinkedStart[kRooms] = unlinkedCells.size();

    for (int r = 0; r < kRooms; ++r) {
        const Room& room = castle.room(r);
        for (size_t k = cellsStart[static_cast<size_t>(r)]; k < cellsStart[static_cast<size_t>(r) + 1]; ++k) {
            const CellRecord& rec = room.objectLayer[static_cast<size_t>(cells[k])];
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
            const int doors = doorsIn(rec.destRoom);
            if (rec.destDoor > doors - 1)
                ui.addLogLine("Error #" + num(++errors) + ": Door " + num(rec.ordinal + 1LL) + " in Room " +
                              num(r + 1) + " has an invalid connection to Door " + num(rec.destDoor + 1LL) +
                              " in Room " + num(dest + 1) + ".");
        }
    }

    if (rooms == 0)
        ui.addLogLine("Error #" + num(++errors) +
                      ": No Rooms defined. Use the [Mapper] to define at least one room.");

    for (int r = 0; r < kRooms; ++r) {
        const Room& room = castle.room(r);
        if (room.roomInUse && room.roomObjectCount[kDoor] == 0)
            ui.addLogLine("Error #" + num(++errors) + ": There is no Door in Room " + num(r + 1));
        for (size_t k = unlinkedStart[static_cast<size_t>(r)]; k < unlinkedStart[static_cast<size_t>(r) + 1]; ++k) {
            const int i = unlinkedCells[k];
            const CellRecord& rec = room.objectLayer[static_cast<size_t>(i)];
            ui.addLogLine("Error #" + num(++errors) + ": Unlinked " + std::string(objectTypeName(rec.type)) +
                          " in Room " + num(r + 1) + "; Position: X: " + twoDigits(i % kColumns) +
                          " Y: " + twoDigits(i / kColumns));
        }
    }

    if (errors == 0 && show) ui.addLogLine("No errors found.");
    return errors;
}

}  // namespace

int checkCastle(AppState& app, bool show) { return check(app, show, nullptr); }

int checkCastle(AppState& app, bool show, const CastleTypes& types) { return check(app, show, &types); }

}  // namespace grusk
