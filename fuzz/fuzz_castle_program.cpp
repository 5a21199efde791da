// A castle program into the reader ("Load Castle..."), then the error check,
// the compiler and the drawing of every room read.
#include "app/castle_program_commands.h"
#include "fuzz_support.h"
#include "gamedata/castle_reader.h"
#include "gamedata/program_layout.h"

using namespace grusk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxProgramFileRead) return 0;  // the program never reads more of a file
    auto& w = fuzz::world();
    w.ui.clearRecords();
    // The reader clears the whole castle itself, as "Load Castle..." does.
    readCastleProgramBytes(w.app, data, size);
    int roomsRead = 0;
    while (roomsRead < kRooms && w.app.castle.room(roomsRead).roomInUse) ++roomsRead;
    fuzz::checkBuildDraw(roomsRead);
    // Free what the input made, so that every run ends with as much memory as it began.
    w.ui.clearRecords();
    return 0;
}
