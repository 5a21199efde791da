// picturegen: turns the text art under data/pictures into the BMP files the
// editor loads from its resource folder.
//
// Every art character is one C64 pixel and becomes 2 x 2 screen pixels. A
// source file holds these statements (a '#' at the start of a line outside an
// art block is a comment):
//
//   legend NAME key=KIND C=COLOUR ...       characters of a drawing group; C=key is transparent
//   art NAME LEGEND                         rows of characters follow, up to "end"
//   derive NAME from SOURCE OP...           a picture made from another one
//   frames PATTERN FIRST LAST from SOURCE OP...
//                                           one derived picture per number; the steps of
//                                           "scroll" are multiplied by (number - FIRST)
//   canvas NAME WIDTH HEIGHT key=KIND [bg=COLOUR|key]
//     place PICTURE X Y [fill=COLOUR] [mirror]
//     text X Y SX SY COLOUR "TEXT" [rows=C,C,...] [shadow=COLOUR:DX:DY]
//     fill X Y W H COLOUR
//     frame X Y W H COLOUR
//   end
//
// Ops: mirror, flip, recolour A=B,C=D (A and B colours or "key"), key=KIND,
// scroll X Y W H DX DY (wrapping inside the region), overlay PICTURE X Y,
// fill X Y W H COLOUR. KIND is black, transparent, glyph, white or none.
// Pictures whose name starts with '_' are building blocks and are not written.
// Names and texts with spaces are written in double quotes.
//
// Usage: picturegen [--out DIR] [--stamp FILE] [--png NAME SIZE FILE]... SOURCE...
//
// --png writes the picture NAME as a square PNG of SIZE x SIZE pixels (a
// whole multiple of its size in C64 pixels; key pixels transparent), as the
// desktop icons are made.
#include <algorithm>
#include <cstdlib>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#ifdef GRUSK_HAVE_PNG
#include <png.h>
#endif

namespace {

struct Rgb {
    uint8_t r, g, b;
};

constexpr std::array<Rgb, 16> kPalette = {{
    {1, 1, 1}, {255, 255, 255}, {137, 64, 54}, {122, 191, 199},
    {138, 70, 174}, {104, 169, 65}, {62, 49, 162}, {208, 220, 113},
    {144, 95, 37}, {92, 71, 0}, {187, 119, 109}, {85, 85, 85},
    {128, 128, 128}, {172, 234, 136}, {125, 113, 219}, {171, 171, 171},
}};
constexpr std::array<const char*, 16> kColourNames = {
    "black", "white", "red", "cyan", "magenta", "green", "blue", "yellow",
    "orange", "dkred", "pink", "dkgrey", "grey", "ltgreen", "ltblue", "ltgrey",
};

enum class KeyKind { Black, Transparent, Glyph, White, None };

constexpr int kKey = -1;  // pixel value of a transparent pixel
constexpr int kScale = 2;  // screen pixels per C64 pixel

struct Picture {
    int width = 0;
    int height = 0;
    KeyKind key = KeyKind::None;
    std::vector<int> pixels;  // palette index or kKey, rows from the top

    Picture() = default;
    Picture(int w, int h, KeyKind k, int fill) : width(w), height(h), key(k), pixels(size_t(w) * size_t(h), fill) {}
    int at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    void set(int x, int y, int v) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[size_t(y) * size_t(width) + size_t(x)] = v;
    }
};

struct Failure {
    std::string message;
};

struct Where {
    std::string file;
    int line = 0;
    std::string text() const { return file + ":" + std::to_string(line); }
};

[[noreturn]] void fail(const Where& w, const std::string& message) { throw Failure{w.text() + ": " + message}; }

std::vector<std::string> tokenize(const std::string& line, const Where& w) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        std::string tok;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
            if (line[i] == '"') {
                const size_t close = line.find('"', i + 1);
                if (close == std::string::npos) fail(w, "unclosed quote");
                tok += line.substr(i + 1, close - i - 1);
                i = close + 1;
            } else {
                tok += line[i++];
            }
        }
        out.push_back(tok);
    }
    return out;
}

int parseInt(const std::string& s, const Where& w) {
    try {
        size_t used = 0;
        const int v = std::stoi(s, &used);
        if (used != s.size()) fail(w, "not a number: " + s);
        return v;
    } catch (const std::logic_error&) {
        fail(w, "not a number: " + s);
    }
}

