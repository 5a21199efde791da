// The game's castle program: a C64 program file loaded at $7800 holding a
// header, a room table and each room's object lists, followed by the fixed
// end-room data. Everything the compiler and the reader share about its
// layout lives here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace grusk {

inline constexpr int kProgramLoadAddress = 0x7800;

// Header: file offsets (the two load-address bytes come first).
inline constexpr size_t kHeaderLoadAddressOffset = 0;
inline constexpr size_t kHeaderLengthOffset = 2;     // word: length of the whole file
inline constexpr size_t kHeaderMarkerOffset = 4;     // the byte $80
inline constexpr uint8_t kHeaderMarker = 0x80;
inline constexpr size_t kHeaderStartRoomOffset[2] = {5, 6};
inline constexpr size_t kHeaderStartDoorOffset[2] = {7, 8};
inline constexpr size_t kHeaderLivesOffset[2] = {9, 10};
inline constexpr size_t kHeaderZeroArea1Offset = 11;  // 86 zero bytes
inline constexpr size_t kHeaderZeroArea1Size = 86;
inline constexpr size_t kHeaderEndRoomAddressOffset = 97;  // word: C64 address of the end-room data
inline constexpr size_t kHeaderZeroArea2Offset = 99;       // 159 zero bytes
inline constexpr size_t kHeaderZeroArea2Size = 159;
inline constexpr size_t kHeaderSize = 258;

// Room table: one 8-byte entry per room, ended by $FF (the reader also stops at $40).
inline constexpr int kRoomTableAddress = 0x7900;
inline constexpr size_t kRoomTableOffset = 258;
inline constexpr size_t kRoomEntrySize = 8;
inline constexpr size_t kRoomEntryColour = 0;
inline constexpr size_t kRoomEntryMapX = 1;
inline constexpr size_t kRoomEntryMapY = 2;
inline constexpr size_t kRoomEntryMapSize = 3;      // width << 3 | height, in map cells
inline constexpr size_t kRoomEntryDataPlus2 = 4;    // word: data address + 2
inline constexpr size_t kRoomEntryData = 6;         // word: data address
inline constexpr uint8_t kRoomTableEnd = 0xFF;
inline constexpr uint8_t kRoomTableEndAlt = 0x40;
inline constexpr int kMapCellPixels = 16;

inline constexpr size_t kEndRoomSize = 545;
// The program is loaded at $7800 and every pointer in it is 16 bits wide: a
// longer file would put room data past $FFFF, where pointers wrap.
inline constexpr size_t kMaxProgramSize = 0x10000 - kProgramLoadAddress + 2;  // 34,818 bytes
inline constexpr int kMaxCountByte = 255;         // door and door-bell count bytes

// Object lists. Each starts with the tag (code, $08); a room ends with $00 $00.
inline constexpr uint8_t kListTagHigh = 0x08;
inline constexpr int kListDoor = 3;
inline constexpr int kListWalkway = 6;
inline constexpr int kListSlide = 9;
inline constexpr int kListLadder = 12;
inline constexpr int kListDoorBell = 15;
inline constexpr int kListLightning = 18;
inline constexpr int kListForceField = 21;
inline constexpr int kListMummy = 24;
inline constexpr int kListKey = 27;
inline constexpr int kListLock = 30;
inline constexpr int kListRayGun = 36;
inline constexpr int kListTransmitter = 39;
inline constexpr int kListTrap = 42;
inline constexpr int kListConveyor = 45;
inline constexpr int kListFrankie = 48;
inline constexpr int kListText = 51;

inline constexpr int kCountedList = -1;  // framed by a count byte instead of an end byte

struct ProgramList {
    int code;
    std::string_view name;
    int endByte;    // kCountedList for the door and door-bell lists
    int entrySize;  // fixed part of an entry
};

// In the order the compiler writes them.
inline constexpr std::array<ProgramList, 16> kProgramLists{{
    {kListDoor, "door", kCountedList, 8},
    {kListWalkway, "walkway", 0x00, 3},
    {kListSlide, "slide", 0x00, 3},
    {kListLadder, "ladder", 0x00, 3},
    {kListDoorBell, "door bell", kCountedList, 3},
    {kListLightning, "lightning machine", 0x20, 8},
    {kListForceField, "force field", 0x00, 4},
    {kListMummy, "mummy", 0x00, 7},
    {kListKey, "key", 0x00, 4},
    {kListLock, "lock", 0x00, 5},
    {kListRayGun, "ray gun", 0x80, 7},
    {kListTransmitter, "transmitter", 0x00, 3},
    {kListTrap, "trap", 0x80, 5},
    {kListConveyor, "conveyor", 0x80, 5},
    {kListFrankie, "frankie", 0x80, 7},
    {kListText, "text", 0x00, 4},
}};

// The list with this code, or nullptr.
constexpr const ProgramList* programList(int code) {
    for (const ProgramList& l : kProgramLists)
        if (l.code == code) return &l;
    return nullptr;
}

// Entry bytes that the lists use.
inline constexpr uint8_t kMachineOn = 0x40, kMachineOff = 0x00;
inline constexpr uint8_t kSwitchOn = 0xC0, kSwitchOff = 0x80;
inline constexpr uint8_t kFreeSwitchSlot = 0xFF;
inline constexpr int kMachineEntryStride = 8;  // a switch names a machine by its entry offset
inline constexpr int kMaxSwitchedMachines = 32;  // machine number times 8 must fit the switch's byte
inline constexpr uint8_t kTextSingleHeight = 0x21;
inline constexpr uint8_t kCamouflageCharacter = 0xA0;  // a space with bit 7 set
inline constexpr uint8_t kLastCharacterBit = 0x80;
inline constexpr int kKeyCodeOffset = 80;
inline constexpr int kLockCodeOffset = 87;

// A room's colour is a C64 colour: only its low four bits are stored or read.
constexpr int roomColourByte(int colour) { return colour & 0x0F; }

// Cell positions as the game stores them.
constexpr int xByteOfColumn(int column) { return column * 4 + 16; }
constexpr int yByteOfRow(int row) { return row * 8; }
constexpr int columnOfXByte(int xByte) { return (xByte - 16) / 4; }
constexpr int rowOfYByte(int yByte) { return yByte >> 3; }

// File offsets and C64 addresses: offset f is loaded at $7800 + f - 2.
constexpr long c64AddressOfOffset(long offset) { return kProgramLoadAddress + offset - 2; }
constexpr long offsetOfC64Address(long address) { return address - (kProgramLoadAddress - 2); }

static_assert(c64AddressOfOffset(kRoomTableOffset) == kRoomTableAddress);
static_assert(c64AddressOfOffset(kHeaderEndRoomAddressOffset) == 0x785F);
static_assert(offsetOfC64Address(0x7909) == 267);

}  // namespace grusk
