#include "editor/selection.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <sstream>

#include "editor/catalogue.h"
#include "editor/room_editing.h"

namespace grusk {

namespace {

constexpr int L(SelectLayer layer) { return static_cast<int>(layer); }

struct Cell {
    int x = -1, y = -1;
};

int encodeMarker(int x, int y) { return kCoveredBase + x * 40 + y; }

// The block an object of the type covers from its anchor, at least the anchor.
Size blockOf(int type) {
    Size s = cellSize(type);
    if (s.width < 1) s.width = 1;
    if (s.height < 1) s.height = 1;
    return s;
}

// Anchor of the object-layer thing covering the cell, or (-1, -1).
Cell objectAnchor(const Room& room, int x, int y) {
    const int t = room.object(x, y).type;
    if (isCoveredMarker(t)) {
        const int index = t - kCoveredBase;
        const Cell a{index / 40, index % 40};
        if (!isInsideRoom(a.x, a.y) || !isObjectType(room.object(a.x, a.y).type)) return {};
        return a;
    }
    if (isObjectType(t)) return {x, y};
    return {};
}

// Anchor of the camouflage patch holding the cell, or (-1, -1).
Cell camouflageAnchor(const Room& room, int x, int y) {
    const int v = room.camouflage(x, y);
    if (v == 1) return {x, y};
    if (v == 2) return x > 0 && room.camouflage(x - 1, y) == 1 ? Cell{x - 1, y} : Cell{x, y};
    return {};
}

int camouflageWidth(const Room& room, int x, int y) {
    return x + 1 < kColumns && room.camouflage(x + 1, y) == 2 ? 2 : 1;
}

// The cells an item covers from its anchor.
Size itemSize(const FragmentItem& item) {
    switch (item.layer) {
        case SelectLayer::Object: return blockOf(item.record.type);
        case SelectLayer::Camouflage: return {item.value == 2 ? 2 : 1, 1};
        default: return {1, 1};
    }
}

bool occupied(const Room& room, SelectLayer layer, int x, int y) {
    switch (layer) {
        case SelectLayer::Object: return room.object(x, y).type != kEmpty;
        case SelectLayer::Vertical: return room.vertical(x, y).type != kEmpty;
        case SelectLayer::Walkway: return room.walkway(x, y) != kEmpty;
        case SelectLayer::Camouflage: return room.camouflage(x, y) != 0;
    }
    return true;
}

// Whether what occupies the cell belongs to the selection (and so moves away).
bool occupantSelected(const Room& room, const Selection& sel, SelectLayer layer, int x, int y) {
    switch (layer) {
        case SelectLayer::Object: {
            const Cell a = objectAnchor(room, x, y);
            return a.x >= 0 && sel.has(layer, a.x, a.y);
        }
        case SelectLayer::Camouflage: {
            const Cell a = camouflageAnchor(room, x, y);
            return a.x >= 0 && sel.has(layer, a.x, a.y);
        }
        default: return sel.has(layer, x, y);
    }
}

// Can every item go with the fragment's origin at (x, y)? Cells held by
// things of `moving` count as free; items may not overlap each other.
PasteOutcome checkPlace(const Room& room, const Fragment& fragment, int x, int y, const Selection* moving) {
    if (fragment.items.empty()) return PasteOutcome::Empty;
    std::array<std::bitset<kCellsPerRoom>, kSelectLayers> taken;
    for (const FragmentItem& item : fragment.items) {
        const Size s = itemSize(item);
        const int ax = x + item.dx, ay = y + item.dy;
        if (!isInsideRoom(ax, ay) || !isInsideRoom(ax + s.width - 1, ay + s.height - 1)) return PasteOutcome::Outside;
        for (int cy = ay; cy < ay + s.height; ++cy) {
            for (int cx = ax; cx < ax + s.width; ++cx) {
                const int i = Room::index(cx, cy);
                if (taken[L(item.layer)][i]) return PasteOutcome::Collides;
                taken[L(item.layer)][i] = true;
                if (occupied(room, item.layer, cx, cy) &&
                    !(moving && occupantSelected(room, *moving, item.layer, cx, cy)))
                    return PasteOutcome::Collides;
            }
        }
    }
    return PasteOutcome::Placed;
}

void clearObjectBlock(Room& room, int x, int y) {
    const CellRecord& anchor = room.object(x, y);
    const Size s = blockOf(anchor.type);
    const int marker = encodeMarker(x, y);
    for (int cy = y; cy < y + s.height; ++cy)
        for (int cx = x; cx < x + s.width; ++cx) {
            if (!isInsideRoom(cx, cy)) continue;
            CellRecord& rec = room.object(cx, cy);
            if ((cx == x && cy == y) || rec.type == marker) rec.reset();
        }
}

// Takes the things away without touching anything that refers to them.
void liftItems(Room& room, const Fragment& fragment) {
    for (const FragmentItem& item : fragment.items) {
        const int x = fragment.originX + item.dx, y = fragment.originY + item.dy;
        switch (item.layer) {
            case SelectLayer::Object: clearObjectBlock(room, x, y); break;
            case SelectLayer::Vertical: room.vertical(x, y).reset(); break;
            case SelectLayer::Walkway: room.walkway(x, y) = kEmpty; break;
            case SelectLayer::Camouflage:
                room.camouflage(x, y) = 0;
                if (item.value == 2 && x + 1 < kColumns) room.camouflage(x + 1, y) = 0;
                break;
        }
    }
}

// Writes an item with its anchor at (x, y); the cells were checked free.
void putItem(Room& room, const FragmentItem& item, int x, int y) {
    switch (item.layer) {
        case SelectLayer::Object: {
            const Size s = blockOf(item.record.type);
            const int marker = encodeMarker(x, y);
            for (int cy = y; cy < y + s.height; ++cy)
                for (int cx = x; cx < x + s.width; ++cx) {
                    CellRecord& rec = room.object(cx, cy);
                    rec.reset();
                    rec.type = marker;
                }
            CellRecord& anchor = room.object(x, y);
            anchor = item.record;
            anchor.x = x;
            anchor.y = y;
            anchor.dragging = 0;
            break;
        }
        case SelectLayer::Vertical: {
            CellRecord& rec = room.vertical(x, y);
            rec = item.record;
            rec.x = x;
            rec.y = y;
            rec.dragging = 0;
            break;
        }
        case SelectLayer::Walkway:
            // Walkway pieces are derived; shaping gives the cell its piece again.
            room.walkway(x, y) = kWalkway;
            break;
        case SelectLayer::Camouflage:
            room.camouflage(x, y) = 1;
            if (item.value == 2) room.camouflage(x + 1, y) = 2;
            break;
    }
}

// A linkable object with no link left is drawn and reported as unlinked; the
// hover highlight is not carried along.
void settleMark(CellRecord& rec) {
    if (needsLink(rec.type) && rec.usedLinkCount() == 0)
        rec.mark = kMarkUnlinked;
    else if (rec.mark == kMarkHighlighted || rec.mark == kMarkUnlinked)
        rec.mark = kMarkPlain;
}

// The smallest number its type does not yet use in the room.
int8_t freeNumber(const Room& room, int type, std::bitset<256>& used, bool& gathered) {
    if (!gathered) {
        for (const CellRecord& rec : room.objectLayer())
            if (rec.type == type) used[static_cast<size_t>(static_cast<uint8_t>(rec.number))] = true;
        gathered = true;
    }
    for (int n = 0; n < 128; ++n)
        if (!used[static_cast<size_t>(n)]) {
            used[static_cast<size_t>(n)] = true;
            return static_cast<int8_t>(n);
        }
    return 0;
}

void finishRoom(CastleModel& castle, int room) {
    recountRoom(castle, room);
    shapeWalkways(castle, room);
}

}  // namespace

bool Selection::has(SelectLayer layer, int x, int y) const {
    return isInsideRoom(x, y) && cells[static_cast<size_t>(L(layer))][static_cast<size_t>(Room::index(x, y))];
}

void Selection::set(SelectLayer layer, int x, int y, bool on) {
    if (isInsideRoom(x, y)) cells[static_cast<size_t>(L(layer))][static_cast<size_t>(Room::index(x, y))] = on;
}

size_t Selection::count() const {
    size_t n = 0;
    for (const auto& layer : cells) n += layer.count();
    return n;
}

void Selection::clear() {
    for (auto& layer : cells) layer.reset();
}

Selection selectBlock(const Room& room, int x0, int y0, int x1, int y1) {
    Selection sel;
    const int left = std::clamp(std::min(x0, x1), 0, kColumns - 1);
    const int right = std::clamp(std::max(x0, x1), 0, kColumns - 1);
    const int top = std::clamp(std::min(y0, y1), 0, kRows - 1);
    const int bottom = std::clamp(std::max(y0, y1), 0, kRows - 1);
    if (std::max(x0, x1) < 0 || std::min(x0, x1) >= kColumns || std::max(y0, y1) < 0 || std::min(y0, y1) >= kRows)
        return sel;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            if (isObjectType(room.object(x, y).type)) sel.set(SelectLayer::Object, x, y, true);
            if (room.vertical(x, y).type != kEmpty) sel.set(SelectLayer::Vertical, x, y, true);
            if (room.walkway(x, y) != kEmpty) sel.set(SelectLayer::Walkway, x, y, true);
            if (room.camouflage(x, y) == 1) sel.set(SelectLayer::Camouflage, x, y, true);
        }
    }
    return sel;
}