// A colour name or number, or "key".
int parseColour(const std::string& s, const Where& w) {
    if (s == "key") return kKey;
    for (size_t i = 0; i < kColourNames.size(); ++i)
        if (s == kColourNames[i]) return int(i);
    const int v = parseInt(s, w);
    if (v < 0 || v > 15) fail(w, "no C64 colour: " + s);
    return v;
}

KeyKind parseKeyKind(const std::string& s, const Where& w) {
    if (s == "black") return KeyKind::Black;
    if (s == "transparent") return KeyKind::Transparent;
    if (s == "glyph") return KeyKind::Glyph;
    if (s == "white") return KeyKind::White;
    if (s == "none") return KeyKind::None;
    fail(w, "unknown key kind: " + s);
}

std::optional<std::string> option(const std::string& tok, const std::string& name) {
    if (tok.size() > name.size() && tok.compare(0, name.size() + 1, name + "=") == 0) return tok.substr(name.size() + 1);
    return std::nullopt;
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::string cur;
    std::istringstream in(s);
    while (std::getline(in, cur, sep)) out.push_back(cur);
    return out;
}

struct Legend {
    KeyKind key = KeyKind::None;
    std::map<char, int> colours;
};

struct Op {
    std::string kind;  // mirror, flip, recolour, key, scroll, overlay, fill, place, text, frame
    std::vector<int> nums;
    std::string name;  // overlay/place picture, text string
    std::vector<std::pair<int, int>> recolour;
    std::vector<int> rows;  // text: colour per glyph row
    int colour = 0;
    KeyKind key = KeyKind::None;
    bool mirror = false;
    std::optional<int> fill;
    std::optional<std::array<int, 3>> shadow;  // colour, dx, dy
    Where where;
};

struct Definition {
    enum class Kind { Art, Derive, Canvas } kind = Kind::Art;
    std::string name;
    Where where;
    // Art
    std::string legend;
    std::vector<std::string> rows;
    // Derive
    std::string source;
    // Canvas
    int width = 0, height = 0, background = kKey;
    KeyKind key = KeyKind::None;
    std::vector<Op> ops;
    // Evaluation
    bool busy = false;
    std::unique_ptr<Picture> result;
};

class Generator {
public:
    void readFile(const std::string& path);
    void writeAll(const std::filesystem::path& outDir);
    const Picture& picture(const std::string& name, const Where& from);

private:
    Picture evaluate(Definition& d);
    void apply(Picture& p, const Op& op);
    void drawText(Picture& p, const Op& op, const std::string& text, int dx, int dy, bool shadow);
    Op parseOp(const std::vector<std::string>& t, size_t& i, const Where& w, bool inCanvas);
    void add(Definition d);

    std::map<std::string, Legend> legends_;
    std::vector<std::unique_ptr<Definition>> defs_;
    std::map<std::string, Definition*> byName_;
};

void Generator::add(Definition d) {
    if (byName_.count(d.name)) fail(d.where, "picture defined twice: " + d.name);
    defs_.push_back(std::make_unique<Definition>(std::move(d)));
    byName_[defs_.back()->name] = defs_.back().get();
}

