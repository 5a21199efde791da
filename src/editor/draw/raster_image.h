// A plain RGB raster image that all drawing goes into: pixel-exact and testable
// without a display. Pixels are 32-bit 0xFFRRGGBB, rows top to bottom, so a
// window toolkit can show the buffer as it is.
#pragma once

#include <cstdint>
#include <vector>

namespace grusk {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
    uint32_t packed() const { return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b; }
    static Rgb unpack(uint32_t p) { return Rgb{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)}; }
};

enum class PenStyle { Solid, Dotted, InsideFrame8 };

class RasterImage {
public:
    RasterImage() = default;
    RasterImage(int width, int height, Rgb fill = {0, 0, 0});

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }
    const uint32_t* data() const { return pixels_.data(); }
    uint32_t* data() { return pixels_.data(); }
    int bytesPerLine() const { return width_ * 4; }

    Rgb pixel(int x, int y) const;  // black outside the image
    void setPixel(int x, int y, Rgb c);  // ignored outside the image

    // Fills (x, y, w, h) with fill and draws a 1-pixel outline in outline.
    void fillRect(int x, int y, int w, int h, Rgb fill, Rgb outline);
    void fillRect(int x, int y, int w, int h, Rgb fill) { fillRect(x, y, w, h, fill, fill); }
    // Outline of (x, y, w, h) with a pen, no fill.
    void frameRect(int x, int y, int w, int h, Rgb colour, PenStyle style = PenStyle::Solid);
    // A 1-pixel line from (x0, y0) to (x1, y1), both ends included; the parts
    // outside the image are left out.
    void drawLine(int x0, int y0, int x1, int y1, Rgb colour);
    // Copies (sx, sy, w, h) of src to (dx, dy), leaving pixels of colour key transparent.
    void blit(const RasterImage& src, int dx, int dy, Rgb key);
    void blit(const RasterImage& src, int sx, int sy, int w, int h, int dx, int dy, Rgb key);
    // Copies src stretched to dw x dh at (dx, dy) with key transparent (nearest neighbour).
    void stretchBlit(const RasterImage& src, int dx, int dy, int dw, int dh, Rgb key);
    // The same for the part (sx, sy, sw, sh) of src; source pixels outside src are left out.
    void stretchBlit(const RasterImage& src, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh,
                     Rgb key);
    void fill(Rgb c);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

}  // namespace grusk
