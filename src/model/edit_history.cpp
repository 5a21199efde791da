#include "model/edit_history.h"

#include <algorithm>
#include <cstring>

namespace grusk {

namespace {

enum class IntLayer : uint8_t { Walkway, Camouflage };

struct RecordChange {
    uint8_t room;
    bool vertical;
    uint16_t cell;
    CellRecord before;
    CellRecord after;
};

struct IntChange {
    uint8_t room;
    IntLayer layer;
    uint16_t cell;
    int32_t before;
    int32_t after;
};

struct HeaderChange {
    uint8_t room;
    MapRect rectBefore, rectAfter;
    int32_t colourBefore, colourAfter;
    int32_t inUseBefore, inUseAfter;
};

struct CountChange {
    uint8_t room;
    std::array<int32_t, kObjectTypes> before, after;
};

bool sameRecord(const CellRecord& a, const CellRecord& b) {
    if (std::memcmp(&a, &b, sizeof(CellRecord)) == 0) return true;
    // The hover highlight and the dragging flag are not edits. The highlight
    // hides whatever mark the record had, so it matches any mark.
    if (a.mark != b.mark && a.mark != kMarkHighlighted && b.mark != kMarkHighlighted) return false;
    CellRecord x = a, y = b;
    x.mark = y.mark = kMarkPlain;
    x.dragging = y.dragging = 0;
    return std::memcmp(&x, &y, sizeof(CellRecord)) == 0;
}

}  // namespace

struct EditHistory::Step {
    uint64_t id = 0;
    std::string name;
    int room = 0;
    std::vector<RecordChange> records;
    std::vector<IntChange> values;
    std::vector<HeaderChange> headers;
    std::vector<CountChange> counts;
    bool settingsChanged = false;
    CastleSettings settingsBefore, settingsAfter;

    bool empty() const {
        return records.empty() && values.empty() && headers.empty() && counts.empty() && !settingsChanged;
    }
    size_t bytes() const {
        return sizeof(Step) + name.size() + records.size() * sizeof(RecordChange) + values.size() * sizeof(IntChange) +
               headers.size() * sizeof(HeaderChange) + counts.size() * sizeof(CountChange);
    }
};

EditHistory::EditHistory(size_t byteLimit) : byteLimit_(byteLimit) {}
EditHistory::~EditHistory() = default;

void EditHistory::begin(const CastleModel& castle, const std::string& name, std::vector<int> rooms) {
    if (open_) end(castle);
    rooms.erase(std::remove_if(rooms.begin(), rooms.end(), [](int r) { return !isValidRoom(r); }), rooms.end());
    std::sort(rooms.begin(), rooms.end());
    rooms.erase(std::unique(rooms.begin(), rooms.end()), rooms.end());
    while (snapshots_.size() < rooms.size()) snapshots_.push_back(std::make_unique<Room>());
    for (size_t i = 0; i < rooms.size(); ++i) *snapshots_[i] = castle.room(rooms[i]);
    for (int r = 0; r < kRooms; ++r) {
        headerRects_[r] = castle.room(r).roomMapRect;
        headerColours_[r] = castle.room(r).roomColour;
        headerInUse_[r] = castle.room(r).roomInUse;
    }
    settings_ = castle.settings;
    openName_ = name;
    openRoom_ = castle.currentRoom;
    openRooms_ = std::move(rooms);
    open_ = true;
}

void EditHistory::watchRoom(const CastleModel& castle, int room) {
    if (!open_ || !isValidRoom(room)) return;
    if (std::find(openRooms_.begin(), openRooms_.end(), room) != openRooms_.end()) return;
    if (snapshots_.size() <= openRooms_.size()) snapshots_.push_back(std::make_unique<Room>());
    *snapshots_[openRooms_.size()] = castle.room(room);
    openRooms_.push_back(room);
}

void EditHistory::relabel(const std::string& name, int room) {
    if (!open_) return;
    openName_ = name;
    if (isValidRoom(room)) openRoom_ = room;
}

bool EditHistory::end(const CastleModel& castle) {
    if (!open_) return false;
    open_ = false;
    auto step = std::make_unique<Step>();
    step->name = openName_;
    step->room = openRoom_;
    for (size_t i = 0; i < openRooms_.size(); ++i) {
        const int r = openRooms_[i];
        const Room& before = *snapshots_[i];
        const Room& after = castle.room(r);
        const Room::RecordLayer& objectsBefore = before.objectLayer();
        const Room::RecordLayer& objectsAfter = after.objectLayer();
        const Room::RecordLayer& verticalsBefore = before.verticalLayer();
        const Room::RecordLayer& verticalsAfter = after.verticalLayer();
        const Room::ValueLayer& walkwaysBefore = before.walkwayLayer();
        const Room::ValueLayer& walkwaysAfter = after.walkwayLayer();
        const Room::ValueLayer& patchesBefore = before.camouflageLayer();
        const Room::ValueLayer& patchesAfter = after.camouflageLayer();
        for (int c = 0; c < kCellsPerRoom; ++c) {
            if (!sameRecord(objectsBefore[c], objectsAfter[c]))
                step->records.push_back({uint8_t(r), false, uint16_t(c), objectsBefore[c], objectsAfter[c]});
            if (!sameRecord(verticalsBefore[c], verticalsAfter[c]))
                step->records.push_back({uint8_t(r), true, uint16_t(c), verticalsBefore[c], verticalsAfter[c]});
            if (walkwaysBefore[c] != walkwaysAfter[c])
                step->values.push_back({uint8_t(r), IntLayer::Walkway, uint16_t(c), walkwaysBefore[c], walkwaysAfter[c]});
            if (patchesBefore[c] != patchesAfter[c])
                step->values.push_back({uint8_t(r), IntLayer::Camouflage, uint16_t(c), patchesBefore[c], patchesAfter[c]});
        }
        if (before.roomObjectCount != after.roomObjectCount)
            step->counts.push_back({uint8_t(r), before.roomObjectCount, after.roomObjectCount});
    }
    for (int r = 0; r < kRooms; ++r) {
        const Room& room = castle.room(r);
        const MapRect& a = room.roomMapRect;
        const MapRect& b = headerRects_[r];
        if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom ||
            room.roomColour != headerColours_[r] || room.roomInUse != headerInUse_[r])
            step->headers.push_back({uint8_t(r), b, a, headerColours_[r], room.roomColour, headerInUse_[r],
                                     room.roomInUse});
    }
    if (std::memcmp(&settings_, &castle.settings, sizeof settings_) != 0) {
        step->settingsChanged = true;
        step->settingsBefore = settings_;
        step->settingsAfter = castle.settings;
    }
    if (step->empty()) return false;

