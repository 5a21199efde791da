#include "editor/draw/selection_frames.h"

#include <algorithm>

#include "editor/catalogue.h"
#include "editor/draw/palette.h"

namespace grusk {

namespace {
constexpr int kCell = 16;
}

void drawSelectionFrames(RasterImage& canvas, const Room& room, const Selection& selection,
                         std::array<int, 2> offset, std::optional<CellBlock> band) {
    const int ox = offset[0] * kCell, oy = offset[1] * kCell;
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            const int px = x * kCell + ox, py = y * kCell + oy;
            if (selection.has(SelectLayer::Object, x, y)) {
                // The frame follows the picture, as the highlight frames do.
                const Size s = pictureSize(room.object(x, y).type);
                canvas.frameRect(px, py, std::max(s.width, kCell), std::max(s.height, kCell), kSelectionFramePen);
            }
            if (selection.has(SelectLayer::Vertical, x, y) || selection.has(SelectLayer::Walkway, x, y))
                canvas.frameRect(px, py, kCell, kCell, kSelectionFramePen);
            if (selection.has(SelectLayer::Camouflage, x, y))
                canvas.frameRect(px, py, x + 1 < kColumns ? 2 * kCell : kCell, kCell, kSelectionFramePen);
        }
    }
    if (band)
        canvas.frameRect(band->left * kCell, band->top * kCell, (band->right - band->left + 1) * kCell,
                         (band->bottom - band->top + 1) * kCell, kSelectionFramePen, PenStyle::Dotted);
}

}  // namespace grusk