Selection selectAll(const Room& room) { return selectBlock(room, 0, 0, kColumns - 1, kRows - 1); }

namespace {

// What a click at the cell picks: the layer and the anchor.
std::optional<std::pair<SelectLayer, Cell>> pickAt(const Room& room, int x, int y) {
    if (!isInsideRoom(x, y)) return std::nullopt;
    if (const Cell a = objectAnchor(room, x, y); a.x >= 0) return std::make_pair(SelectLayer::Object, a);
    if (room.vertical(x, y).type != kEmpty) return std::make_pair(SelectLayer::Vertical, Cell{x, y});
    if (const Cell a = camouflageAnchor(room, x, y); a.x >= 0) return std::make_pair(SelectLayer::Camouflage, a);
    if (room.walkway(x, y) != kEmpty) return std::make_pair(SelectLayer::Walkway, Cell{x, y});
    return std::nullopt;
}

}  // namespace

bool toggleSelectedAt(const Room& room, Selection& selection, int x, int y) {
    const auto pick = pickAt(room, x, y);
    if (!pick) return false;
    const auto [layer, a] = *pick;
    selection.set(layer, a.x, a.y, !selection.has(layer, a.x, a.y));
    return true;
}

bool isSelectedAt(const Room& room, const Selection& selection, int x, int y) {
    const auto pick = pickAt(room, x, y);
    return pick && selection.has(pick->first, pick->second.x, pick->second.y);
}

