// A room file into the import's reading, then shaping, recount and drawing,
// the editing operations on what was read, and the check and build of the
// castle with that room in it.
#include <algorithm>
#include <cstring>
#include <vector>

#include "app/object_commands.h"
#include "editor/draw/room_renderer.h"
#include "editor/room_editing.h"
#include "fuzz_support.h"
#include "model/castle_files.h"

using namespace grusk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& w = fuzz::world();
    w.reset(1);
    // Any input becomes a full room file: repeat it up to the file's size.
    static std::vector<uint8_t> file(kRoomFileSize);
    if (size > 0)
        for (size_t i = 0; i < file.size(); i += size) std::memcpy(&file[i], data, std::min(size, file.size() - i));
    else
        std::fill(file.begin(), file.end(), 0);
    readRoomImage(w.app.castle, 0, file.data(), file.size());
    shapeWalkways(w.app);
    recountRoom(w.app.castle, 0);
    drawRoom(w.canvas, w.app.castle, fuzz::pictures());

    for (int y = 0; y < kRows; y += 2)
        for (int x = 0; x < kColumns; x += 3) {
            w.app.popupCell = {x, y};
            objectMenuFor(w.app, x, y);
            toggleObjectState(w.app, x, y);
            setObjectColour(w.app, 1284 + (x % 7));
        }
    for (int i = 0; i < 40; ++i) deleteObjectAt(w.app, i, i % kRows);
    shapeWalkways(w.app);

    // The imported room as part of a castle: checked, compiled and drawn again.
    w.app.castle.room(0).roomInUse = 1;
    fuzz::checkBuildDraw(1);
    // Free what the input made, so that every run ends with as much memory as it began.
    w.ui.clearRecords();
    return 0;
}
