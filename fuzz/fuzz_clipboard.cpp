// A clipboard text into the paste: read as a selection, pasted into a room
// that already holds objects, then moved, copied back out, deleted, and the
// castle checked, built and drawn.
#include <string_view>

#include "editor/selection.h"
#include "fuzz_support.h"

using namespace grusk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& w = fuzz::world();
    w.reset(2);
    CastleModel& castle = w.app.castle;
    const auto fragment = fragmentFromText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!fragment) return 0;
    castle.room(0).roomInUse = castle.room(1).roomInUse = 1;
    for (int r = 0; r < 2; ++r) {
        const PasteResult pasted = pasteFragment(castle, r, *fragment, fragment->originX, fragment->originY,
                                                 fragment->castleId);
        Selection sel = pasted.placed;
        moveSelection(castle, r, sel, 1, 0);
        moveSelection(castle, r, sel, -2, 3);
        const Fragment again = copySelection(castle, r, sel);
        fragmentFromText(fragmentToText(again));
        if (r == 0) deleteSelection(castle, r, selectBlock(castle.room(r), 0, 0, 5, 5));
    }
    fuzz::checkBuildDraw(2);
    w.ui.clearRecords();
    return 0;
}
