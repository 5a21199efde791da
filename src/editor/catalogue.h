// The vocabulary of objects: names (also picture file names), storage layers,
// sizes, link rules, state cycles and popup menus.
#pragma once

#include <array>
#include <string_view>

namespace grusk {

// Object type codes (also the picture index of each type's default picture).
inline constexpr int kConveyorSwitch = 0;
inline constexpr int kConveyor = 1;
inline constexpr int kDoorBell = 2;
inline constexpr int kDoor = 3;
inline constexpr int kForceFieldSwitch = 4;
inline constexpr int kForceField = 5;
inline constexpr int kFrankenstein = 6;
inline constexpr int kKey = 7;
inline constexpr int kLock = 8;
inline constexpr int kLadder = 9;
inline constexpr int kSlidingPole = 10;
inline constexpr int kLightningSuspension = 11;
inline constexpr int kLightningSwitch = 12;
inline constexpr int kLightningMachine = 13;
inline constexpr int kMummySwitch = 14;
inline constexpr int kMummy = 15;
inline constexpr int kGunControl = 16;
inline constexpr int kGunRailLeft = 17;
inline constexpr int kGunLeft = 18;
inline constexpr int kGunRailRight = 19;
inline constexpr int kGunRight = 20;
inline constexpr int kTransmitterTarget = 21;
inline constexpr int kTransmitter = 22;
inline constexpr int kTrapSwitch = 23;
inline constexpr int kTrap = 24;
inline constexpr int kText = 25;
inline constexpr int kCamouflage = 26;
inline constexpr int kWalkway = 27;
inline constexpr int kWalkwayL = 28;
inline constexpr int kWalkwayR = 29;
inline constexpr int kWalkwayLadderL = 30;
inline constexpr int kWalkwayLadderR = 31;
inline constexpr int kWalkwayLadderM = 32;
inline constexpr int kWalkwaySlideL = 33;
inline constexpr int kWalkwaySlideR = 34;
inline constexpr int kWalkwaySlideM = 35;
inline constexpr int kExitDoor = 36;

// Further pictures.
inline constexpr int kPicConveyorLeft = 37;
inline constexpr int kPicConveyorRight = 38;
inline constexpr int kPicFrankensteinRight = 39;
inline constexpr int kPicLightningOff = 40;
inline constexpr int kPicLightningSwitchOff = 41;
inline constexpr int kPicTrapClosed = 42;
inline constexpr int kPicKeyWhite = 43;
inline constexpr int kPicLockWhite = 44;
inline constexpr int kPicGlyphA = 57;
inline constexpr int kPicGlyph0 = 83;
inline constexpr int kPicGlyphDot = 93;
inline constexpr int kPicGlyphBlank = 94;
inline constexpr int kPicGlyphExclamation = 95;
inline constexpr int kPicGlyphQuestion = 96;
inline constexpr int kPicGlyphComma = 97;
inline constexpr int kPicGlyphDash = 98;
inline constexpr int kPicConveyorSwitchLeft = 99;
inline constexpr int kPicConveyorSwitchRight = 100;
inline constexpr int kPicConveyorSwitchOff = 101;
inline constexpr int kPicTrapSwitchOpen = 102;
inline constexpr int kPicTrapSwitchClosed = 103;
inline constexpr int kPicLightningFrame1 = 104;
inline constexpr int kPicConveyorRightFrame1 = 120;
inline constexpr int kPicConveyorLeftFrame1 = 136;
inline constexpr int kPicPatch = 152;

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