Op Generator::parseOp(const std::vector<std::string>& t, size_t& i, const Where& w, bool inCanvas) {
    Op op;
    op.where = w;
    op.kind = t[i++];
    auto need = [&](size_t n) {
        if (i + n > t.size()) fail(w, "too few arguments for " + op.kind);
    };
    auto ints = [&](size_t n) {
        need(n);
        for (size_t k = 0; k < n; ++k) op.nums.push_back(parseInt(t[i++], w));
    };
    if (auto k = option(op.kind, "key"); k && !inCanvas) {
        op.kind = "key";
        op.key = parseKeyKind(*k, w);
    } else if (op.kind == "mirror" || op.kind == "flip") {
    } else if (op.kind == "recolour") {
        need(1);
        for (const auto& pair : split(t[i++], ',')) {
            const auto eq = pair.find('=');
            if (eq == std::string::npos) fail(w, "recolour needs FROM=TO pairs");
            op.recolour.emplace_back(parseColour(pair.substr(0, eq), w), parseColour(pair.substr(eq + 1), w));
        }
    } else if (op.kind == "scroll") {
        ints(6);
    } else if (op.kind == "overlay") {
        need(3);
        op.name = t[i++];
        ints(2);
    } else if (op.kind == "fill" || op.kind == "frame") {
        ints(4);
        need(1);
        op.colour = parseColour(t[i++], w);
    } else if (op.kind == "place" && inCanvas) {
        need(3);
        op.name = t[i++];
        ints(2);
        for (; i < t.size(); ++i) {
            if (auto f = option(t[i], "fill")) op.fill = parseColour(*f, w);
            else if (t[i] == "mirror") op.mirror = true;
            else fail(w, "unknown place option: " + t[i]);
        }
    } else if (op.kind == "text" && inCanvas) {
        ints(4);
        need(2);
        op.colour = parseColour(t[i++], w);
        op.name = t[i++];
        for (; i < t.size(); ++i) {
            if (auto r = option(t[i], "rows")) {
                for (const auto& c : split(*r, ',')) op.rows.push_back(parseColour(c, w));
            } else if (auto s = option(t[i], "shadow")) {
                const auto parts = split(*s, ':');
                if (parts.size() != 3) fail(w, "shadow=COLOUR:DX:DY");
                op.shadow = std::array<int, 3>{parseColour(parts[0], w), parseInt(parts[1], w), parseInt(parts[2], w)};
            } else {
                fail(w, "unknown text option: " + t[i]);
            }
        }
    } else {
        fail(w, "unknown operation: " + op.kind);
    }
    return op;
}

void Generator::readFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw Failure{path + ": cannot be read"};
    Where w{path, 0};
    std::string line;
    Definition* open = nullptr;  // art or canvas block waiting for "end"
    auto trim = [](const std::string& s) {
        const size_t a = s.find_first_not_of(" \t\r");
        if (a == std::string::npos) return std::string();
        return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
    };
    while (std::getline(in, line)) {
        ++w.line;
        const std::string body = trim(line);
        if (open) {
            if (body == "end") {
                if (open->kind == Definition::Kind::Art && open->rows.empty()) fail(w, "art without rows");
                open = nullptr;
                continue;
            }
            if (open->kind == Definition::Kind::Art) {
                if (body.empty()) fail(w, "empty art row");
                if (!open->rows.empty() && body.size() != open->rows.front().size())
                    fail(w, "art row has " + std::to_string(body.size()) + " characters, the first has " +
                                std::to_string(open->rows.front().size()));
                open->rows.push_back(body);
            } else if (!body.empty() && body[0] != '#') {
                const auto t = tokenize(body, w);
                size_t i = 0;
                open->ops.push_back(parseOp(t, i, w, true));
                if (i != t.size()) fail(w, "unexpected: " + t[i]);
            }
            continue;
        }
        if (body.empty() || body[0] == '#') continue;
        const auto t = tokenize(body, w);
        if (t[0] == "legend") {
            if (t.size() < 3) fail(w, "legend NAME key=KIND C=COLOUR...");
            Legend& l = legends_[t[1]];
            for (size_t i = 2; i < t.size(); ++i) {
                if (auto k = option(t[i], "key")) {
                    l.key = parseKeyKind(*k, w);
                } else if (t[i].size() >= 3 && t[i][1] == '=') {
                    l.colours[t[i][0]] = parseColour(t[i].substr(2), w);
                } else {
                    fail(w, "legend entry C=COLOUR expected: " + t[i]);
                }
            }
        } else if (t[0] == "art") {
            if (t.size() != 3) fail(w, "art NAME LEGEND");
            Definition d;
            d.kind = Definition::Kind::Art;
            d.name = t[1];
            d.legend = t[2];
            d.where = w;
            add(std::move(d));
            open = defs_.back().get();
        } else if (t[0] == "derive") {
            if (t.size() < 4 || t[2] != "from") fail(w, "derive NAME from SOURCE OP...");
            Definition d;
            d.kind = Definition::Kind::Derive;
            d.name = t[1];
            d.source = t[3];
            d.where = w;
            for (size_t i = 4; i < t.size();) d.ops.push_back(parseOp(t, i, w, false));
            add(std::move(d));
        } else if (t[0] == "frames") {
            if (t.size() < 6 || t[4] != "from") fail(w, "frames PATTERN FIRST LAST from SOURCE OP...");
            const int first = parseInt(t[2], w), last = parseInt(t[3], w);
            if (first < 0 || last < first || last - first > 99) fail(w, "bad frame range");
            std::vector<Op> ops;
            for (size_t i = 6; i < t.size();) ops.push_back(parseOp(t, i, w, false));
            for (int n = first; n <= last; ++n) {
                char name[256];
                std::snprintf(name, sizeof name, t[1].c_str(), n);
                Definition d;
                d.kind = Definition::Kind::Derive;
                d.name = name;
                d.source = t[5];
                d.where = w;
                d.ops = ops;
                for (Op& op : d.ops)
                    if (op.kind == "scroll") {
                        op.nums[4] *= n - first;
                        op.nums[5] *= n - first;
                    }
                add(std::move(d));
            }
        } else if (t[0] == "canvas") {
            if (t.size() < 5) fail(w, "canvas NAME WIDTH HEIGHT key=KIND [bg=COLOUR]");
            Definition d;
            d.kind = Definition::Kind::Canvas;
            d.name = t[1];
            d.width = parseInt(t[2], w);
            d.height = parseInt(t[3], w);
            if (d.width <= 0 || d.height <= 0 || d.width > 1024 || d.height > 1024) fail(w, "bad canvas size");
            d.where = w;
            bool keySet = false;
            for (size_t i = 4; i < t.size(); ++i) {
                if (auto k = option(t[i], "key")) {
                    d.key = parseKeyKind(*k, w);
                    keySet = true;
                } else if (auto b = option(t[i], "bg")) {
                    d.background = parseColour(*b, w);
                } else {
                    fail(w, "unknown canvas option: " + t[i]);
                }
            }
            if (!keySet) fail(w, "canvas needs key=KIND");
            add(std::move(d));
            open = defs_.back().get();
        } else {
            fail(w, "unknown statement: " + t[0]);
        }
    }
    if (open) fail(w, "missing end of " + open->name);
}

