#include "editor/draw/room_renderer.h"

#include <string>

#include "editor/catalogue.h"
#include "editor/draw/link_overlay.h"
#include "editor/draw/map_renderer.h"
#include "editor/draw/palette.h"

namespace grusk {

namespace {

constexpr int kCell = 16;
constexpr int kGlyphWidth = 32;
constexpr int kGlyphHeight = 16;

void ensureCanvas(RasterImage& canvas) {
    if (canvas.width() != kCanvasWidth || canvas.height() != kCanvasHeight)
        canvas = RasterImage(kCanvasWidth, kCanvasHeight);
}

// Copies the top-left w x h of a picture; a missing picture draws nothing.
void drawPicture(RasterImage& target, const RasterImage& picture, int x, int y, int w, int h, Rgb key) {
    target.blit(picture, 0, 0, w, h, x, y, key);
}

bool isBackedType(int t) { return t == kDoorBell || t == kTrap || t == kConveyor; }

// A door bell is backed by the colour of the room behind the door it rings:
// its own room's colour when unlinked, linked to an exit door, or when the
// link or the door's destination does not lead anywhere.
Rgb bellBacking(const CastleModel& castle, const Room& room, const CellRecord& bell, Rgb roomFill) {
    if (!bell.hasLink(0)) return roomFill;
    const int lx = bell.links[0][0], ly = bell.links[0][1];
    if (!isInsideRoom(lx, ly)) return roomFill;
    const CellRecord& door = room.object(lx, ly);
    if (door.variant == 1 || !isValidRoom(door.destRoom)) return roomFill;
    return paletteColour(castle.room(door.destRoom).roomColour);
}

const RasterImage& doorImage(const CastleModel& castle, const CellRecord& door, const PictureSet& pictures) {
    const CastleSettings& s = castle.settings;
    const uint8_t number = static_cast<uint8_t>(door.number);
    const bool p1 = number == s.playerStartDoor[0] && castle.currentRoom == s.playerStartRoom[0];
    const bool p2 = number == s.playerStartDoor[1] && castle.currentRoom == s.playerStartRoom[1];
    const bool exitDoor = door.variant == 1;
    if (p1 && p2) return pictures.doorPicture(exitDoor ? kExitDoorPictureBoth : kDoorPictureBoth);
    if (p1) return pictures.doorPicture(exitDoor ? kExitDoorPictureP1 : kDoorPictureP1);
    if (p2) return pictures.doorPicture(exitDoor ? kExitDoorPictureP2 : kDoorPictureP2);
    return pictures.picture(door.picture);
}

void drawObject(RasterImage& off, CastleModel& castle, Room& room, const PictureSet& pictures, int c, int r,
                Rgb roomFill) {
    const CellRecord& rec = room.object(c, r);
    const int t = rec.type;
    if (t == kDoor && !room.roomInUse) {
        // A room that contains a door is always on the map.
        room.roomMapRect = kDefaultRoomMapRect;
        room.roomInUse = 1;
    }
    if (!isObjectType(t) || rec.dragging == 1) return;
    const Size size = pictureSize(t);
    const int x = c * kCell, y = r * kCell;
    if (isBackedType(t)) {
        const Rgb fill = t == kDoorBell ? bellBacking(castle, room, rec, roomFill) : roomFill;
        off.fillRect(x, y, size.width, size.height, fill);
        drawPicture(off, pictures.picture(rec.picture), x, y, size.width, size.height, kTransparentKey);
    } else if (t == kText) {
        // Texts are drawn in the last pass, over everything else.
    } else if (t == kDoor) {
        drawPicture(off, doorImage(castle, rec, pictures), x, y, size.width, size.height, kKeyBlack);
    } else {
        drawPicture(off, pictures.picture(rec.picture), x, y, size.width, size.height, kKeyBlack);
    }
    if (rec.mark == kMarkHighlighted)
        off.frameRect(x, y, size.width, size.height, kHighlightFramePen);
    else if (rec.mark == kMarkUnlinked)
        off.frameRect(x, y, size.width, size.height, kUnlinkedFramePen);
}

void drawText(RasterImage& off, const CellRecord& rec, const PictureSet& pictures, int c, int r) {
    const std::string text = recordText(rec);
    const int x = c * kCell, y = r * kCell;
    if (text.empty()) {
        const Size size = pictureSize(kText);
        drawPicture(off, pictures.picture(rec.picture), x, y, size.width, size.height, kKeyBlack);
        return;
    }
    const Rgb colour = paletteColour(rec.colour);
    // Only 0 and 1 are heights; anything else from a damaged file is single.
    const int height = kGlyphHeight + (rec.variant == 1 ? kGlyphHeight : 0);
    for (size_t i = 0; i < text.size(); ++i) {
        const int left = x + kGlyphWidth * int(i);
        if (left + kGlyphWidth > kCanvasWidth) break;  // the rest would pass the right edge
        off.fillRect(left, y, kGlyphWidth, height, colour);
        off.stretchBlit(pictures.picture(glyphPicture(text[i])), 0, 0, kGlyphWidth, kGlyphHeight, left, y,
                        kGlyphWidth, height, kGlyphKey);
    }
}

}  // namespace

void drawRoom(RasterImage& canvas, CastleModel& castle, const PictureSet& pictures) {
    if (!isValidRoom(castle.currentRoom)) return;
    ensureCanvas(canvas);
    Room& room = castle.current();
    const Rgb roomFill = paletteColour(room.roomColour);

    // The room is composed off-screen and copied over the canvas in one step;
    // the buffer is reused between paints, its contents are not.
    static thread_local RasterImage off;
    if (off.width() != kCanvasWidth || off.height() != kCanvasHeight)
        off = RasterImage(kCanvasWidth, kCanvasHeight);
    else
        off.fill(Rgb{0, 0, 0});

    // 1. Walkways.
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const int piece = room.walkway(c, r);
            if (piece == kEmpty) continue;
            off.fillRect(c * kCell, r * kCell, kCell, kCell, roomFill);
            drawPicture(off, pictures.picture(piece), c * kCell, r * kCell, kCell, kCell, kTransparentKey);
        }
    }
    // 2. Objects, vertical pieces, and walkway crossings over ladders and poles.
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            drawObject(off, castle, room, pictures, c, r, roomFill);
            const CellRecord& vertical = room.vertical(c, r);
            if (vertical.type != kEmpty && vertical.dragging != 1)
                drawPicture(off, pictures.picture(vertical.type), c * kCell, r * kCell, kCell, kCell, kKeyBlack);
            const int piece = room.walkway(c, r);
            if (piece >= kWalkwayLadderL && piece <= kWalkwaySlideM) {
                off.fillRect(c * kCell, r * kCell, kCell, kCell, roomFill);
                drawPicture(off, pictures.picture(piece), c * kCell, r * kCell, kCell, kCell, kTransparentKey);
            }
        }
    }
    // 3. Texts and camouflage.
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const CellRecord& rec = room.object(c, r);
            if (rec.type == kText && rec.dragging != 1) drawText(off, rec, pictures, c, r);
            const int camouflage = room.camouflage(c, r);
            if (camouflage == 1 || camouflage == 2)
                drawPicture(off, pictures.picture(kCamouflage), c * kCell, r * kCell, kCell, kCell, kKeyWhite);
        }
    }
    canvas.blit(off, 0, 0, kTransparentKey);
}

