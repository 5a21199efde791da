// Builds castles from code through the editor's own operations (placing,
// linking, connecting), as a user would: the sample castle and the benchmark
// castles are made with it.
#pragma once

#include <string>

#include "app/app_state.h"

namespace grusk {

class CastleBuilder {
public:
    enum Side { kTop = 0, kRight = 1, kBottom = 2, kLeft = 3 };

    explicit CastleBuilder(AppState& app) : app_(app) {}
    virtual ~CastleBuilder() = default;

    // Makes room r current and puts it on the map.
    void room(int r, int colour, const MapRect& rect);
    // Places an object; a refusal is reported to refused().
    bool put(int type, int x, int y);
    void floor(int row, int from = 0, int to = kColumns - 1);
    void column(int type, int x, int top, int bottom);
    // A door with its marker on the given side of the room's map rectangle,
    // at offset (in map pixels) along that side.
    void door(int x, int y, Side side, int along);
    // Links the source at (sx, sy) to the target at (tx, ty); a refusal is reported to refused().
    bool link(int sx, int sy, int tx, int ty);
    void colour(int x, int y, int colourCommand);  // 1284..1290
    void text(int x, int y, const std::string& words, int colourCommand, bool doubleHeight);
    // Connects the door at (x1, y1) of room r1 with the door at (x2, y2) of room r2.
    void connect(int r1, int x1, int y1, int r2, int x2, int y2);
    void startDoor(int player, int r, int x, int y);
    void exitDoor(int r, int x, int y);
    void finishRoom();

protected:
    // Told about a placement or link the editor refused.
    virtual void refused(const std::string& /*what*/) {}
    AppState& app_;
};

}  // namespace grusk