void pruneSelection(const Room& room, Selection& selection) {
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
            if (selection.has(SelectLayer::Object, x, y) && !isObjectType(room.object(x, y).type))
                selection.set(SelectLayer::Object, x, y, false);
            if (selection.has(SelectLayer::Vertical, x, y) && room.vertical(x, y).type == kEmpty)
                selection.set(SelectLayer::Vertical, x, y, false);
            if (selection.has(SelectLayer::Walkway, x, y) && room.walkway(x, y) == kEmpty)
                selection.set(SelectLayer::Walkway, x, y, false);
            if (selection.has(SelectLayer::Camouflage, x, y) && room.camouflage(x, y) != 1)
                selection.set(SelectLayer::Camouflage, x, y, false);
        }
}

Fragment copySelection(const CastleModel& castle, int roomIndex, const Selection& selection) {
    Fragment fragment;
    if (!isValidRoom(roomIndex)) return fragment;
    const Room& room = castle.room(roomIndex);
    fragment.sourceRoom = roomIndex;
    std::vector<FragmentItem> items;
    int left = kColumns, top = kRows, right = -1, bottom = -1;
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kColumns; ++x) {
            for (int l = 0; l < kSelectLayers; ++l) {
                const auto layer = static_cast<SelectLayer>(l);
                if (!selection.has(layer, x, y)) continue;
                FragmentItem item;
                item.layer = layer;
                item.dx = x;
                item.dy = y;
                switch (layer) {
                    case SelectLayer::Object:
                        if (!isObjectType(room.object(x, y).type)) continue;
                        item.record = room.object(x, y);
                        break;
                    case SelectLayer::Vertical:
                        if (room.vertical(x, y).type == kEmpty) continue;
                        item.record = room.vertical(x, y);
                        break;
                    case SelectLayer::Walkway:
                        if (room.walkway(x, y) == kEmpty) continue;
                        item.value = room.walkway(x, y);
                        break;
                    case SelectLayer::Camouflage:
                        if (room.camouflage(x, y) != 1) continue;
                        item.value = camouflageWidth(room, x, y);
                        break;
                }
                const Size s = itemSize(item);
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, std::min(x + s.width, kColumns) - 1);
                bottom = std::max(bottom, std::min(y + s.height, kRows) - 1);
                items.push_back(item);
            }
        }
    }
    if (items.empty()) return fragment;
    for (FragmentItem& item : items) {
        item.dx -= left;
        item.dy -= top;
    }
    fragment.originX = left;
    fragment.originY = top;
    fragment.width = right - left + 1;
    fragment.height = bottom - top + 1;
    fragment.items = std::move(items);
    return fragment;
}

