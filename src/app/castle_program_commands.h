// The castle program commands: "Check for Errors", "Load Castle..." and
// "Save Castle..." (and the quiet build the disk commands use), with their
// dialogs, log lines and messages around the game-data readers and writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "gamedata/castle_reader.h"
#include "gamedata/compiler.h"

namespace grusk {

const FileFilter kCastleProgramOpenFilter{"PRG Files", "z*.prg"};

// Lists the check's findings in the log window, numbered, and returns the
// number of errors (warnings are not counted). show opens the log window and
// adds "No errors found." when there are none. Leaves the rooms in use
// recounted and the castle renumbered.
int checkCastle(AppState& app, bool show);
// The same with the castle's types gathered beforehand (they must be current).
int checkCastle(AppState& app, bool show, const CastleTypes& types);

// "Load Castle...": empties the log, asks for the file and reads it.
// Returns 1 when a file was read, 0 when cancelled or it could not be opened.
int readCastleProgram(AppState& app);

// Reads the castle program at path (what "Load Castle..." does after its
// dialog). When it cannot be opened: "Couldn't open %s" in the log, the castle
// unchanged, result 0. Otherwise the castle is replaced and titled with the path.
int readCastleProgramFrom(AppState& app, const std::string& path);

// Clears the castle and reads a castle program held in memory, then shows
// room 0 of the castle read.
void readCastleProgramBytes(AppState& app, const uint8_t* data, size_t size,
                            RoomReading reading = RoomReading::Quick);

// The first 545 bytes of resource/endroom.bin, or nullopt when it is missing or short.
std::optional<std::vector<uint8_t>> readEndRoom(const AppState& app);

enum class CompileOutcome {
    Written,         // the program is in place
    CastleErrors,    // the error check found errors; they are in the log
    Cancelled,       // save dialog cancelled or overwrite declined
    EndRoomMissing,  // "endroom data missing" was shown
    BuildRefused,    // too large or too many doors; the reason is in the log
    CannotOpen,      // no file could be created beside the target ("Could not open %s" in the log)
    CannotWrite,     // writing or the final rename failed ("File cannot be written!" shown)
};

// The build after the target is known: caption, rooms shown one by one, the
// program written beside the target and renamed over it, the messages.
// interactive adds the success message. Does not run the check.
CompileOutcome writeCastleProgramTo(AppState& app, const std::string& target, bool interactive,
                                   const CastleTypes* types = nullptr);

// "Save Castle..." (interactive) or the quiet build of resource/ztest00.prg.
// Returns 1 when the build went through to the end (also when the final
// write failed), 0 on castle errors, cancel, declined overwrite or a refused build.
int compileCastle(AppState& app, bool interactive);

}  // namespace grusk