PixelRect paintCanvas(RasterImage& canvas, CastleModel& castle, const PictureSet& pictures,
                      const CanvasPaintOptions& options) {
    ensureCanvas(canvas);
    canvas.fill(Rgb{0, 0, 0});
    drawRoom(canvas, castle, pictures);
    if (options.showGrid) {
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c)
                canvas.frameRect(c * kCell, r * kCell, kCell, kCell, kGridPen, PenStyle::Dotted);
    }
    if (options.showLinks) drawLinkOverlay(canvas, castle, castle.currentRoom);
    if (options.problemObject && isValidRoom(castle.currentRoom))
        drawProblemFrame(canvas, castle.current(), options.problemObject->x, options.problemObject->y);
    if (!isObjectType(options.placeType) || !options.mouseCell) return kNoGhost;
    if (options.mouseCell->x < -kColumns || options.mouseCell->x > 2 * kColumns ||
        options.mouseCell->y < -kRows || options.mouseCell->y > 2 * kRows)
        return kNoGhost;
    const Size size = pictureSize(options.placeType);
    const int x = options.mouseCell->x * kCell, y = options.mouseCell->y * kCell;
    // The test is in window coordinates and lets the ghost reach a little past the canvas.
    if (x + size.width + kCanvasLeft < 657 && y + size.height + kCanvasTop < 417)
        drawPicture(canvas, pictures.picture(options.placeType), x, y, size.width, size.height, kKeyBlack);
    return PixelRect{x + kCanvasLeft, y + kCanvasTop, x + kCanvasLeft + size.width, y + kCanvasTop + size.height};
}

void paintTitleScreen(RasterImage& canvas, const PictureSet& pictures) {
    ensureCanvas(canvas);
    canvas.fill(Rgb{0, 0, 0});
    canvas.blit(pictures.title(), 0, 0, kCanvasWidth, 280, 0, 0, kKeyWhite);
    canvas.blit(pictures.startPicture(), 0, 0, kCanvasWidth, 120, 0, 280, kKeyWhite);
}

}  // namespace grusk