std::optional<CellBlock> selectionBounds(const Room& room, const Selection& selection) {
    int left = kColumns, top = kRows, right = -1, bottom = -1;
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x)
            for (int l = 0; l < kSelectLayers; ++l) {
                const auto layer = static_cast<SelectLayer>(l);
                if (!selection.has(layer, x, y)) continue;
                Size s{1, 1};
                if (layer == SelectLayer::Object) s = blockOf(room.object(x, y).type);
                if (layer == SelectLayer::Camouflage) s.width = camouflageWidth(room, x, y);
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, std::min(x + s.width, kColumns) - 1);
                bottom = std::max(bottom, std::min(y + s.height, kRows) - 1);
            }
    if (right < 0) return std::nullopt;
    return CellBlock{left, top, right, bottom};
}

bool moveSelection(CastleModel& castle, int roomIndex, Selection& selection, int dx, int dy) {
    if (!isValidRoom(roomIndex)) return false;
    Room& room = castle.room(roomIndex);
    const Fragment fragment = copySelection(castle, roomIndex, selection);
    if (fragment.items.empty()) return false;
    if (dx == 0 && dy == 0) return true;
    const int tx = fragment.originX + dx, ty = fragment.originY + dy;
    if (checkPlace(room, fragment, tx, ty, &selection) != PasteOutcome::Placed) return false;

    liftItems(room, fragment);
    Selection moved;
    std::map<int, int> anchors;  // old object anchor index -> new
    for (const FragmentItem& item : fragment.items) {
        const int x = tx + item.dx, y = ty + item.dy;
        putItem(room, item, x, y);
        moved.set(item.layer, x, y, true);
        if (item.layer == SelectLayer::Object)
            anchors[Room::index(fragment.originX + item.dx, fragment.originY + item.dy)] = Room::index(x, y);
    }
    // Links name anchor cells: those of the moved objects follow them.
    for (CellRecord& rec : room.objectLayer()) {
        if (!isObjectType(rec.type)) continue;
        for (auto& link : rec.links) {
            if (!isInsideRoom(link[0], link[1])) continue;
            const auto it = anchors.find(Room::index(link[0], link[1]));
            if (it == anchors.end()) continue;
            link[0] = it->second % kColumns;
            link[1] = it->second / kColumns;
        }
    }
    selection = moved;
    finishRoom(castle, roomIndex);
    return true;
}

