// The castle program reader: rebuilds the editor's castle from a castle
// program, placing every object through the editor's own placement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/app_state.h"

namespace grusk {

const FileFilter kCastleProgramOpenFilter{"PRG Files", "z*.prg"};

// At most this much of a file is read: the length word of a castle program
// cannot count more, and the reader's work grows with the size it reads.
inline constexpr size_t kMaxProgramFileRead = 1u << 16;

// "Load Castle...": empties the log, asks for the file and reads it.
// Returns 1 when a file was read, 0 when cancelled or it could not be opened.
int readCastleProgram(AppState& app);

// Reads the castle program at path (what "Load Castle..." does after its
// dialog). When it cannot be opened: "Couldn't open %s" in the log, the castle
// unchanged, result 0. Otherwise the castle is replaced and titled with the path.
int readCastleProgramFrom(AppState& app, const std::string& path);

// How the rooms are read. Quick recounts a room once at its end wherever that
// gives the same room as recounting after every placement (Careful), which is
// kept to check exactly that.
enum class RoomReading { Quick, Careful };

// Clears the castle and reads a castle program held in memory. Any bytes are
// accepted: a damaged program gives a partly read castle.
void readCastleProgramBytes(AppState& app, const uint8_t* data, size_t size,
                            RoomReading reading = RoomReading::Quick);

// readCastleProgramBytes over a castle whose records the caller has already
// cleared (in every room, as clearing the castle leaves them), which saves
// rewriting all 64 rooms when only a few were used.
void readCastleProgramIntoClearedCastle(AppState& app, const uint8_t* data, size_t size,
                                        RoomReading reading = RoomReading::Quick);

// Reads the object lists of one room, starting at the file offset, into the
// room (made the current room). Stops at a $00 $00 tag or the end of the data.
void readRoomLists(AppState& app, int room, const uint8_t* data, size_t size, long long offset);

}  // namespace grusk
