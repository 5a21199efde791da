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

// A room's four layers of cells, 696,000 bytes.
struct RoomCells {
    std::array<CellRecord, kCellsPerRoom> objectLayer;
    std::array<CellRecord, kCellsPerRoom> verticalLayer;
    std::array<int32_t, kCellsPerRoom> walkwayLayer;
    std::array<int32_t, kCellsPerRoom> camouflageLayer;
};

// How a room without cells of its own reads: as a new castle's rooms (records
// with picture 0) or as clearing the castle leaves them (picture 255). Both
// have no objects, no walkways (255) and no camouflage (0).
enum class BlankRoom { Fresh, Cleared };

// A room holds its cells only once they are written: until then it reads as
// one of the two shared blank rooms, so a castle costs what it holds. Reading
// through a const Room never allocates; the non-const layer accessors give
// the room cells of its own first (a copy of the blank it read as).
class Room {
public:
    using RecordLayer = std::array<CellRecord, kCellsPerRoom>;
    using ValueLayer = std::array<int32_t, kCellsPerRoom>;

    Room() : view_(&blankCells(BlankRoom::Fresh)) {}
    Room(const Room& other);
    Room& operator=(const Room& other);
    Room(Room&& other) noexcept;
    Room& operator=(Room&& other) noexcept;
    ~Room() = default;

    MapRect roomMapRect;
    int32_t roomColour = 2;
    int32_t roomInUse = 0;
    std::array<int32_t, kObjectTypes> roomObjectCount{};

    // Cells are indexed y * 40 + x (scan order).
    const RecordLayer& objectLayer() const { return view().objectLayer; }
    const RecordLayer& verticalLayer() const { return view().verticalLayer; }
    const ValueLayer& walkwayLayer() const { return view().walkwayLayer; }
    const ValueLayer& camouflageLayer() const { return view().camouflageLayer; }
    RecordLayer& objectLayer() { return cells().objectLayer; }
    RecordLayer& verticalLayer() { return cells().verticalLayer; }
    ValueLayer& walkwayLayer() { return cells().walkwayLayer; }
    ValueLayer& camouflageLayer() { return cells().camouflageLayer; }

    static int index(int x, int y) { return y * kColumns + x; }
    CellRecord& object(int x, int y) { return objectLayer()[index(x, y)]; }
    const CellRecord& object(int x, int y) const { return objectLayer()[index(x, y)]; }
    CellRecord& vertical(int x, int y) { return verticalLayer()[index(x, y)]; }
    const CellRecord& vertical(int x, int y) const { return verticalLayer()[index(x, y)]; }
    int32_t& walkway(int x, int y) { return walkwayLayer()[index(x, y)]; }
    int32_t walkway(int x, int y) const { return walkwayLayer()[index(x, y)]; }
    int32_t& camouflage(int x, int y) { return camouflageLayer()[index(x, y)]; }
    int32_t camouflage(int x, int y) const { return camouflageLayer()[index(x, y)]; }

    // True once the room has cells of its own.
    bool holdsCells() const { return own_ != nullptr; }
    // The blank the room reads as while it holds no cells.
    BlankRoom blank() const { return blank_; }
    // Gives the cells back: the room reads as that blank again.
    void releaseCells(BlankRoom blank);
    // For a reader about to write the object, walkway and camouflage layers
    // in full: gives a blank room cells of its own with only the vertical
    // layer copied from the blank. The other three hold anything until written.
    void holdCellsToOverwrite();
    // The cells of that blank room.
    static const RoomCells& blankCells(BlankRoom blank);

private:
    const RoomCells& view() const { return *view_; }
    RoomCells& cells() { return own_ ? *own_ : ownCells(); }
    RoomCells& ownCells();

    // Cells come from and go back to a pool of blocks offered for huge pages:
    // touching fresh memory a page at a time costs more than the copy into it.
    struct GiveBack {
        void operator()(RoomCells* cells) const noexcept;
    };
    static std::unique_ptr<RoomCells, GiveBack> takeCells();

    std::unique_ptr<RoomCells, GiveBack> own_;
    BlankRoom blank_ = BlankRoom::Fresh;
    const RoomCells* view_;  // own_ when there, else the blank's cells
};

// The rooms' layers and header fields are the same, byte for byte.
bool sameRoom(const Room& a, const Room& b);

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

    // Rooms holding cells of their own (the others read as blank rooms).
    int roomsHoldingCells() const;
};

// Creates the castle's records once; they keep their identity for the whole
// run. Its rooms read as fresh blank rooms and hold no cells yet.
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