int deleteSelection(CastleModel& castle, int roomIndex, const Selection& selection) {
    if (!isValidRoom(roomIndex)) return 0;
    Room& room = castle.room(roomIndex);
    const Fragment fragment = copySelection(castle, roomIndex, selection);
    if (fragment.items.empty()) return 0;
    liftItems(room, fragment);
    std::bitset<kCellsPerRoom> gone;
    for (const FragmentItem& item : fragment.items)
        if (item.layer == SelectLayer::Object)
            gone[static_cast<size_t>(Room::index(fragment.originX + item.dx, fragment.originY + item.dy))] = true;
    for (CellRecord& rec : room.objectLayer()) {
        if (!isObjectType(rec.type)) continue;
        bool freed = false;
        for (auto& link : rec.links) {
            if (!isInsideRoom(link[0], link[1]) || !gone[static_cast<size_t>(Room::index(link[0], link[1]))]) continue;
            link[0] = link[1] = -1;
            freed = true;
        }
        if (freed) settleMark(rec);
    }
    finishRoom(castle, roomIndex);
    return static_cast<int>(fragment.items.size());
}

PasteResult pasteFragment(CastleModel& castle, int roomIndex, const Fragment& fragment, int x, int y,
                          uint64_t castleId) {
    PasteResult result;
    if (!isValidRoom(roomIndex)) {
        result.outcome = PasteOutcome::Outside;
        return result;
    }
    Room& room = castle.room(roomIndex);
    result.outcome = checkPlace(room, fragment, x, y, nullptr);
    if (result.outcome != PasteOutcome::Placed) return result;

    std::map<std::pair<int, int>, std::pair<int, int>> copies;  // source anchor -> pasted anchor
    for (const FragmentItem& item : fragment.items)
        if (item.layer == SelectLayer::Object)
            copies[{fragment.originX + item.dx, fragment.originY + item.dy}] = {x + item.dx, y + item.dy};
    const bool sameRoom = fragment.sourceRoom == roomIndex && fragment.castleId == castleId;

    std::map<int, std::pair<std::bitset<256>, bool>> numbers;  // per type: used numbers, gathered
    for (const FragmentItem& item : fragment.items) {
        FragmentItem placed = item;
        CellRecord& rec = placed.record;
        if (item.layer == SelectLayer::Object || item.layer == SelectLayer::Vertical) {
            rec.room = roomIndex;
            rec.dragging = 0;
        }
        if (item.layer == SelectLayer::Object) {
            for (auto& link : rec.links) {
                if (link[0] == -1) continue;
                if (const auto it = copies.find({link[0], link[1]}); it != copies.end()) {
                    link[0] = it->second.first;
                    link[1] = it->second.second;
                } else if (!sameRoom) {
                    link[0] = link[1] = -1;
                    ++result.linksDropped;
                }
            }
            if (rec.type == kDoor) {
                // A copy is a new door: it leads nowhere until it is connected.
                rec.destRoom = rec.destDoor = rec.destX = rec.destY = 0;
            }
            auto& [used, gathered] = numbers[rec.type];
            rec.number = freeNumber(room, rec.type, used, gathered);
            settleMark(rec);
        }
        putItem(room, placed, x + item.dx, y + item.dy);
        result.placed.set(item.layer, x + item.dx, y + item.dy, true);
        ++result.placedCount;
    }
    finishRoom(castle, roomIndex);
    return result;
}