const Picture& Generator::picture(const std::string& name, const Where& from) {
    auto it = byName_.find(name);
    if (it == byName_.end()) fail(from, "unknown picture: " + name);
    Definition& d = *it->second;
    if (!d.result) {
        if (d.busy) fail(from, "picture made from itself: " + name);
        d.busy = true;
        d.result = std::make_unique<Picture>(evaluate(d));
        d.busy = false;
    }
    return *d.result;
}

Picture Generator::evaluate(Definition& d) {
    Picture p;
    if (d.kind == Definition::Kind::Art) {
        auto lt = legends_.find(d.legend);
        if (lt == legends_.end()) fail(d.where, "unknown legend: " + d.legend);
        const Legend& legend = lt->second;
        p = Picture(int(d.rows.front().size()), int(d.rows.size()), legend.key, kKey);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const char c = d.rows[size_t(y)][size_t(x)];
                auto ct = legend.colours.find(c);
                if (ct == legend.colours.end()) {
                    Where w = d.where;
                    w.line += 1 + y;
                    fail(w, std::string("character '") + c + "' is not in legend " + d.legend);
                }
                p.set(x, y, ct->second);
            }
    } else if (d.kind == Definition::Kind::Derive) {
        p = picture(d.source, d.where);
    } else {
        p = Picture(d.width, d.height, d.key, d.background);
    }
    for (const Op& op : d.ops) apply(p, op);
    if (p.key == KeyKind::None && std::find(p.pixels.begin(), p.pixels.end(), kKey) != p.pixels.end())
        fail(d.where, d.name + " has transparent pixels but no key colour");
    return p;
}

// Glyph picture name for a character of a text, as the editor maps them.
std::string glyphName(char c) {
    if (c >= 'A' && c <= 'Z') return std::string(1, char(c - 'A' + 'a'));
    if (c >= '0' && c <= '9') return std::string(1, c);
    switch (c) {
        case '.': return "dot";
        case '!': return "xmark";
        case '?': return "qmark";
        case ',': return "colon";
        case '-': return "dash";
        default: return "blank";
    }
}

// Glyphs mark the letter with their key; here that shape is painted as ink.
void Generator::drawText(Picture& p, const Op& op, const std::string& text, int dx, int dy, bool shadow) {
    const int sx = op.nums[2], sy = op.nums[3];
    for (size_t i = 0; i < text.size(); ++i) {
        const Picture& g = picture(glyphName(text[i]), op.where);
        const int ox = op.nums[0] + dx + int(i) * g.width * sx;
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x) {
                if (g.at(x, y) != kKey) continue;
                int ink = op.colour;
                if (shadow) ink = (*op.shadow)[0];
                else if (!op.rows.empty()) ink = op.rows[std::min(size_t(y), op.rows.size() - 1)];
                for (int yy = 0; yy < sy; ++yy)
                    for (int xx = 0; xx < sx; ++xx) p.set(ox + x * sx + xx, op.nums[1] + dy + y * sy + yy, ink);
            }
    }
}

