// The vocabulary of objects: names (also picture file names), storage layers,
// sizes, link rules, state cycles and popup menus.
#pragma once

#include <array>
#include <string_view>

#include "model/object_types.h"

namespace grusk {

constexpr int kPaletteTypes = 28;  // the object list offers types 0..27

extern const std::array<std::string_view, 153> objectTypeNames;

// Name of picture index i, or "" outside 0..152.
std::string_view objectTypeName(int i);

enum class Layer { Object, Vertical, Walkway, Camouflage, None };
Layer storageLayer(int type);

struct Size {
    int width = -1;
    int height = -1;
    bool operator==(const Size&) const = default;
};

// Pixel size of picture i; (-1, -1) outside 0..152. Comes from the built-in
// table until picture files are loaded, then from their headers.
Size pictureSize(int i);
// Cells covered by a type's default picture; (-1, -1) outside 0..152.
Size cellSize(int type);
// The size every shipped picture must have, in cells.
Size designedCellSize(int i);
// Called by picture loading with a file's header size. Absurd sizes are ignored.
void setLoadedPictureSize(int i, int width, int height);
void resetPictureSizes();

bool isVerticalType(int type);
bool needsLink(int type);
int keyLockPicture(int type, int colour);
int colourFromCommand(int commandId);  // 1284..1290 -> 1..7
int glyphPicture(char c);
int popupMenuOf(int type);  // 0 = none

// Which object may link to which, and how many slots it uses.
struct LinkRule {
    int source;
    int target;
    int target2;  // second accepted target or -1
    int slots;
};
const LinkRule* linkRuleFor(int sourceType);  // nullptr when the type is no source
bool linkAllowed(int sourceType, int targetType);

// Popup menu and command ids.
inline constexpr int kMenuLinkable = 190;
inline constexpr int kMenuDoor = 196;
inline constexpr int kMenuLock = 197;
inline constexpr int kMenuKey = 198;
inline constexpr int kMenuRoomChoice = 200;
inline constexpr int kMenuMain = 201;
inline constexpr int kMenuText = 202;

inline constexpr int kCmdNew = 204;
inline constexpr int kCmdLoadCastle = 237;
inline constexpr int kCmdSaveCastle = 1219;
inline constexpr int kCmdSaveToD64 = 246;
inline constexpr int kCmdLoadProject = 1223;
inline constexpr int kCmdSaveProject = 1221;
inline constexpr int kCmdExit = 1220;
inline constexpr int kCmdImportRoom = 1217;
inline constexpr int kCmdExportRoom = 1218;
inline constexpr int kCmdKillConnections = 254;
inline constexpr int kCmdClearRoom = 1204;
inline constexpr int kCmdCastleSettings = 207;
inline constexpr int kCmdShowGrid = 225;
inline constexpr int kCmdShowMapper = 1229;
// The castle's structure at a glance (View menu).
inline constexpr int kCmdShowLinks = 1601;
inline constexpr int kCmdLabelMap = 1602;
inline constexpr int kCmdShowProblems = 1603;
inline constexpr int kCmdShowInspector = 1604;
inline constexpr int kCmdD64Manager = 209;
inline constexpr int kCmdCheckErrors = 223;
inline constexpr int kCmdTestCastle = 252;
inline constexpr int kCmdAbout = 212;
inline constexpr int kCmdHelp = 224;
inline constexpr int kCmdObjectList = 1206;
inline constexpr int kCmdColourWhite = 1284;
inline constexpr int kCmdColourYellow = 1290;
inline constexpr int kCmdLink = 131;
inline constexpr int kCmdUnlink = 249;
inline constexpr int kCmdNormalDoor = 137;
inline constexpr int kCmdExitDoor = 135;
inline constexpr int kCmdEditDoor = 154;
inline constexpr int kCmdConnect = 210;
inline constexpr int kCmdSetMapPosition = 255;
inline constexpr int kCmdPlayer1Start = 247;
inline constexpr int kCmdPlayer2Start = 248;
inline constexpr int kCmdEditText = 234;
inline constexpr int kCmdDoubleHeight = 235;
inline constexpr int kCmdRoom60 = 242;
inline constexpr int kCmdRoom50 = 241;
inline constexpr int kCmdRoom40 = 240;
inline constexpr int kCmdRoom30 = 239;
inline constexpr int kCmdRoom20 = 1318;
inline constexpr int kCmdRoom10 = 1308;
inline constexpr int kCmdRoom1 = 1299;
inline constexpr int kCmdPrevRoom = 1254;
inline constexpr int kCmdRoomButton = 1256;
inline constexpr int kCmdNextRoom = 1253;
inline constexpr int kCmdFirstRoom = 1258;
inline constexpr int kCmdLastRoom = 1257;

// Selections (Edit menu and keys) and whole rooms (Room menu).
inline constexpr int kCmdCut = 1401;
inline constexpr int kCmdCopy = 1402;
inline constexpr int kCmdPaste = 1403;           // at the copied cells (menu)
inline constexpr int kCmdPasteAtPointer = 1404;  // under the pointer (Ctrl+V)
inline constexpr int kCmdDuplicate = 1405;
inline constexpr int kCmdDeleteSelection = 1406;
inline constexpr int kCmdSelectAll = 1407;
inline constexpr int kCmdSelectNone = 1408;  // Esc
inline constexpr int kCmdNudgeLeft = 1409;   // arrow keys
inline constexpr int kCmdNudgeRight = 1410;
inline constexpr int kCmdNudgeUp = 1411;
inline constexpr int kCmdNudgeDown = 1412;
inline constexpr int kCmdDuplicateRoom = 1421;
inline constexpr int kCmdMoveRoomUp = 1422;
inline constexpr int kCmdMoveRoomDown = 1423;
inline constexpr int kCmdSwapWithRoom = 1424;

// A menu item: id 0 with an empty label is a separator; a non-empty submenu
// label with submenu items makes a popup entry.
struct MenuItem {
    std::string_view label;
    int id;
    const MenuItem* submenu = nullptr;
    int submenuSize = 0;
};
struct MenuDef {
    std::string_view title;
    const MenuItem* items;
    int size;
};
// The popup menus 190, 196, 197, 198, 200 and 202; nullptr for other ids.
const MenuDef* popupMenuDef(int menuId);
// The main menu's six menus in order (File, Edit, Room, View, Options, Help).
const MenuDef* mainMenuDefs(int* count);

extern const std::array<std::string_view, 16> c64ColourNames;

}  // namespace grusk
