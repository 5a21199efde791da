// The castle compiler: turns the castle in memory into the game's castle
// program, and the renumbering that makes door references follow scan order.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/castle_model.h"

namespace grusk {

// Every room's record types and marks, gathered in one pass for the quiet
// compile, during which no type changes: the check, the renumbering and the
// compiler read these instead of walking the 344-byte records again and again.
// Vertical types are gathered for the castle's rooms (the leading run in use).
class CastleTypes {
public:
    explicit CastleTypes(const CastleModel& castle);
    const RoomTypes& room(int r) const { return *view_[static_cast<size_t>(r)]; }
    const RoomTypes* const* rooms() const { return view_.data(); }  // one for each room

private:
    std::unique_ptr<RoomTypes[]> rooms_;  // filled only for rooms that hold cells
    std::array<const RoomTypes*, kRooms> view_{};
    int castleRooms_ = 0;
};

// Makes every object's number its ordinal (scan order within its type) and
// translates door destinations and the player start doors. Rooms must be
// recounted (checkCastle does both). types, when given, must be current.
void renumberObjects(CastleModel& castle, const CastleTypes* types = nullptr);

// In the room's vertical layer: the type at (x, y); when it is not empty,
// *column and *top get the column and the top row of the run of that type
// holding the cell. Outside the room or on an empty cell: 255, outputs untouched.
int findRunTop(const Room& room, int x, int y, int* column, int* top);

// Appends one room's object lists and the closing $00 $00 to out.
// Expects the room recounted and renumbered. Returns the number of door
// entries and door-bell entries written, and the number of Lightning Switch
// links to a machine numbered 32 or more (which its byte cannot name),
// through the pointers (which may be null).
void compileRoom(CastleModel& castle, int room, std::vector<uint8_t>& out, int* doorEntries = nullptr,
                 int* bellEntries = nullptr, const RoomTypes* types = nullptr, int* farMachineLinks = nullptr);

// Builds the whole castle program in memory: header, room table, the rooms in
// use up to the first gap, then the first 545 bytes of endRoom. Expects the
// castle checked (recounted and renumbered). Texts of Text objects are turned
// to upper case in place. beforeRoom, when given, is called with each room
// number before that room is compiled.
// Returns nullopt and fills errors (log lines) when the program cannot be
// built: end-room data shorter than 545 bytes, a room with more than 255
// doors or door-bell links, a Lightning Switch linked to a machine after the
// 32nd, or a program longer than 34,818 bytes (past that, rooms would start
// beyond $FFFF).
std::optional<std::vector<uint8_t>> buildCastleProgram(CastleModel& castle, const std::vector<uint8_t>& endRoom,
                                                       std::vector<std::string>* errors = nullptr,
                                                       const std::function<void(int)>& beforeRoom = {},
                                                       const CastleTypes* types = nullptr);

inline constexpr const char* kEndRoomMissing = "endroom data missing";
inline constexpr const char* kFileCannotBeWritten = "File cannot be written!";
inline constexpr const char* kPrgBuilt = "PRG-file successfully built!";

// The first 545 bytes of <programFolder>/resource/endroom.bin, or nullopt
// when it is missing or short.
std::optional<std::vector<uint8_t>> readEndRoom(const std::string& programFolder);

// Where a castle program chosen in the save dialog is written: a "z" in front
// of the name unless it starts with z or Z, ".prg" appended unless present.
std::string castleProgramTarget(const std::string& chosenPath);

}  // namespace grusk