void Generator::apply(Picture& p, const Op& op) {
    if (op.kind == "key") {
        p.key = op.key;
    } else if (op.kind == "mirror" || op.kind == "flip") {
        Picture q = p;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                q.set(x, y, op.kind == "mirror" ? p.at(p.width - 1 - x, y) : p.at(x, p.height - 1 - y));
        p = q;
    } else if (op.kind == "recolour") {
        for (int& v : p.pixels)
            for (const auto& [from, to] : op.recolour)
                if (v == from) {
                    v = to;
                    break;
                }
    } else if (op.kind == "scroll") {
        const int rx = op.nums[0], ry = op.nums[1], rw = op.nums[2], rh = op.nums[3];
        if (rx < 0 || ry < 0 || rw <= 0 || rh <= 0 || rx + rw > p.width || ry + rh > p.height)
            fail(op.where, "scroll region outside the picture");
        const Picture q = p;
        for (int y = 0; y < rh; ++y)
            for (int x = 0; x < rw; ++x) {
                const int fx = ((x - op.nums[4]) % rw + rw) % rw, fy = ((y - op.nums[5]) % rh + rh) % rh;
                p.set(rx + x, ry + y, q.at(rx + fx, ry + fy));
            }
    } else if (op.kind == "overlay" || op.kind == "place") {
        const Picture& src = picture(op.name, op.where);
        const int ox = op.nums[0], oy = op.nums[1];
        if (op.fill)
            for (int y = 0; y < src.height; ++y)
                for (int x = 0; x < src.width; ++x) p.set(ox + x, oy + y, *op.fill);
        for (int y = 0; y < src.height; ++y)
            for (int x = 0; x < src.width; ++x) {
                const int v = src.at(op.mirror ? src.width - 1 - x : x, y);
                if (v != kKey) p.set(ox + x, oy + y, v);
            }
    } else if (op.kind == "fill") {
        for (int y = 0; y < op.nums[3]; ++y)
            for (int x = 0; x < op.nums[2]; ++x) p.set(op.nums[0] + x, op.nums[1] + y, op.colour);
    } else if (op.kind == "frame") {
        const int x0 = op.nums[0], y0 = op.nums[1], w = op.nums[2], h = op.nums[3];
        for (int x = 0; x < w; ++x) {
            p.set(x0 + x, y0, op.colour);
            p.set(x0 + x, y0 + h - 1, op.colour);
        }
        for (int y = 0; y < h; ++y) {
            p.set(x0, y0 + y, op.colour);
            p.set(x0 + w - 1, y0 + y, op.colour);
        }
    } else if (op.kind == "text") {
        if (op.shadow) drawText(p, op, op.name, (*op.shadow)[1], (*op.shadow)[2], true);
        drawText(p, op, op.name, 0, 0, false);
    }
}

Rgb keyColour(KeyKind k) {
    switch (k) {
        case KeyKind::Black: return {0, 0, 0};
        case KeyKind::Transparent: return {124, 112, 218};
        case KeyKind::Glyph: return {172, 234, 136};
        case KeyKind::White: return {255, 255, 255};
        case KeyKind::None: break;
    }
    return {0, 0, 0};
}

