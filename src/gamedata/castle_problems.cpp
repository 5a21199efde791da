#include "gamedata/castle_problems.h"

#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "editor/catalogue.h"

namespace grusk {

namespace {

// Numbers in the lines may come from damaged files; print them in full.
std::string num(long long v) { return std::to_string(v); }

std::string twoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

// The anchor of the object holding a cell: the cell itself for an anchor, the
// cell a covered marker names otherwise; false when there is none.
bool anchorOf(int type, int x, int y, int* ax, int* ay) {
    if (isObjectType(type)) {
        *ax = x;
        *ay = y;
        return true;
    }
    if (!isCoveredMarker(type)) return false;
    const int v = type - kCoveredBase;
    if (v / kRows >= kColumns) return false;  // the marker is column * 40 + row
    *ax = v / kColumns;
    *ay = v % kColumns;
    return isInsideRoom(*ax, *ay);
}

constexpr int kNoDoor = INT_MIN;
// A room's doors by number (+128), giving the ordinal each will have after
// renumbering; the last door in scan order with a number wins, as there.
using DoorNumbers = std::array<int, 256>;

}  // namespace

std::vector<CastleProblem> findCastleProblems(const CastleModel& castle, const RoomTypes* const* types) {
    std::vector<CastleProblem> problems;
    int errors = 0;
    int warnings = 0;
    // The check recounts and renumbers the leading run of rooms in use; for
    // those rooms door ordinals and counts are taken fresh here, for the
    // others from the records, as the check would find them.
    const int run = roomsInUseRun(castle);

    // One pass over every record gathers what both parts of the report need
    // (a record is 344 bytes: each pass loads a cache line per cell).
    std::vector<int16_t> cells;          // per room: doors, or every object of a room not in use
    std::vector<int16_t> unlinkedCells;  // per room: marked unlinked
    std::array<size_t, kRooms + 1> cellsStart{};
    std::array<size_t, kRooms + 1> unlinkedStart{};
    std::array<int, kRooms> doorCount{};
    for (int r = 0; r < kRooms; ++r) {
        const Room& room = castle.room(r);
        cellsStart[static_cast<size_t>(r)] = cells.size();
        unlinkedStart[static_cast<size_t>(r)] = unlinkedCells.size();
        int doors = 0;
        for (int i = 0; i < kCellsPerRoom; ++i) {
            const size_t at = static_cast<size_t>(i);
            const int32_t type = types ? types[r]->object[at] : room.objectLayer()[at].type;
            const int32_t mark = types ? types[r]->mark[at] : room.objectLayer()[at].mark;
            doors += type == kDoor ? 1 : 0;
            if (type == kDoor || (type != kEmpty && !room.roomInUse)) cells.push_back(static_cast<int16_t>(i));
            if (mark == kMarkUnlinked) unlinkedCells.push_back(static_cast<int16_t>(i));
        }
        doorCount[static_cast<size_t>(r)] = doors;
    }
    cellsStart[kRooms] = cells.size();
    unlinkedStart[kRooms] = unlinkedCells.size();

    std::vector<DoorNumbers> tables;
    std::array<int, kRooms> tableOf;
    tableOf.fill(-1);
    auto numbersOf = [&](int r) -> const DoorNumbers& {
        int& t = tableOf[static_cast<size_t>(r)];
        if (t < 0) {
            t = static_cast<int>(tables.size());
            DoorNumbers& table = tables.emplace_back();
            table.fill(kNoDoor);
            const Room& room = castle.room(r);
            int ordinal = 0;
            for (size_t k = cellsStart[static_cast<size_t>(r)]; k < cellsStart[static_cast<size_t>(r) + 1]; ++k) {
                const CellRecord& e = room.objectLayer()[static_cast<size_t>(cells[k])];
                if (e.type != kDoor) continue;
                table[static_cast<size_t>(e.number + 128)] = r < run ? ordinal : e.ordinal;
                ++ordinal;
            }
        }
        return tables[static_cast<size_t>(t)];
    };

    for (int r = 0; r < kRooms; ++r) {
        const Room& room = castle.room(r);
        int doorsSeen = 0;
        for (size_t k = cellsStart[static_cast<size_t>(r)]; k < cellsStart[static_cast<size_t>(r) + 1]; ++k) {
            const int i = cells[k];
            const int x = i % kColumns, y = i / kColumns;
            const CellRecord& rec = room.objectLayer()[static_cast<size_t>(i)];
            if (rec.type != kEmpty && !room.roomInUse) {
                CastleProblem p;
                p.kind = ProblemKind::ObjectsInRoomNotInUse;
                p.warning = true;
                p.message = "Warning #" + num(++warnings) + ": Room " + num(r + 1) + " has objects, but is not defined!";
                p.room = r;
                p.x = x;
                p.y = y;
                int ax = 0, ay = 0;
                if (anchorOf(rec.type, x, y, &ax, &ay)) {
                    p.objectType = room.object(ax, ay).type;
                    if (!isObjectType(p.objectType)) p.objectType = -1;
                    p.objectX = ax;
                    p.objectY = ay;
                }
                problems.push_back(std::move(p));
            }
            if (rec.type != kDoor) continue;
            const long long ordinal = r < run ? doorsSeen : rec.ordinal;
            ++doorsSeen;
            CastleProblem p;
            p.room = r;
            p.x = p.objectX = x;
            p.y = p.objectY = y;
            p.objectType = kDoor;
            const long long dest = rec.destRoom;
            // A destination outside the 64 rooms is never looked up.
            if (!isValidRoom(rec.destRoom) || !castle.room(rec.destRoom).roomInUse) {
                p.kind = ProblemKind::DoorToRoomNotInUse;
                p.message = "Error #" + num(++errors) + ": Door " + num(ordinal + 1) + " in Room " + num(r + 1) +
                            " has an invalid connection to Room " + num(dest + 1) + ".";
                problems.push_back(std::move(p));
                continue;
            }
            // Renumbering turns a destination door's number into its ordinal,
            // for the doors of the rooms it renumbers.
            long long destDoor = rec.destDoor;
            if (r < run && rec.destDoor >= -128 && rec.destDoor <= 127) {
                const int found = numbersOf(rec.destRoom)[static_cast<size_t>(rec.destDoor + 128)];
                if (found != kNoDoor) destDoor = found;
            }
            const int doors = doorCount[static_cast<size_t>(rec.destRoom)];
            if (destDoor > doors - 1) {
                p.kind = ProblemKind::DoorToMissingDoor;
                p.message = "Error #" + num(++errors) + ": Door " + num(ordinal + 1) + " in Room " + num(r + 1) +
                            " has an invalid connection to Door " + num(destDoor + 1) + " in Room " + num(dest + 1) +
                            ".";
                problems.push_back(std::move(p));
            }
        }
    }

    if (run == 0) {
        CastleProblem p;
        p.kind = ProblemKind::NoRooms;
        p.message = "Error #" + num(++errors) + ": No Rooms defined. Use the [Mapper] to define at least one room.";
        problems.push_back(std::move(p));
    }

    for (int r = 0; r < kRooms; ++r) {
        const Room& room = castle.room(r);
        const int doors = r < run ? doorCount[static_cast<size_t>(r)] : room.roomObjectCount[kDoor];
        if (room.roomInUse && doors == 0) {
            CastleProblem p;
            p.kind = ProblemKind::RoomWithoutDoor;
            p.message = "Error #" + num(++errors) + ": There is no Door in Room " + num(r + 1);
            p.room = r;
            problems.push_back(std::move(p));
        }
        for (size_t k = unlinkedStart[static_cast<size_t>(r)]; k < unlinkedStart[static_cast<size_t>(r) + 1]; ++k) {
            const int i = unlinkedCells[k];
            const int x = i % kColumns, y = i / kColumns;
            const CellRecord& rec = room.objectLayer()[static_cast<size_t>(i)];
            CastleProblem p;
            p.kind = ProblemKind::Unlinked;
            p.message = "Error #" + num(++errors) + ": Unlinked " + std::string(objectTypeName(rec.type)) + " in Room " +
                        num(r + 1) + "; Position: X: " + twoDigits(x) + " Y: " + twoDigits(y);
            p.room = r;
            p.x = x;
            p.y = y;
            int ax = 0, ay = 0;
            if (anchorOf(rec.type, x, y, &ax, &ay) && isObjectType(room.object(ax, ay).type)) {
                p.objectType = room.object(ax, ay).type;
                p.objectX = ax;
                p.objectY = ay;
            }
            problems.push_back(std::move(p));
        }
    }
    return problems;
}

int countErrors(const std::vector<CastleProblem>& problems) {
    int n = 0;
    for (const CastleProblem& p : problems) n += p.warning ? 0 : 1;
    return n;
}

}  // namespace grusk
