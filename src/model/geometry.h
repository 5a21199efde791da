// Plain positions and rectangles shared by every layer.
#pragma once

namespace grusk {

// A cell of a room (column x, row y); (-1, -1) is no cell.
struct CellPos {
    int x = -1;
    int y = -1;
    bool operator==(const CellPos&) const = default;
};

// A rectangle in window client pixels (right and bottom exclusive).
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const PixelRect&) const = default;
};

}  // namespace grusk