void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// Uncompressed 24-bit BMP, rows from the bottom, each C64 pixel as 2 x 2.
std::vector<uint8_t> encodeBmp(const Picture& p) {
    const uint32_t w = uint32_t(p.width * kScale), h = uint32_t(p.height * kScale);
    const uint32_t stride = (w * 3 + 3) / 4 * 4;
    const uint32_t imageSize = stride * h;
    std::vector<uint8_t> b;
    b.reserve(54 + imageSize);
    b.push_back('B');
    b.push_back('M');
    put32(b, 54 + imageSize);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, w);
    put32(b, h);
    put16(b, 1);
    put16(b, 24);
    put32(b, 0);
    put32(b, imageSize);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, 0);
    put32(b, 0);
    const Rgb key = keyColour(p.key);
    for (uint32_t row = 0; row < h; ++row) {
        const int y = int(h - 1 - row) / kScale;
        for (uint32_t col = 0; col < w; ++col) {
            const int v = p.at(int(col) / kScale, y);
            const Rgb c = v == kKey ? key : kPalette[size_t(v)];
            b.push_back(c.b);
            b.push_back(c.g);
            b.push_back(c.r);
        }
        for (uint32_t pad = w * 3; pad < stride; ++pad) b.push_back(0);
    }
    return b;
}

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    // Leave an unchanged file alone so its time stamp stays.
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (old == bytes) return;
        }
    }
    std::filesystem::path tmp = path;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) throw Failure{tmp.string() + ": cannot be written"};
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) throw Failure{path.string() + ": cannot be written: " + ec.message()};
}

struct PngRequest {
    std::string name;
    int size = 0;
    std::string file;
};

#ifdef GRUSK_HAVE_PNG
// RGBA rows, each C64 pixel a size / width square; key pixels fully transparent.
void writePng(const Picture& p, const PngRequest& r) {
    if (p.width != p.height || r.size <= 0 || r.size % p.width != 0)
        throw Failure{r.name + ": " + std::to_string(r.size) + " px is no whole multiple of its " +
                      std::to_string(p.width) + " x " + std::to_string(p.height) + " pixels"};
    const int scale = r.size / p.width;
    std::vector<uint8_t> rgba(size_t(r.size) * size_t(r.size) * 4);
    for (int y = 0; y < r.size; ++y)
        for (int x = 0; x < r.size; ++x) {
            const int v = p.at(x / scale, y / scale);
            uint8_t* px = &rgba[(size_t(y) * size_t(r.size) + size_t(x)) * 4];
            if (v == kKey) continue;  // stays 0, 0, 0, 0
            px[0] = kPalette[size_t(v)].r;
            px[1] = kPalette[size_t(v)].g;
            px[2] = kPalette[size_t(v)].b;
            px[3] = 255;
        }
    std::filesystem::path target(r.file);
    std::error_code ec;
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
    std::filesystem::path tmp = target;
    tmp += ".tmp";
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(r.size);
    image.height = png_uint_32(r.size);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, tmp.c_str(), 0, rgba.data(), 0, nullptr))
        throw Failure{tmp.string() + ": cannot be written: " + image.message};
    std::filesystem::rename(tmp, target, ec);
    if (ec) throw Failure{target.string() + ": cannot be written: " + ec.message()};
}
#else
[[noreturn]] void writePng(const Picture&, const PngRequest& r) {
    throw Failure{r.file + ": this picturegen was built without PNG support"};
}
#endif

void Generator::writeAll(const std::filesystem::path& outDir) {
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    for (const auto& d : defs_) {
        const Picture& p = picture(d->name, d->where);
        if (d->name.empty() || d->name[0] == '_') continue;
        writeFile(outDir / (d->name + ".bmp"), encodeBmp(p));
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string outDir, stamp;
    std::vector<std::string> sources;
    std::vector<PngRequest> pngs;
    bool bad = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--out" && i + 1 < argc) {
            outDir = argv[++i];
        } else if (a == "--stamp" && i + 1 < argc) {
            stamp = argv[++i];
        } else if (a == "--png" && i + 3 < argc) {
            PngRequest r{argv[i + 1], std::atoi(argv[i + 2]), argv[i + 3]};
            if (r.size <= 0) bad = true;
            pngs.push_back(r);
            i += 3;
        } else {
            sources.push_back(a);
        }
    }
    if ((outDir.empty() && pngs.empty()) || sources.empty() || bad) {
        std::cerr << "usage: picturegen [--out DIR] [--stamp FILE] [--png NAME SIZE FILE]... SOURCE...\n";
        return 2;
    }
    try {
        Generator g;
        for (const auto& s : sources) g.readFile(s);
        if (!outDir.empty()) g.writeAll(outDir);
        for (const PngRequest& r : pngs) writePng(g.picture(r.name, Where{"--png", 0}), r);
        if (!stamp.empty()) {
            std::ofstream out(stamp, std::ios::trunc);
            out << "pictures\n";
        }
    } catch (const Failure& f) {
        std::cerr << "picturegen: " << f.message << "\n";
        return 1;
    }
    return 0;
}
