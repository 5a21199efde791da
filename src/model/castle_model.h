// The one castle the editor holds in memory: 64 rooms of 40 x 25 cells in four
// layers, the per-room map data and the players' start settings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace grusk {

constexpr int kRooms = 64;
constexpr int kColumns = 40;
constexpr int kRows = 25;
constexpr int kCellsPerRoom = kColumns * kRows;
constexpr int kObjectTypes = 153;  // picture indexes 0..152
constexpr int kLinkSlots = 16;
constexpr int kExtraValues = 16;
constexpr int kTextSize = 64;      // including the terminator
constexpr int kMaxTextLength = 20; // what the editor accepts
constexpr int kEmpty = 255;        // type of an empty cell, walkway value of no walkway
constexpr int kCoveredBase = 1000; // covered cells hold 1000 + anchorX * 40 + anchorY

// Field layout is the 344-byte record image of the project and room files
// (little-endian host assumed), so a record can be copied to disk as it is.
struct CellRecord {
    int32_t type;
    int32_t dragging;
    int32_t mark;
    int32_t picture;
    int32_t extra[kExtraValues];
    int32_t typeCount;
    int32_t ordinal;
    int32_t x;
    int32_t y;
    int32_t mapX;
    int32_t mapY;
    int32_t destRoom;
    int32_t destDoor;
    int32_t destX;
    int32_t destY;
    int32_t variant;
    int32_t direction;
    int32_t length;
    int32_t links[kLinkSlots][2];
    int32_t room;
    int32_t colour;
    int32_t colourCode;
    char text[kTextSize];
    int8_t number;
    uint8_t padding[3];
    int32_t next;  // always 0: the editor never chains records

    // All bytes 0, then type 255, every extra -1, every link (-1, -1).
    // picture is left 0 (as a room clear does); callers set it when needed.
    void reset();
    bool hasLink(int slot) const { return links[slot][0] != -1; }
    int usedLinkCount() const;
};
static_assert(sizeof(CellRecord) == 344, "CellRecord must match the file image");

enum Mark : int32_t { kMarkPlain = 0, kMarkHighlighted = 1, kMarkUnlinked = 2 };

struct MapRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct Room {
    // Cells are indexed y * 40 + x (scan order); use the accessors.
    std::array<CellRecord, kCellsPerRoom> objectLayer;
    std::array<CellRecord, kCellsPerRoom> verticalLayer;
    std::array<int32_t, kCellsPerRoom> walkwayLayer;
    std::array<int32_t, kCellsPerRoom> camouflageLayer;
    MapRect roomMapRect;
    int32_t roomColour = 2;
    int32_t roomInUse = 0;
    std::array<int32_t, kObjectTypes> roomObjectCount{};

    static int index(int x, int y) { return y * kColumns + x; }
    CellRecord& object(int x, int y) { return objectLayer[index(x, y)]; }
    const CellRecord& object(int x, int y) const { return objectLayer[index(x, y)]; }
    CellRecord& vertical(int x, int y) { return verticalLayer[index(x, y)]; }
    const CellRecord& vertical(int x, int y) const { return verticalLayer[index(x, y)]; }
    int32_t& walkway(int x, int y) { return walkwayLayer[index(x, y)]; }
    int32_t walkway(int x, int y) const { return walkwayLayer[index(x, y)]; }
    int32_t& camouflage(int x, int y) { return camouflageLayer[index(x, y)]; }
    int32_t camouflage(int x, int y) const { return camouflageLayer[index(x, y)]; }
};

// One value of each pair for player 1 (index 0) and player 2 (index 1).
struct CastleSettings {
    uint8_t playerStartRoom[2] = {0, 0};
    uint8_t playerStartDoor[2] = {0, 0};
    uint8_t playerLives[2] = {3, 3};
};

struct CastleModel {
    std::array<Room, kRooms> rooms;
    CastleSettings settings;
    int currentRoom = 0;
    std::string castleTitle = "<NO CASTLE LOADED>";

    Room& room(int r) { return rooms[static_cast<size_t>(r)]; }
    const Room& room(int r) const { return rooms[static_cast<size_t>(r)]; }
    Room& current() { return rooms[static_cast<size_t>(currentRoom)]; }
    const Room& current() const { return rooms[static_cast<size_t>(currentRoom)]; }

    // The castle is one block of 44 MB: it is placed on 2 MiB boundaries and
    // offered to the system for huge pages, which makes touching it for the
    // first time several times faster and the walks over all rooms cheaper.
    static void* operator new(std::size_t size);
    static void operator delete(void* block) noexcept;
};

// Creates the castle's records once; they keep their identity for the whole run.
std::unique_ptr<CastleModel> allocateCells();

inline bool isInsideRoom(int x, int y) { return x >= 0 && x < kColumns && y >= 0 && y < kRows; }
inline bool isValidRoom(int r) { return r >= 0 && r < kRooms; }
inline bool isObjectType(int t) { return t >= 0 && t < kObjectTypes; }
inline bool isCoveredMarker(int t) { return t >= kCoveredBase; }

// Model-level clearing; the application-level clearCastle (caption, selectRoom)
// lives in app_state.h and calls this.
void clearCastleRecords(CastleModel& castle);
void clearRoom(CastleModel& castle, int room);
// The room's records and layers as clearing the castle leaves them (records
// reset with picture 255, no walkways or camouflage, counts 0); its colour,
// map rectangle and in-use flag stay.
void resetRoomRecords(CastleModel& castle, int room);
void recountRoom(CastleModel& castle, int room);
// Empties every covered-cell marker whose anchor lies outside the room or
// holds no object: such a marker covers nothing (a damaged file, a forced overlap).
void dropStaleMarkers(Room& room);

// The types and marks of a room's records, gathered in one pass for work that
// looks at many cells but changes no type: a record is 344 bytes, so reading
// a field of every record loads a cache line per cell.
struct RoomTypes {
    std::array<int32_t, kCellsPerRoom> object;    // objectLayer types, index y * 40 + x
    std::array<int32_t, kCellsPerRoom> mark;      // objectLayer marks
    std::array<int32_t, kCellsPerRoom> vertical;  // verticalLayer types
};
void gatherRoomTypes(const Room& room, RoomTypes& out);
// recountRoom with the room's types already gathered; they must be current.
void recountRoom(CastleModel& castle, int room, const RoomTypes& types);
int countObjects(const CastleModel& castle, int room, int type);

// Number of rooms in the leading run of rooms in use (the castle's rooms).
int roomsInUseRun(const CastleModel& castle);

enum class CellField : int {
    Type = 0, Mark, Picture, Extra, TypeCount, Ordinal, X, Y, MapX, MapY, DestRoom, DestDoor,
    DestXY, Variant, Direction, Length, Links, Room, Colour, ColourCode, Text, Number
};
constexpr int kCellFieldCount = 22;

// Reads one objectLayer field; index selects the extra value or link slot;
// pair fields return the first value and put the second into *second.
int getCellField(const CastleModel& castle, int room, int x, int y, int field, int index = 0,
                 int* second = nullptr);
void setCellField(CastleModel& castle, int room, int x, int y, int field, int value, int index = 0,
                  int second = 0);
std::string getCellText(const CastleModel& castle, int room, int x, int y);
void setCellText(CastleModel& castle, int room, int x, int y, const std::string& text);

// The text of a record as a string, stopping at the terminator or the record's end.
std::string recordText(const CellRecord& record);
void setRecordText(CellRecord& record, const std::string& text);

}  // namespace grusk
