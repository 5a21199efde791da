#include "editor/draw/raster_image.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace grusk {

namespace {

// A rectangle clipped to [0, width) x [0, height); empty when nothing is left.
// Works in 64 bits so that coordinates from damaged files cannot overflow.
struct Span {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

Span clip(int64_t x, int64_t y, int64_t w, int64_t h, int width, int height) {
    if (w <= 0 || h <= 0) return {};
    const int64_t x0 = std::max<int64_t>(x, 0);
    const int64_t y0 = std::max<int64_t>(y, 0);
    const int64_t x1 = std::min<int64_t>(x + w, width);
    const int64_t y1 = std::min<int64_t>(y + h, height);
    if (x0 >= x1 || y0 >= y1) return {};
    return {int(x0), int(y0), int(x1), int(y1)};
}

// One row of a keyed copy: pixels equal to key are left as they are.
void copyRowKeyed(uint32_t* out, const uint32_t* in, int n, uint32_t key) {
    int i = 0;
#if defined(__SSE2__)
    // Four pixels at a time: take the destination where the source is the key.
    const __m128i k = _mm_set1_epi32(int(key));
    for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
        const __m128i isKey = _mm_cmpeq_epi32(s, k);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_or_si128(_mm_and_si128(isKey, d), _mm_andnot_si128(isKey, s)));
    }
#endif
    for (; i < n; ++i)
        if (in[i] != key) out[i] = in[i];
}

void fillRow(uint32_t* out, int n, uint32_t value) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(int(value));
    for (; i + 4 <= n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
#endif
    for (; i < n; ++i) out[i] = value;
}

}  // namespace

void RasterImage::fill(Rgb c) {
    if (!pixels_.empty()) fillRow(pixels_.data(), int(pixels_.size()), c.packed());
}

RasterImage::RasterImage(int width, int height, Rgb fill) {
    if (width <= 0 || height <= 0) return;
    width_ = width;
    height_ = height;
    pixels_.assign(size_t(width) * size_t(height), fill.packed());
}

Rgb RasterImage::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return Rgb{};
    return Rgb::unpack(pixels_[size_t(y) * size_t(width_) + size_t(x)]);
}

void RasterImage::setPixel(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[size_t(y) * size_t(width_) + size_t(x)] = c.packed();
}

void RasterImage::drawLine(int x0, int y0, int x1, int y1, Rgb colour) {
    // Ends are held within a million pixels or so, which keeps the walk short
    // whatever the numbers (only damaged data puts them that far out).
    auto clampEnd = [](int64_t v) { return std::clamp<int64_t>(v, -(int64_t(1) << 20), int64_t(1) << 20); };
    int64_t x = clampEnd(x0), y = clampEnd(y0);
    const int64_t xe = clampEnd(x1), ye = clampEnd(y1);
    const int64_t dx = xe > x ? xe - x : x - xe, dy = ye > y ? ye - y : y - ye;
    const int64_t sx = x < xe ? 1 : -1, sy = y < ye ? 1 : -1;
    int64_t err = dx - dy;
    const uint32_t c = colour.packed();
    for (;;) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[size_t(y) * size_t(width_) + size_t(x)] = c;
        if (x == xe && y == ye) break;
        const int64_t e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
}

void RasterImage::fillRect(int x, int y, int w, int h, Rgb fill, Rgb outline) {
    const Span s = clip(x, y, w, h, width_, height_);
    if (s.empty()) return;
    const uint32_t f = fill.packed();
    for (int py = s.y0; py < s.y1; ++py) {
        fillRow(pixels_.data() + size_t(py) * size_t(width_) + size_t(s.x0), s.x1 - s.x0, f);
    }
    if (!(outline == fill)) frameRect(x, y, w, h, outline, PenStyle::Solid);
}

