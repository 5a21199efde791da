// A room file into the import's reading, then shaping, recount, editing and drawing.
#include <cstring>
#include <vector>

#include "editor/room_editing.h"
#include "fuzz_support.h"
#include "model/castle_files.h"

using namespace grusk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& w = fuzz::world();
    w.reset(1);
    // Any input becomes a full room file: repeat it up to the file's size.
    std::vector<uint8_t> file(kRoomFileSize);
    if (size > 0)
        for (size_t i = 0; i < file.size(); i += size) std::memcpy(&file[i], data, std::min(size, file.size() - i));
    readRoomImage(w.app.castle, 0, file.data(), file.size());
    shapeWalkways(w.app);
    recountRoom(w.app.castle, 0);
    for (int y = 0; y < kRows; y += 2)
        for (int x = 0; x < kColumns; x += 3) {
            w.app.popupCell = {x, y};
            objectMenuFor(w.app, x, y);
            toggleObjectState(w.app, x, y);
            setObjectColour(w.app, 1284 + (x % 7));
        }
    for (int i = 0; i < 40; ++i) deleteObjectAt(w.app, i, i % kRows);
    shapeWalkways(w.app);
    return 0;
}
