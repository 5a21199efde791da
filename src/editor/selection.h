// Selections of many things in one room, and what can be done with them:
// moving by whole cells, deleting, copying into a fragment that can be
// written as clipboard text, and pasting a fragment back into any room.
// A selection names anchor cells per layer: object anchors of the object
// layer, single cells of ladders, poles and gun rails, walkway cells, and
// the left cells of camouflage patches.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/castle_model.h"

namespace grusk {

enum class SelectLayer : int { Object = 0, Vertical = 1, Walkway = 2, Camouflage = 3 };
inline constexpr int kSelectLayers = 4;

struct Selection {
    std::array<std::bitset<kCellsPerRoom>, kSelectLayers> cells;  // index y * 40 + x

    bool has(SelectLayer layer, int x, int y) const;
    void set(SelectLayer layer, int x, int y, bool on);
    size_t count() const;
    bool empty() const { return count() == 0; }
    void clear();
    bool operator==(const Selection&) const = default;
};

// An inclusive block of cells.
struct CellBlock {
    int left = 0, top = 0, right = -1, bottom = -1;
    bool operator==(const CellBlock&) const = default;
};

// Everything whose anchor lies in the block spanned by the two corner cells
// (any order; clipped to the room), on every layer.
Selection selectBlock(const Room& room, int x0, int y0, int x1, int y1);
Selection selectAll(const Room& room);
// Adds or removes the one thing a click at the cell picks: an object (also
// through a covered cell), else a vertical piece, else camouflage, else a
// walkway. Returns false when nothing is at the cell.
bool toggleSelectedAt(const Room& room, Selection& selection, int x, int y);
// Whether the thing a click at the cell picks is selected.
bool isSelectedAt(const Room& room, const Selection& selection, int x, int y);
// Drops the entries whose anchor no longer holds anything (after undo, a
// room change or edits by other means).
void pruneSelection(const Room& room, Selection& selection);
// The cells the selected things cover; nullopt for an empty selection.
std::optional<CellBlock> selectionBounds(const Room& room, const Selection& selection);

// Moves every selected thing by (dx, dy) cells, keeping records, numbers,
// links (those of the room that pointed at a moved object follow it) and
// door connections. Refused, changing nothing, when any part would leave the
// room or land on something of its layer that is not selected. On success
// the selection follows the things and the room is recounted and its
// walkways shaped.
bool moveSelection(CastleModel& castle, int room, Selection& selection, int dx, int dy);

// Removes every selected thing. Links of the remaining objects that named a
// removed object are freed (a source left with no link is marked unlinked).
// Returns how many things were removed.
int deleteSelection(CastleModel& castle, int room, const Selection& selection);

// A copied piece of a room: what the clipboard carries.
struct FragmentItem {
    SelectLayer layer = SelectLayer::Object;
    int dx = 0, dy = 0;   // anchor relative to the fragment's origin
    CellRecord record{};  // object and vertical layers; links in source cells
    int32_t value = 0;    // walkway piece; camouflage patch width (1 or 2)
};

struct Fragment {
    // The castle it was copied from: a token the copying editor chose, so
    // that another editor (or another castle) never takes its room for its own.
    uint64_t castleId = 0;
    int sourceRoom = -1;
    int originX = 0, originY = 0;  // source cell of the item offset (0, 0)
    int width = 0, height = 0;     // cells covered
    std::vector<FragmentItem> items;
};

Fragment copySelection(const CastleModel& castle, int room, const Selection& selection);

// The clipboard text of a fragment, and reading it back. Reading refuses
// anything that is not such a text, or that names cells, types or values a
// room cannot hold; the reason goes to *error.
std::string fragmentToText(const Fragment& fragment);
std::optional<Fragment> fragmentFromText(std::string_view text, std::string* error = nullptr);
inline constexpr std::string_view kClipboardHeader = "GruskEdit selection 1";

enum class PasteOutcome { Placed, Empty, Outside, Collides };

struct PasteResult {
    PasteOutcome outcome = PasteOutcome::Empty;
    Selection placed;     // the pasted things, when placed
    int placedCount = 0;
    int linksDropped = 0;  // links that led out of the fragment into another room
};

// Pastes the fragment with its origin at (x, y) of the room. Links between
// pasted objects point at the copies; links to objects outside the fragment
// are kept in the fragment's own room (of the castle castleId names) and
// dropped elsewhere (a source left
// with no link is marked unlinked). Pasted doors carry no connection, and
// pasted objects get numbers not yet used by their type in the room.
// Refused, changing nothing, when any part lies outside the room or on
// something of its layer. Recounts the room and shapes its walkways.
PasteResult pasteFragment(CastleModel& castle, int room, const Fragment& fragment, int x, int y,
                          uint64_t castleId = 0);

// Where a duplicate of the selection goes: the first of right of it, below
// it, left of it and above it where the copy fits; nullopt when none does.
std::optional<std::array<int, 2>> duplicateOffset(const CastleModel& castle, int room, const Fragment& fragment);

}  // namespace grusk
