#include "editor/draw/map_renderer.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "editor/catalogue.h"
#include "editor/draw/label_font.h"
#include "editor/draw/palette.h"

namespace grusk {

namespace {

constexpr int kMarkerSize = 8;
constexpr int kBand = 8;

// Map rectangles and door positions come from files: keep them in a range
// where sums and differences cannot overflow (far outside the map either way).
int tame(int64_t v) { return int(std::clamp<int64_t>(v, -(int64_t(1) << 24), int64_t(1) << 24)); }

void paintRoomRect(RasterImage& map, const MapRect& r, Rgb fill, Rgb frame) {
    // A rectangle dragged up or to the left of its start is drawn as the same area.
    const int x0 = tame(std::min(r.left, r.right)), x1 = tame(std::max(r.left, r.right));
    const int y0 = tame(std::min(r.top, r.bottom)), y1 = tame(std::max(r.top, r.bottom));
    map.fillRect(x0, y0, x1 - x0, y1 - y0, fill);
    map.frameRect(x0, y0, x1 - x0, y1 - y0, frame, PenStyle::InsideFrame8);
}

// The labels of one room, centred in its rectangle: the number, then the
// start marks below it.
void paintRoomLabels(RasterImage& map, const CastleModel& castle, int room) {
    const MapRect& r = castle.room(room).roomMapRect;
    std::vector<std::pair<std::string, Rgb>> lines;
    lines.emplace_back(std::to_string(room + 1), kMapLabelText);
    // The colours of the player markers picture: 1UP yellow, 2UP cyan.
    if (castle.settings.playerStartRoom[0] == room) lines.emplace_back("1UP", c64Palette[7]);
    if (castle.settings.playerStartRoom[1] == room) lines.emplace_back("2UP", c64Palette[3]);
    constexpr int kLine = kLabelGlyphHeight + 2;
    const int64_t cx = (int64_t(tame(r.left)) + tame(r.right)) / 2;
    const int64_t cy = (int64_t(tame(r.top)) + tame(r.bottom)) / 2;
    int y = int(cy - int64_t(lines.size()) * kLine / 2);
    for (const auto& [text, colour] : lines) {
        drawLabel(map, int(cx - (labelTextWidth(text) + 2) / 2), y, text, colour, kMapLabelBackground);
        y += kLine;
    }
}

}  // namespace

void paintMap(RasterImage& map, const CastleModel& castle, const PictureSet& pictures, const MapPaintState& state) {
    bool full = !state.markersOnly;
    if (map.width() != kMapWidth || map.height() != kMapHeight) {
        map = RasterImage(kMapWidth, kMapHeight);
        full = true;
    }
    if (full) {
        map.fillRect(0, 0, kMapWidth, kMapHeight, Rgb{0, 0, 0});
        map.blit(pictures.markers(), 0, 0, kMapWidth, 48, 0, 0, kKeyBlack);
    }
    for (int room = 0; room < kRooms; ++room) {
        const Room& rm = castle.room(room);
        if (!rm.roomInUse) continue;
        const bool current = room == castle.currentRoom;
        paintRoomRect(map, rm.roomMapRect, paletteColour(rm.roomColour),
                      current ? kMapCurrentFramePen : kMapFramePen);
        for (int y = 0; y < kRows; ++y) {
            for (int x = 0; x < kColumns; ++x) {
                const CellRecord& door = rm.object(x, y);
                if (door.type != kDoor) continue;
                const PixelRect m = doorMarkerRect(castle, room, door);
                const bool hovered = current && state.hoveredDoor && state.hoveredDoor->x == x &&
                                     state.hoveredDoor->y == y;
                if (hovered)
                    map.fillRect(m.left, m.top, kMarkerSize, kMarkerSize, c64Palette[2], kMapHoverDoorPen);
                else
                    map.fillRect(m.left, m.top, kMarkerSize, kMarkerSize, Rgb{0, 0, 0});
            }
        }
    }
    // Over every rectangle, so that overlapping rooms keep their numbers readable.
    if (state.labels)
        for (int room = 0; room < kRooms; ++room)
            if (castle.room(room).roomInUse) paintRoomLabels(map, castle, room);
}

int findRoomAt(const CastleModel& castle, int x, int y) {
    for (int room = 0; room < kRooms; ++room) {
        const Room& rm = castle.room(room);
        const MapRect& r = rm.roomMapRect;
        if (rm.roomInUse && r.left <= x && x < r.right && r.top <= y && y < r.bottom) return room;
    }
    return -1;
}

int findRoomCornerAt(const CastleModel& castle, int x, int y) {
    for (int room = 0; room < kRooms; ++room) {
        const Room& rm = castle.room(room);
        const MapRect& r = rm.roomMapRect;
        if (rm.roomInUse && int64_t(r.right) - 16 <= x && x < r.right && int64_t(r.bottom) - 16 <= y &&
            y < r.bottom)
            return room;
    }
    return -1;
}

PixelRect doorMarkerRect(const CastleModel& castle, int room, const CellRecord& door) {
    if (!isValidRoom(room)) return {};
    const MapRect& r = castle.room(room).roomMapRect;
    const int left = tame(int64_t(r.left) + 4 * int64_t(door.mapX));
    const int top = tame(int64_t(r.top) + 2 * int64_t(door.mapY));
    return PixelRect{left, top, left + kMarkerSize, top + kMarkerSize};
}

Rgb mapSwatchColour(int mapColour) { return paletteColour(mapColour); }

std::optional<DoorMapPosition> doorMapPositionAt(const MapRect& rect, int x, int y) {
    const int64_t left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
    const bool acrossX = left <= x && x < right, acrossY = top <= y && y < bottom;
    const bool inBand = (acrossX && top <= y && y < top + kBand) || (acrossX && bottom - kBand <= y && y < bottom) ||
                        (acrossY && left <= x && x < left + kBand) || (acrossY && right - kBand <= x && x < right);
    if (!inBand) return std::nullopt;
    const int64_t rx = x - left, ry = y - top;
    DoorMapPosition p;
    if (rx >= (right - left) - kBand)
        p.direction = 1;
    else if (rx < kBand)
        p.direction = 3;
    else if (ry >= (bottom - top) - kBand)
        p.direction = 2;
    else
        p.direction = 0;
    p.mapX = int(rx / 8 * 8 / 4);
    p.mapY = int(ry / 8 * 8 / 2);
    return p;
}

}  // namespace grusk