    // A new step drops everything that could have been redone.
    while (steps_.size() > position_) {
        bytes_ -= steps_.back()->bytes();
        steps_.pop_back();
    }
    step->id = nextId_++;
    bytes_ += step->bytes();
    steps_.push_back(std::move(step));
    position_ = steps_.size();
    // Keep within the byte limit, oldest first, but always the newest step.
    while (bytes_ > byteLimit_ && steps_.size() > 1) {
        baseId_ = steps_.front()->id;
        bytes_ -= steps_.front()->bytes();
        steps_.pop_front();
        --position_;
    }
    return true;
}

void EditHistory::apply(CastleModel& castle, const Step& step, bool forward) const {
    for (const RecordChange& c : step.records) {
        Room& room = castle.room(c.room);
        (c.vertical ? room.verticalLayer() : room.objectLayer())[c.cell] = forward ? c.after : c.before;
    }
    for (const IntChange& c : step.values) {
        Room& room = castle.room(c.room);
        (c.layer == IntLayer::Walkway ? room.walkwayLayer() : room.camouflageLayer())[c.cell] = forward ? c.after : c.before;
    }
    for (const HeaderChange& c : step.headers) {
        Room& room = castle.room(c.room);
        room.roomMapRect = forward ? c.rectAfter : c.rectBefore;
        room.roomColour = forward ? c.colourAfter : c.colourBefore;
        room.roomInUse = forward ? c.inUseAfter : c.inUseBefore;
    }
    for (const CountChange& c : step.counts) castle.room(c.room).roomObjectCount = forward ? c.after : c.before;
    if (step.settingsChanged) castle.settings = forward ? step.settingsAfter : step.settingsBefore;
}

std::string EditHistory::undoName() const { return canUndo() ? steps_[position_ - 1]->name : std::string(); }
std::string EditHistory::redoName() const { return canRedo() ? steps_[position_]->name : std::string(); }

int EditHistory::undo(CastleModel& castle) {
    if (open_) end(castle);
    if (!canUndo()) return -1;
    const Step& step = *steps_[--position_];
    apply(castle, step, false);
    return step.room;
}

int EditHistory::redo(CastleModel& castle) {
    if (open_) end(castle);
    if (!canRedo()) return -1;
    const Step& step = *steps_[position_++];
    apply(castle, step, true);
    return step.room;
}

void EditHistory::clear() {
    steps_.clear();
    position_ = 0;
    bytes_ = 0;
    open_ = false;
    baseId_ = nextId_++;
    savedId_ = baseId_;
}

uint64_t EditHistory::stateId() const { return position_ > 0 ? steps_[position_ - 1]->id : baseId_; }

void EditHistory::markSaved() { savedId_ = stateId(); }

// Ids are never reused, so a saved state whose steps were dropped is never reached again.
bool EditHistory::atSavedState() const { return stateId() == savedId_; }

}  // namespace grusk
