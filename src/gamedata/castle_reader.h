// The castle program reader: rebuilds the editor's castle from a castle
// program, placing every object through the editor's own placement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/castle_model.h"

namespace grusk {

// At most this much of a file is read: the length word of a castle program
// cannot count more, and the reader's work grows with the size it reads.
inline constexpr size_t kMaxProgramFileRead = 1u << 16;

// How the rooms are read. Quick recounts a room once at its end wherever that
// gives the same room as recounting after every placement (Careful), which is
// kept to check exactly that.
enum class RoomReading { Quick, Careful };

struct ProgramRead {
    int rooms = 0;       // rooms read (in part, when damaged there)
    int damagedAt = -1;  // the room where the program was found damaged, or -1
};

// "Error: castle program damaged at room N." for the log.
std::string programDamageLine(int room);

// Clears the castle and reads a castle program held in memory into it. Any
// bytes are accepted: a damaged program gives a partly read castle, and says
// where. Room 0 is current afterwards.
ProgramRead readCastleProgramBytes(CastleModel& castle, const uint8_t* data, size_t size,
                                   RoomReading reading = RoomReading::Quick);

// readCastleProgramBytes over a castle whose records the caller has already
// cleared (in every room, as clearing the castle leaves them), which saves
// rewriting all 64 rooms when only a few were used.
ProgramRead readCastleProgramIntoClearedCastle(CastleModel& castle, const uint8_t* data, size_t size,
                                               RoomReading reading = RoomReading::Quick);

// Reads the object lists of one room, starting at the file offset, into the
// room (made the current room). Stops at a $00 $00 tag or the end of the data.
void readRoomLists(CastleModel& castle, int room, const uint8_t* data, size_t size, long long offset);

// The first kMaxProgramFileRead bytes of a regular file; nullopt when it cannot be opened.
std::optional<std::vector<uint8_t>> readCastleProgramFile(const std::string& path);

}  // namespace grusk
