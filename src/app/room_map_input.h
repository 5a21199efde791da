// The Room Map window's state and mouse handling: creating, resizing, moving
// and removing room rectangles on the 640 x 400 castle map, choosing the room
// colour in the colour strip, switching rooms, and placing a door's marker
// while a door's map position is awaited. Toolkit-free: the map widget feeds it
// map pixels and paints with paintState().
#pragma once

#include "app/app_state.h"
#include "editor/draw/map_renderer.h"

namespace grusk {

// Controls of the map window.
inline constexpr int kMapHideButton = 1;
inline constexpr int kMapNextRoomButton = 1253;
inline constexpr int kMapPrevRoomButton = 1254;
inline constexpr int kMapRoomField = 1255;
inline constexpr int kMapStatusLine = 1229;
// The colour strip right of the map: 16 swatches of 64 x 16 from the top.
inline constexpr int kColourStripLeft = 641;
inline constexpr int kColourStripRight = 704;
// Largest side of a rectangle drawn on the map.
inline constexpr int kMaxRoomSide = 112;

class RoomMapInput {
public:
    explicit RoomMapInput(AppState& app);
    RoomMapInput(const RoomMapInput&) = delete;
    RoomMapInput& operator=(const RoomMapInput&) = delete;

    void mouseMove(int x, int y, bool leftHeld);
    void leftDown(int x, int y);
    void leftUp(int x, int y);
    void rightUp(int x, int y);

    // The buttons "<" (1254), ">" (1253) and "Hide" (1); false for other ids.
    bool command(int id);

    // The main window reports the door under its mouse: its marker turns red.
    void doorHovered(CellPos anchor);
    // Whatever is under the main window's mouse now (no repaint of its own).
    void canvasHoverChanged(CellPos anchor) { hovered_ = anchor; }

    // "Set Map Position ..." for the popup door: shows the map, awaits the
    // click and opens the "Set Door position on the Map:" prompt.
    void setMapPosition();

    // Called at the start of every map paint; does the first-paint set-up and
    // clears the markers-only flag. Paint the map with the state it returns.
    MapPaintState beginPaint();

    int mapColour() const { return mapColour_; }
    bool creating() const { return creating_; }
    CellPos grabOffset() const { return grab_; }
    bool markersOnly() const { return markersOnly_; }
    bool firstPaint() const { return firstPaint_; }
    // Pointer shape the map area should show now.
    CursorShape cursor() const { return cursor_; }
    CellPos rawPosition() const { return raw_; }
    CellPos snappedPosition() const { return snapped_; }

private:
    void invalidateRoomRect(int room);
    void placeDoorMarker(int x, int y);

    AppState& app_;
    int mapColour_ = 0;
    bool creating_ = false;
    bool moving_ = false;
    CellPos grab_{0, 0};
    bool firstPaint_ = true;
    bool markersOnly_ = false;
    CursorShape cursor_ = CursorShape::Arrow;
    CellPos raw_{0, 0};
    CellPos snapped_{0, 0};
    CellPos hovered_;
};

// Starts waiting for a door's map position: mapDoorMode on, and the popup door
// (in the current room) remembered as the door to place. Used by "Set Map
// Position ..." and by the door dialog's "Position" button.
void beginDoorPositioning(AppState& app);

}  // namespace grusk
