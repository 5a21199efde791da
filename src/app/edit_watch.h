// Notices edits made by handlers that work on the model directly (the mouse
// on the canvas and on the map): a digest of the current room and of the room
// table is taken when a mouse button goes down and compared when it comes up.
#pragma once

#include <cstdint>

#include "model/castle_model.h"

namespace grusk {

class EditWatch {
public:
    // Remembers the current room and the room table; a second begin before
    // end keeps the first state, so a press-move-release span counts as one.
    void begin(const CastleModel& castle);
    // True when the watched room or the room table changed since begin.
    // Without a begin, nothing has been watched and the answer is false.
    bool end(const CastleModel& castle);
    bool watching() const { return watching_; }

    // Digest of what a project save keeps of one room: every layer, with the
    // transient hover and drag marks left out.
    static uint64_t roomDigest(const Room& room);
    // Digest of the map data of all rooms and the players' settings.
    static uint64_t tableDigest(const CastleModel& castle);

private:
    bool watching_ = false;
    int room_ = 0;
    uint64_t roomDigest_ = 0;
    uint64_t tableDigest_ = 0;
};

}  // namespace grusk
