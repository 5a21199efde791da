// Drawing the current room onto the 640 x 400 room canvas (canvas
// coordinates: cell (c, r) is the 16 x 16 square at (16c, 16r); the window
// shows the canvas at client position (9, 11)), and the title screen.
#pragma once

#include <optional>

#include "editor/draw/canvas_geometry.h"
#include "editor/draw/picture_set.h"
#include "editor/draw/raster_image.h"
#include "model/castle_model.h"
#include "model/geometry.h"

namespace grusk {

inline constexpr PixelRect kNoGhost{0, 0, -1, -1};  // width and height -1: no ghost drawn
inline bool hasGhost(const PixelRect& r) { return r.right - r.left >= 0 && r.bottom - r.top >= 0; }

struct CanvasPaintOptions {
    // Cell under the mouse, where the ghost of placeType is drawn; none: no ghost.
    std::optional<CellPos> mouseCell;
    int placeType = -1;     // the type chosen in the object list, -1 none
    bool showGrid = false;
    // The room's link lines and door labels over the room (and the grid).
    bool showLinks = false;
    // Anchor of an object to frame in the current room (a problem gone to).
    std::optional<CellPos> problemObject{};
};

// Composes the current room over the canvas: walkways, objects with their
// fills, frames, vertical pieces and walkway crossings, then texts and
// camouflage. Drawing a door in a room that is not on the map puts the room
// on the map at (256, 128)-(368, 240), hence the non-const castle.
void drawRoom(RasterImage& canvas, CastleModel& castle, const PictureSet& pictures);

// The whole canvas paint: black background, the room, the grid when
// options.showGrid is set, the links and the problem frame when asked, and the
// ghost of options.placeType at options.mouseCell.
// The canvas is made 640 x 400 when it has another size. Returns the ghost
// rectangle in window coordinates (also when the ghost did not fit and was
// not drawn), or kNoGhost when no type is chosen or no mouse cell is given.
PixelRect paintCanvas(RasterImage& canvas, CastleModel& castle, const PictureSet& pictures,
                      const CanvasPaintOptions& options);

// The first paint after start: the title picture over the top 280 rows and
// the start picture below it, both with white transparent, on black.
void paintTitleScreen(RasterImage& canvas, const PictureSet& pictures);

}  // namespace grusk
