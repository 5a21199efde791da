// A castle program into the reader ("Load Castle..."), then the error check,
// the compiler and the drawing of every room read. The quick reading must
// give the same castle as the careful one, whatever the damage.
#include <cstdlib>
#include <cstring>

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
    static FakePlatform carefulUi;
    static AppState careful{carefulUi};
    readCastleProgramBytes(careful, data, size, RoomReading::Careful);
    carefulUi.clearRecords();
    if (std::memcmp(&careful.castle.settings, &w.app.castle.settings, sizeof careful.castle.settings) != 0) std::abort();
    // The rooms read and the one reading stopped in.
    for (int r = 0; r < kRooms && r <= roomsRead; ++r)
        if (!sameRoom(careful.castle.room(r), w.app.castle.room(r))) std::abort();
    fuzz::checkBuildDraw(roomsRead);
    // Free what the input made, so that every run ends with as much memory as it began.
    w.ui.clearRecords();
    return 0;
}