void RasterImage::frameRect(int x, int y, int w, int h, Rgb colour, PenStyle style) {
    if (w <= 0 || h <= 0) return;
    const int64_t left = x, top = y, right = int64_t(x) + w - 1, bottom = int64_t(y) + h - 1;
    if (style == PenStyle::InsideFrame8) {
        // The whole 8-pixel band lies inside the rectangle.
        const int64_t band = 8;
        if (w <= 2 * band || h <= 2 * band) {
            fillRect(x, y, w, h, colour);
            return;
        }
        fillRect(x, y, w, int(band), colour);
        fillRect(x, int(bottom - band + 1), w, int(band), colour);
        fillRect(x, int(top + band), int(band), int(h - 2 * band), colour);
        fillRect(int(right - band + 1), int(top + band), int(band), int(h - 2 * band), colour);
        return;
    }
    const uint32_t c = colour.packed();
    const bool dotted = style == PenStyle::Dotted;
    // A dotted pen draws opaquely: the gaps between its dots are white, so
    // the grid also shows over the black background.
    const uint32_t gap = Rgb{255, 255, 255}.packed();
    auto put = [&](int64_t px, int64_t py) {
        if (px < 0 || py < 0 || px >= width_ || py >= height_) return;
        // Dots on alternate pixels, aligned to the image so neighbouring squares match.
        const bool inGap = dotted && ((px + py) & 1) != 0;
        pixels_[size_t(py) * size_t(width_) + size_t(px)] = inGap ? gap : c;
    };
    const int64_t xa = std::max<int64_t>(left, -1), xb = std::min<int64_t>(right, width_);
    const int64_t ya = std::max<int64_t>(top, -1), yb = std::min<int64_t>(bottom, height_);
    for (int64_t px = xa; px <= xb; ++px) {
        put(px, top);
        put(px, bottom);
    }
    for (int64_t py = ya; py <= yb; ++py) {
        put(left, py);
        put(right, py);
    }
}

void RasterImage::blit(const RasterImage& src, int dx, int dy, Rgb key) {
    blit(src, 0, 0, src.width(), src.height(), dx, dy, key);
}

void RasterImage::blit(const RasterImage& src, int sx, int sy, int w, int h, int dx, int dy, Rgb key) {
    if (src.empty() || empty()) return;
    // Clip the source rectangle to the source, then the result to this image.
    const Span s = clip(sx, sy, w, h, src.width(), src.height());
    if (s.empty()) return;
    const int64_t ox = int64_t(dx) + (s.x0 - int64_t(sx));
    const int64_t oy = int64_t(dy) + (s.y0 - int64_t(sy));
    const Span d = clip(ox, oy, s.x1 - s.x0, s.y1 - s.y0, width_, height_);
    if (d.empty()) return;
    const int srcX = int(s.x0 + (d.x0 - ox));
    const int srcY = int(s.y0 + (d.y0 - oy));
    const uint32_t k = key.packed();
    const int n = d.x1 - d.x0;
    for (int row = 0; row < d.y1 - d.y0; ++row) {
        const uint32_t* in = src.pixels_.data() + size_t(srcY + row) * size_t(src.width_) + size_t(srcX);
        uint32_t* out = pixels_.data() + size_t(d.y0 + row) * size_t(width_) + size_t(d.x0);
        copyRowKeyed(out, in, n, k);
    }
}

void RasterImage::stretchBlit(const RasterImage& src, int dx, int dy, int dw, int dh, Rgb key) {
    stretchBlit(src, 0, 0, src.width(), src.height(), dx, dy, dw, dh, key);
}

void RasterImage::stretchBlit(const RasterImage& src, int sx, int sy, int sw, int sh, int dx, int dy, int dw,
                              int dh, Rgb key) {
    if (src.empty() || empty() || sw <= 0 || sh <= 0) return;
    const Span d = clip(dx, dy, dw, dh, width_, height_);
    if (d.empty()) return;
    const uint32_t k = key.packed();
    // Nearest source column of each destination column, worked out once.
    thread_local std::vector<int> columns;
    columns.assign(size_t(d.x1 - d.x0), -1);
    for (int px = d.x0; px < d.x1; ++px) {
        const int64_t srcX = int64_t(sx) + (int64_t(px) - dx) * sw / dw;
        if (srcX >= 0 && srcX < src.width_) columns[size_t(px - d.x0)] = int(srcX);
    }
    // Not stretched across (double-height text): whole rows are plain keyed copies.
    bool straight = columns[0] >= 0;
    for (size_t i = 0; straight && i < columns.size(); ++i) straight = columns[i] == columns[0] + int(i);
    for (int py = d.y0; py < d.y1; ++py) {
        // Nearest source row: each source row covers dh / sh destination rows.
        const int64_t srcY = int64_t(sy) + (int64_t(py) - dy) * sh / dh;
        if (srcY < 0 || srcY >= src.height_) continue;
        const uint32_t* in = src.pixels_.data() + size_t(srcY) * size_t(src.width_);
        uint32_t* out = pixels_.data() + size_t(py) * size_t(width_) + size_t(d.x0);
        if (straight) {
            copyRowKeyed(out, in + columns[0], int(columns.size()), k);
            continue;
        }
        for (size_t i = 0; i < columns.size(); ++i) {
            if (columns[i] < 0) continue;
            const uint32_t p = in[columns[i]];
            if (p != k) out[i] = p;
        }
    }
}

}  // namespace grusk
