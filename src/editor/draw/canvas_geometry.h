// Where the room canvas sits in the main window: a 640 x 400 plan of 16 x 16
// cells whose top left corner is at client position (9, 11).
#pragma once

#include "model/geometry.h"

namespace grusk {

constexpr int kCanvasLeft = 9;
constexpr int kCanvasTop = 11;
constexpr int kCellPixels = 16;
constexpr int kCanvasWidth = 640;
constexpr int kCanvasHeight = 400;
constexpr PixelRect kCanvasRect{kCanvasLeft, kCanvasTop, kCanvasLeft + kCanvasWidth, kCanvasTop + kCanvasHeight};

// Window rectangle of a block of cells on the canvas.
constexpr PixelRect cellRect(int x, int y, int widthCells = 1, int heightCells = 1) {
    return PixelRect{kCanvasLeft + x * kCellPixels, kCanvasTop + y * kCellPixels,
                     kCanvasLeft + (x + widthCells) * kCellPixels, kCanvasTop + (y + heightCells) * kCellPixels};
}

}  // namespace grusk
