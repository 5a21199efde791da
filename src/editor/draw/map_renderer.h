// The castle map: a 640 x 400 plan with every room in use as a coloured
// rectangle and every door as an 8 x 8 marker on it; its paint, hit tests and
// geometry. Coordinates are map pixels.
#pragma once

#include <optional>

#include "editor/draw/picture_set.h"
#include "editor/draw/raster_image.h"
#include "model/castle_model.h"
#include "model/geometry.h"

namespace grusk {

inline constexpr int kMapWidth = 640;
inline constexpr int kMapHeight = 400;
inline constexpr MapRect kDefaultRoomMapRect{256, 128, 368, 240};  // where a room with a door lands
// The swatch of the chosen map colour, beside the map in the map window.
inline constexpr PixelRect kMapSwatchRect{648, 260, 712, 276};

struct MapPaintState {
    // Skip the background and the player markers picture (a door hover repaint).
    bool markersOnly = false;
    // Anchor of the door under the mouse in the main window; its marker is drawn
    // in red when it belongs to the current room.
    std::optional<CellPos> hoveredDoor;
    // The labelled map: each room's number inside its rectangle, and "1UP" and
    // "2UP" in the players' colours on their start rooms.
    bool labels = false;
};

inline constexpr Rgb kMapLabelText{255, 255, 255};
inline constexpr Rgb kMapLabelBackground{0, 0, 0};

// Paints the map (made 640 x 400 when it has another size). A full paint
// clears it to black and draws the player markers picture first.
void paintMap(RasterImage& map, const CastleModel& castle, const PictureSet& pictures, const MapPaintState& state);

// The first room in use (0 to 63) whose rectangle holds the point, -1 when none.
int findRoomAt(const CastleModel& castle, int x, int y);
// The first room in use whose lower right 16 x 16 corner holds the point, -1 when none.
int findRoomCornerAt(const CastleModel& castle, int x, int y);

// The 8 x 8 marker square of a door of the room.
PixelRect doorMarkerRect(const CastleModel& castle, int room, const CellRecord& door);

// Fill colour of the chosen-colour swatch.
Rgb mapSwatchColour(int mapColour);

// Snaps a map coordinate down to the 16-pixel grid (truncating toward zero).
inline int snapToMapGrid(int v) { return v / 16 * 16; }

// Where a click at (x, y) puts a door marker on a room rectangle: in one of
// the four 8-pixel bands along its edges, else nothing.
struct DoorMapPosition {
    int direction = 0;  // 0 top, 1 right, 2 bottom, 3 left
    int mapX = 0;       // 4-pixel units from the left
    int mapY = 0;       // 2-pixel units from the top
    bool operator==(const DoorMapPosition&) const = default;
};
std::optional<DoorMapPosition> doorMapPositionAt(const MapRect& rect, int x, int y);

}  // namespace grusk