std::optional<std::array<int, 2>> duplicateOffset(const CastleModel& castle, int roomIndex, const Fragment& fragment) {
    if (!isValidRoom(roomIndex) || fragment.items.empty()) return std::nullopt;
    const Room& room = castle.room(roomIndex);
    const int w = fragment.width, h = fragment.height;
    const std::array<std::array<int, 2>, 4> offsets{{{w, 0}, {0, h}, {-w, 0}, {0, -h}}};
    for (const auto& o : offsets)
        if (checkPlace(room, fragment, fragment.originX + o[0], fragment.originY + o[1], nullptr) ==
            PasteOutcome::Placed)
            return o;
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// Clipboard text.
//
// A plain text of lines, so that a selection can travel between two running
// editors (and be read or written by hand):
//
//   GruskEdit selection 1
//   from <room> <originX> <originY> <width> <height> <castle>
//   object <dx> <dy> <key>=<value> ...
//   vertical <dx> <dy> <key>=<value> ...
//   walkway <dx> <dy> <piece>
//   camouflage <dx> <dy> <width>
//   end
//
// <room> is the 0-based room the selection was copied from, (originX,
// originY) the cell of its top-left corner there, width and height the cells
// it covers; <castle> is the copying editor's token for its castle (16 hex
// digits). Each item line gives its anchor relative to that corner. Object
// and vertical lines carry the record's fields as keys, all decimal:
//   type, picture, variant, number, colour, colourcode, length, room, mark
//   dest=<room>,<door>,<x>,<y>     map=<mapX>,<mapY>,<direction>
//   links=<slot>:<x>,<y>;...       used link slots, source room cells
//   extra=<16 values>              only when one differs from -1
//   text=<hex bytes>               only when the record has a text
// Keys not listed are ignored; "end" closes the text, so a cut-off text is
// refused. Walkway lines give the piece (27..35), camouflage lines the patch
// width (1 or 2).
// ---------------------------------------------------------------------------

namespace {

void writeRecord(std::ostringstream& out, const CellRecord& r) {
    out << " type=" << r.type << " picture=" << r.picture << " variant=" << r.variant << " number=" << int(r.number)
        << " colour=" << r.colour << " colourcode=" << r.colourCode << " length=" << r.length << " room=" << r.room
        << " mark=" << r.mark << " dest=" << r.destRoom << ',' << r.destDoor << ',' << r.destX << ',' << r.destY
        << " map=" << r.mapX << ',' << r.mapY << ',' << r.direction;
    bool anyLink = false;
    for (int s = 0; s < kLinkSlots; ++s) {
        if (r.links[s][0] == -1 && r.links[s][1] == -1) continue;
        out << (anyLink ? ";" : " links=") << s << ':' << r.links[s][0] << ',' << r.links[s][1];
        anyLink = true;
    }
    if (std::any_of(std::begin(r.extra), std::end(r.extra), [](int32_t v) { return v != -1; })) {
        out << " extra=";
        for (int i = 0; i < kExtraValues; ++i) out << (i ? "," : "") << r.extra[i];
    }
    const std::string text = recordText(r);
    if (!text.empty()) {
        static const char* hex = "0123456789abcdef";
        out << " text=";
        for (unsigned char c : text) out << hex[c >> 4] << hex[c & 15];
    }
}

std::vector<std::string_view> split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        const size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    return parts;
}

bool toInt(std::string_view s, int64_t& out) {
    if (s.empty()) return false;
    if (s.front() == '+') return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

bool toInt32(std::string_view s, int32_t& out, int64_t lo = INT32_MIN, int64_t hi = INT32_MAX) {
    int64_t v = 0;
    if (!toInt(s, v) || v < lo || v > hi) return false;
    out = static_cast<int32_t>(v);
    return true;
}

bool toInts(std::string_view s, char sep, std::vector<int32_t>& out, size_t count) {
    const auto parts = split(s, sep);
    if (parts.size() != count) return false;
    out.assign(count, 0);
    for (size_t i = 0; i < count; ++i)
        if (!toInt32(parts[i], out[i])) return false;
    return true;
}

bool linkCell(int32_t x, int32_t y) { return (x == -1 && y == -1) || isInsideRoom(x, y); }

// Reads the key=value fields of an object or vertical line into a clean record.
bool readRecord(const std::vector<std::string_view>& words, size_t first, CellRecord& r, std::string& why) {
    r.reset();
    r.picture = -1;
    bool haveType = false;
    for (size_t w = first; w < words.size(); ++w) {
        const std::string_view word = words[w];
        const size_t eq = word.find('=');
        if (eq == std::string_view::npos) {
            why = "a field without a value";
            return false;
        }
        const std::string_view key = word.substr(0, eq), value = word.substr(eq + 1);
        std::vector<int32_t> v;
        bool ok = true;
        if (key == "type") {
            ok = toInt32(value, r.type, 0, kObjectTypes - 1);
            haveType = ok;
        } else if (key == "picture") {
            // 255: vertical pieces are drawn by their type and keep the cleared picture.
            ok = toInt32(value, r.picture, 0, kEmpty) && (r.picture < kObjectTypes || r.picture == kEmpty);
        } else if (key == "variant") {
            ok = toInt32(value, r.variant, 0, 2);
        } else if (key == "number") {
            int32_t n = 0;
            ok = toInt32(value, n, -128, 127);
            r.number = static_cast<int8_t>(n);
        } else if (key == "colour") {
            ok = toInt32(value, r.colour, 0, 15);
        } else if (key == "colourcode") {
            ok = toInt32(value, r.colourCode);
        } else if (key == "length") {
            ok = toInt32(value, r.length, 0, kRows);
        } else if (key == "room") {
            ok = toInt32(value, r.room);
        } else if (key == "mark") {
            ok = toInt32(value, r.mark, 0, 2);
        } else if (key == "dest") {
            ok = toInts(value, ',', v, 4);
            if (ok) r.destRoom = v[0], r.destDoor = v[1], r.destX = v[2], r.destY = v[3];
        } else if (key == "map") {
            ok = toInts(value, ',', v, 3);
            if (ok) r.mapX = v[0], r.mapY = v[1], r.direction = v[2];
        } else if (key == "links") {
            for (std::string_view entry : split(value, ';')) {
                const size_t colon = entry.find(':');
                int32_t slot = 0;
                ok = colon != std::string_view::npos && toInt32(entry.substr(0, colon), slot, 0, kLinkSlots - 1) &&
                     toInts(entry.substr(colon + 1), ',', v, 2) && linkCell(v[0], v[1]);
                if (!ok) break;
                r.links[slot][0] = v[0];
                r.links[slot][1] = v[1];
            }
        } else if (key == "extra") {
            ok = toInts(value, ',', v, kExtraValues);
            if (ok) std::copy(v.begin(), v.end(), r.extra);
        } else if (key == "text") {
            ok = value.size() % 2 == 0 && value.size() / 2 < size_t(kTextSize);
            std::string text;
            for (size_t i = 0; ok && i < value.size(); i += 2) {
                int64_t byte = 0;
                const auto [end, ec] = std::from_chars(value.data() + i, value.data() + i + 2, byte, 16);
                ok = ec == std::errc() && end == value.data() + i + 2 && byte != 0;
                text.push_back(static_cast<char>(byte));
            }
            if (ok) setRecordText(r, text);
        }
        if (!ok) {
            why = "a bad value for " + std::string(key);
            return false;
        }
    }
    if (!haveType) {
        why = "an item without a type";
        return false;
    }
    if (r.picture == -1) r.picture = r.type;
    return true;
}

}  // namespace

std::string fragmentToText(const Fragment& fragment) {
    std::ostringstream out;
    out << kClipboardHeader << '\n';
    out << "from " << fragment.sourceRoom << ' ' << fragment.originX << ' ' << fragment.originY << ' '
        << fragment.width << ' ' << fragment.height << ' ';
    {
        static const char* hex = "0123456789abcdef";
        for (int shift = 60; shift >= 0; shift -= 4) out << hex[(fragment.castleId >> shift) & 15];
    }
    out << '\n';
    for (const FragmentItem& item : fragment.items) {
        switch (item.layer) {
            case SelectLayer::Object:
            case SelectLayer::Vertical:
                out << (item.layer == SelectLayer::Object ? "object " : "vertical ") << item.dx << ' ' << item.dy;
                writeRecord(out, item.record);
                break;
            case SelectLayer::Walkway: out << "walkway " << item.dx << ' ' << item.dy << ' ' << item.value; break;
            case SelectLayer::Camouflage: out << "camouflage " << item.dx << ' ' << item.dy << ' ' << item.value; break;
        }
        out << '\n';
    }
    out << "end\n";
    return out.str();
}

std::optional<Fragment> fragmentFromText(std::string_view text, std::string* error) {
    auto fail = [&](const std::string& why, size_t line) -> std::optional<Fragment> {
        if (error) *error = line ? "line " + std::to_string(line) + ": " + why : why;
        return std::nullopt;
    };
    // Nothing a room can hold comes near this; longer texts are something else.
    if (text.size() > 4u * 1024u * 1024u) return fail("the text is far too long for a selection", 0);
    std::vector<std::string_view> lines = split(text, '\n');
    for (auto& line : lines)
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lines.empty() || lines[0] != kClipboardHeader) return fail("not a GruskEdit selection", 0);
    if (lines.size() < 2) return fail("the text ends early", 0);

    Fragment fragment;
    {
        const auto words = split(lines[1], ' ');
        int32_t v[5];
        uint64_t token = 0;
        if (words.size() != 7 || words[0] != "from" || words[6].size() != 16 ||
            std::from_chars(words[6].data(), words[6].data() + 16, token, 16).ptr != words[6].data() + 16 || !toInt32(words[1], v[0], -1, kRooms - 1) ||
            !toInt32(words[2], v[1], 0, kColumns - 1) || !toInt32(words[3], v[2], 0, kRows - 1) ||
            !toInt32(words[4], v[3], 0, kColumns) || !toInt32(words[5], v[4], 0, kRows))
            return fail("a bad \"from\" line", 2);
        fragment.castleId = token;
        fragment.sourceRoom = v[0];
        fragment.originX = v[1];
        fragment.originY = v[2];
        fragment.width = v[3];
        fragment.height = v[4];
    }
    bool ended = false;
    for (size_t i = 2; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (ended) {
            if (!line.empty()) return fail("text after \"end\"", i + 1);
            continue;
        }
        if (line == "end") {
            ended = true;
            continue;
        }
        const auto words = split(line, ' ');
        FragmentItem item;
        if (words.size() < 3) return fail("a short line", i + 1);
        if (words[0] == "object") item.layer = SelectLayer::Object;
        else if (words[0] == "vertical") item.layer = SelectLayer::Vertical;
        else if (words[0] == "walkway") item.layer = SelectLayer::Walkway;
        else if (words[0] == "camouflage") item.layer = SelectLayer::Camouflage;
        else return fail("an unknown item \"" + std::string(words[0].substr(0, 20)) + "\"", i + 1);
        if (!toInt32(words[1], item.dx, 0, kColumns - 1) || !toInt32(words[2], item.dy, 0, kRows - 1))
            return fail("a cell outside the room", i + 1);
        if (fragment.items.size() >= size_t(kSelectLayers) * kCellsPerRoom) return fail("too many items", i + 1);
        std::string why;
        switch (item.layer) {
            case SelectLayer::Object:
                if (!readRecord(words, 3, item.record, why)) return fail(why, i + 1);
                if (isVerticalType(item.record.type)) return fail("a vertical piece given as an object", i + 1);
                break;
            case SelectLayer::Vertical:
                if (!readRecord(words, 3, item.record, why)) return fail(why, i + 1);
                if (!isVerticalType(item.record.type)) return fail("an object given as a vertical piece", i + 1);
                break;
            case SelectLayer::Walkway:
                if (words.size() != 4 || !toInt32(words[3], item.value, kWalkway, kWalkwaySlideM))
                    return fail("a bad walkway piece", i + 1);
                break;
            case SelectLayer::Camouflage:
                if (words.size() != 4 || !toInt32(words[3], item.value, 1, 2))
                    return fail("a bad camouflage width", i + 1);
                break;
        }
        fragment.items.push_back(item);
    }
    if (!ended) return fail("the text ends early", 0);
    if (fragment.items.empty()) return fail("the selection is empty", 0);
    return fragment;
}

}  // namespace grusk
