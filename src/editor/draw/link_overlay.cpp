#include "editor/draw/link_overlay.h"

#include <string>

#include "editor/catalogue.h"
#include "editor/draw/label_font.h"
#include "editor/object_info.h"

namespace grusk {

namespace {

constexpr int kCell = 16;
constexpr int kSourceDot = 3;  // square at the source end
constexpr int kTargetDot = 5;  // larger square at the linked object's end

void dot(RasterImage& canvas, PixelPoint p, int size, Rgb colour) {
    canvas.fillRect(p.x - size / 2, p.y - size / 2, size, size, colour);
}

}  // namespace

Rgb linkColour(int sourceType) {
    switch (sourceType) {
        case kConveyorSwitch: return {255, 140, 0};
        case kDoorBell: return {255, 215, 0};
        case kForceField: return {0, 255, 255};
        case kLock: return {255, 0, 255};
        case kLightningSwitch: return {90, 160, 255};
        case kMummy: return {170, 255, 90};
        case kGunControl: return {255, 90, 160};
        case kTransmitter: return {255, 255, 255};
        case kTrap: return {190, 130, 255};
        default: return {0, 0, 0};
    }
}

PixelPoint objectCentre(const Room& room, int x, int y) {
    const int t = isInsideRoom(x, y) ? room.object(x, y).type : kEmpty;
    const Size size = isObjectType(t) ? pictureSize(t) : Size{kCell, kCell};
    return {x * kCell + size.width / 2, y * kCell + size.height / 2};
}

void drawLinkOverlay(RasterImage& canvas, const CastleModel& castle, int roomIndex) {
    if (!isValidRoom(roomIndex)) return;
    const Room& room = castle.room(roomIndex);
    // Lines first, then the labels over them, so a line never hides a label.
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            const CellRecord& rec = room.object(x, y);
            if (!linkRuleFor(rec.type) || rec.dragging == 1) continue;
            const Rgb colour = linkColour(rec.type);
            const PixelPoint from = objectCentre(room, x, y);
            bool drawn = false;
            for (int slot = 0; slot < kLinkSlots; ++slot) {
                if (!rec.hasLink(slot)) continue;
                const int tx = rec.links[slot][0], ty = rec.links[slot][1];
                if (!isInsideRoom(tx, ty)) continue;  // a damaged link leads nowhere to draw
                const PixelPoint to = objectCentre(room, tx, ty);
                canvas.drawLine(from.x, from.y, to.x, to.y, colour);
                dot(canvas, to, kTargetDot, colour);
                drawn = true;
            }
            if (drawn) dot(canvas, from, kSourceDot, colour);
        }
    }
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            const CellRecord& rec = room.object(x, y);
            if (rec.type != kDoor || rec.dragging == 1) continue;
            const std::string label = doorLabel(castle, rec);
            drawLabel(canvas, x * kCell + 1, y * kCell + 1, label, label == "?" ? kDoorLabelNowhere : kDoorLabelText,
                      kDoorLabelBackground);
        }
    }
}

void drawProblemFrame(RasterImage& canvas, const Room& room, int x, int y) {
    if (!isInsideRoom(x, y)) return;
    const int t = room.object(x, y).type;
    const Size size = isObjectType(t) ? pictureSize(t) : Size{kCell, kCell};
    canvas.frameRect(x * kCell - 2, y * kCell - 2, size.width + 4, size.height + 4, kProblemFramePen);
    canvas.frameRect(x * kCell - 1, y * kCell - 1, size.width + 2, size.height + 2, kProblemFramePen);
}

}  // namespace grusk
