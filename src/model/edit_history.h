// Undo and redo. A step records only what it changed: the cell records and
// layer values, room headers, object counts and settings it touched, each with
// its value before and after. Steps are bracketed by begin() and end(); end()
// compares the touched rooms with the copies taken at begin() and keeps the
// differences, so editing code needs no knowledge of the history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <array>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "model/castle_model.h"

namespace grusk {

class EditHistory {
public:
    static constexpr size_t kDefaultByteLimit = 64u * 1024u * 1024u;

    explicit EditHistory(size_t byteLimit = kDefaultByteLimit);
    ~EditHistory();

    // Starts a step named e.g. "Place Ladder" that may change the given rooms'
    // cells (room headers and settings are always watched). A step still open is ended first.
    void begin(const CastleModel& castle, const std::string& name, std::vector<int> rooms);
    // Ends the step; returns true when it changed something and was recorded.
    // The hover highlight (mark 1) and the dragging flag come and go with the
    // mouse: a record that differs only in them does not count as changed.
    bool end(const CastleModel& castle);
    bool inStep() const { return open_; }
    // Adds a room to the open step, copied as it is now (before the step
    // changes it); for rooms that become current while the step is open.
    void watchRoom(const CastleModel& castle, int room);
    // Names the open step after the fact and sets the room it took place in
    // (for steps whose nature is only known at their end, like mouse spans).
    void relabel(const std::string& name, int room);

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < steps_.size(); }
    std::string undoName() const;  // "" when there is nothing to undo
    std::string redoName() const;
    // Each returns the room the step took place in (to be shown), or -1 when nothing happened.
    int undo(CastleModel& castle);
    int redo(CastleModel& castle);

    void clear();
    // The unsaved-changes mark follows the history: markSaved() remembers the
    // present state; atSavedState() tells whether undo/redo came back to it.
    void markSaved();
    bool atSavedState() const;

    size_t stepCount() const { return steps_.size(); }
    size_t bytesUsed() const { return bytes_; }

private:
    struct Step;
    void apply(CastleModel& castle, const Step& step, bool forward) const;

    size_t byteLimit_;
    std::deque<std::unique_ptr<Step>> steps_;
    size_t position_ = 0;  // steps_[0..position_) are done
    size_t bytes_ = 0;
    // Every state has an id: that of the last done step, or baseId_ when none is.
    uint64_t stateId() const;
    uint64_t nextId_ = 1;
    uint64_t baseId_ = 0;
    uint64_t savedId_ = 0;

    // The open step's copies of the watched state.
    bool open_ = false;
    std::string openName_;
    int openRoom_ = 0;
    std::vector<int> openRooms_;
    std::vector<std::unique_ptr<Room>> snapshots_;  // reused between steps
    std::array<MapRect, kRooms> headerRects_{};
    std::array<int32_t, kRooms> headerColours_{};
    std::array<int32_t, kRooms> headerInUse_{};
    CastleSettings settings_;
};

}  // namespace grusk
