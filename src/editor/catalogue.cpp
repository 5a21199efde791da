#include "editor/catalogue.h"

namespace grusk {

const std::array<std::string_view, 153> objectTypeNames = {
    "Conveyor Switch", "Conveyor", "Door Bell", "Door", "Force Field Switch", "Force Field",
    "Frankenstein", "Key", "Lock", "Ladder", "Sliding Pole", "Lightning Suspension",
    "Lightning Switch", "Lightning Machine", "Mummy Switch", "Mummy", "Gun Control",
    "Gun Rail (left)", "Gun (left)", "Gun Rail (right)", "Gun (right)", "Transmitter Target",
    "Transmitter", "Trap Switch", "Trap", "Text", "Camouflage", "Walkway", "Walkway (l)",
    "Walkway (r)", "Walkway Ladder (l)", "Walkway Ladder (r)", "Walkway Ladder (m)",
    "Walkway Slide (l)", "Walkway Slide (r)", "Walkway Slide (m)", "Exit Door",
    // 37..42
    "Conveyor (left)", "Conveyor (right)", "Frankenstein (right)", "Lightning (off)",
    "Lightning Switch (off)", "Trap (closed)",
    // 43..56
    "Key_w", "Lock_w", "Key_r", "Lock_r", "Key_c", "Lock_c", "Key_m", "Lock_m", "Key_g", "Lock_g",
    "Key_b", "Lock_b", "Key_y", "Lock_y",
    // 57..82
    "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q", "r", "s",
    "t", "u", "v", "w", "x", "y", "z",
    // 83..98
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "dot", "blank", "xmark", "qmark", "colon",
    "dash",
    // 99..103
    "conveyor Switch_left", "conveyor Switch_right", "conveyor Switch_off", "trap switch_open",
    "trap switch_closed",
    // 104..119
    "Lightning Machine_01", "Lightning Machine_02", "Lightning Machine_03", "Lightning Machine_04",
    "Lightning Machine_05", "Lightning Machine_06", "Lightning Machine_07", "Lightning Machine_08",
    "Lightning Machine_09", "Lightning Machine_10", "Lightning Machine_11", "Lightning Machine_12",
    "Lightning Machine_13", "Lightning Machine_14", "Lightning Machine_15", "Lightning Machine_16",
    // 120..135
    "Conveyor_r01", "Conveyor_r02", "Conveyor_r03", "Conveyor_r04", "Conveyor_r05", "Conveyor_r06",
    "Conveyor_r07", "Conveyor_r08", "Conveyor_r09", "Conveyor_r10", "Conveyor_r11", "Conveyor_r12",
    "Conveyor_r13", "Conveyor_r14", "Conveyor_r15", "Conveyor_r16",
    // 136..151
    "Conveyor_l01", "Conveyor_l02", "Conveyor_l03", "Conveyor_l04", "Conveyor_l05", "Conveyor_l06",
    "Conveyor_l07", "Conveyor_l08", "Conveyor_l09", "Conveyor_l10", "Conveyor_l11", "Conveyor_l12",
    "Conveyor_l13", "Conveyor_l14", "Conveyor_l15", "Conveyor_l16",
    // 152
    "Patch",
};

const std::array<std::string_view, 16> c64ColourNames = {
    "black", "white", "red", "cyan", "magenta", "green", "blue", "yellow",
    "orange", "dkred", "pink", "dkgrey", "grey", "ltgreen", "ltblue", "ltgrey",
};

std::string_view objectTypeName(int i) {
    return i >= 0 && i < 153 ? objectTypeNames[static_cast<size_t>(i)] : std::string_view{};
}

Layer storageLayer(int type) {
    if (isVerticalType(type)) return Layer::Vertical;
    if (type == kCamouflage) return Layer::Camouflage;
    if (type >= kWalkway && type <= kWalkwaySlideM) return Layer::Walkway;
    if (type >= 0 && type < 153) return Layer::Object;
    return Layer::None;
}

namespace {

Size designedCells(int i) {
    switch (i) {
        case 0: case 99: case 100: case 101: return {2, 2};
        case 1: case 37: case 38: return {8, 1};
        case 2: case 4: case 8: case 12: case 41: case 14: case 16: case 23: case 102: case 103:
            return {1, 2};
        case 3: case 36: return {3, 3};
        case 5: return {1, 4};
        case 6: case 39: case 15: case 22: return {2, 3};
        case 7: case 18: case 20: case 21: case 24: case 42: case 25: return {2, 1};
        case 13: case 40: return {3, 4};
        default: break;
    }
    if (i >= 43 && i <= 56) return (i % 2 == 1) ? Size{2, 1} : Size{1, 2};  // keys odd, locks even
    if (i >= 57 && i <= 98) return {2, 1};                                  // glyphs
    if (i >= 104 && i <= 119) return {3, 4};
    if (i >= 120 && i <= 151) return {8, 1};
    if (i >= 0 && i < 153) return {1, 1};
    return {};
}

struct SizeTable {
    std::array<Size, 153> pixels;
    SizeTable() { reset(); }
    void reset() {
        for (int i = 0; i < 153; ++i) {
            const Size c = designedCells(i);
            pixels[static_cast<size_t>(i)] = {c.width * 16, c.height * 16};
        }
    }
};

SizeTable& sizeTable() {
    static SizeTable table;
    return table;
}

}  // namespace

Size designedCellSize(int i) { return designedCells(i); }

Size pictureSize(int i) {
    if (i < 0 || i >= 153) return {};
    return sizeTable().pixels[static_cast<size_t>(i)];
}

Size cellSize(int type) {
    const Size p = pictureSize(type);
    if (p.width < 0) return {};
    return {p.width / 16, p.height / 16};
}

void setLoadedPictureSize(int i, int width, int height) {
    // A damaged file must not make an object cover more than a room.
    if (i < 0 || i >= 153 || width < 0 || height < 0 || width > 640 || height > 400) return;
    sizeTable().pixels[static_cast<size_t>(i)] = {width, height};
}

void resetPictureSizes() { sizeTable().reset(); }

bool isVerticalType(int type) {
    return type == kLadder || type == kSlidingPole || type == kGunRailLeft || type == kGunRailRight;
}

bool needsLink(int type) { return linkRuleFor(type) != nullptr; }

int keyLockPicture(int type, int colour) { return type + 36 + 2 * (colour - 1); }

int colourFromCommand(int commandId) { return commandId - 1283; }

int glyphPicture(char c) {
    if (c >= 'A' && c <= 'Z') return kPicGlyphA + (c - 'A');
    if (c >= '0' && c <= '9') return kPicGlyph0 + (c - '0');
    switch (c) {
        case '.': return kPicGlyphDot;
        case '!': return kPicGlyphExclamation;
        case '?': return kPicGlyphQuestion;
        case ',': return kPicGlyphComma;
        case '-': return kPicGlyphDash;
        default: return kPicGlyphBlank;
    }
}

int popupMenuOf(int type) {
    switch (type) {
        case kConveyorSwitch: case kDoorBell: case kForceField: case kLightningSwitch: case kMummy:
        case kGunControl: case kTransmitter: case kTrap:
            return kMenuLinkable;
        case kDoor: return kMenuDoor;
        case kKey: return kMenuKey;
        case kLock: return kMenuLock;
        case kText: return kMenuText;
        default: return 0;
    }
}

namespace {

constexpr std::array<LinkRule, 9> kLinkRules = {{
    {kConveyorSwitch, kConveyor, -1, 1},
    {kDoorBell, kDoor, -1, 16},
    {kForceField, kForceFieldSwitch, -1, 1},
    {kLock, kDoor, -1, 16},
    {kLightningSwitch, kLightningMachine, -1, 4},
    {kMummy, kMummySwitch, -1, 1},
    {kGunControl, kGunLeft, kGunRight, 1},
    {kTransmitter, kTransmitterTarget, -1, 16},
    {kTrap, kTrapSwitch, -1, 1},
}};

constexpr MenuItem kColourItems[] = {
    {"white", 1284}, {"red", 1285}, {"cyan", 1286}, {"magenta", 1287},
    {"green", 1288}, {"blue", 1289}, {"yellow", 1290},
};
constexpr MenuItem kDoorTypeItems[] = {{"Normal Door", kCmdNormalDoor}, {"Exit Door", kCmdExitDoor}};

constexpr MenuItem kMenu190[] = {{"Link ...", kCmdLink}, {"Unlink", kCmdUnlink}};
constexpr MenuItem kMenu196[] = {
    {"Door Type", 0, kDoorTypeItems, 2}, {"Edit Door ...", kCmdEditDoor},
    {"Connect ...", kCmdConnect}, {"Set Map Position ...", kCmdSetMapPosition},
    {"Player 1 Start", kCmdPlayer1Start}, {"Player 2 Start", kCmdPlayer2Start},
};
constexpr MenuItem kMenu197[] = {
    {"Link ...", kCmdLink}, {"Unlink", kCmdUnlink}, {"", 0}, {"Set Color", 0, kColourItems, 7},
};
constexpr MenuItem kMenu200[] = {
    {"Room #60", kCmdRoom60}, {"Room #50", kCmdRoom50}, {"Room #40", kCmdRoom40},
    {"Room #30", kCmdRoom30}, {"Room #20", kCmdRoom20}, {"Room #10", kCmdRoom10},
    {"Room #1", kCmdRoom1},
};
constexpr MenuItem kMenu202[] = {
    {"Edit Text...", kCmdEditText}, {"Double height", kCmdDoubleHeight}, {"", 0},
    {"Set Color", 0, kColourItems, 7},
};

constexpr MenuDef kPopup190{"", kMenu190, 2};
constexpr MenuDef kPopup196{"", kMenu196, 6};
constexpr MenuDef kPopup197{"", kMenu197, 4};
constexpr MenuDef kPopup198{"", kColourItems, 7};
constexpr MenuDef kPopup200{"", kMenu200, 7};
constexpr MenuDef kPopup202{"", kMenu202, 4};

constexpr MenuItem kFileItems[] = {
    {"New", kCmdNew}, {"Load Castle...", kCmdLoadCastle}, {"Save Castle...", kCmdSaveCastle},
    {"Save to D64...", kCmdSaveToD64}, {"Load Project...", kCmdLoadProject},
    {"Save Project...", kCmdSaveProject}, {"Exit", kCmdExit},
};
constexpr MenuItem kEditItems[] = {
    {"Cut", kCmdCut}, {"Copy", kCmdCopy}, {"Paste", kCmdPaste}, {"Duplicate", kCmdDuplicate},
    {"Delete", kCmdDeleteSelection}, {"Select All", kCmdSelectAll}, {"", 0},
    {"Import Room...", kCmdImportRoom}, {"Export Room...", kCmdExportRoom},
    {"Kill Connections", kCmdKillConnections}, {"Clear Room", kCmdClearRoom},
    {"Castle Settings...", kCmdCastleSettings},
};
constexpr MenuItem kRoomItems[] = {
    {"Duplicate Room", kCmdDuplicateRoom}, {"Move Room Up", kCmdMoveRoomUp},
    {"Move Room Down", kCmdMoveRoomDown}, {"Swap With Room...", kCmdSwapWithRoom},
};
constexpr MenuItem kViewItems[] = {
    {"Show Grid", kCmdShowGrid}, {"Show Mapper", kCmdShowMapper}, {"Show Links", kCmdShowLinks},
    {"Label Map", kCmdLabelMap}, {"Problems", kCmdShowProblems},  {"Inspector", kCmdShowInspector},
};
constexpr MenuItem kOptionsItems[] = {
    {"D64 Manager", kCmdD64Manager}, {"Check for Errors", kCmdCheckErrors},
    {"Test Castle", kCmdTestCastle},
};
constexpr MenuItem kHelpItems[] = {{"About GruskEdit", kCmdAbout}, {"Help", kCmdHelp}};

constexpr MenuDef kMainMenus[] = {
    {"File", kFileItems, 7}, {"Edit", kEditItems, 12}, {"Room", kRoomItems, 4}, {"View", kViewItems, 6},
    {"Options", kOptionsItems, 3}, {"Help", kHelpItems, 2},
};

}  // namespace

const LinkRule* linkRuleFor(int sourceType) {
    for (const LinkRule& rule : kLinkRules)
        if (rule.source == sourceType) return &rule;
    return nullptr;
}

bool linkAllowed(int sourceType, int targetType) {
    const LinkRule* rule = linkRuleFor(sourceType);
    return rule && (rule->target == targetType || (rule->target2 >= 0 && rule->target2 == targetType));
}

const MenuDef* popupMenuDef(int menuId) {
    switch (menuId) {
        case kMenuLinkable: return &kPopup190;
        case kMenuDoor: return &kPopup196;
        case kMenuLock: return &kPopup197;
        case kMenuKey: return &kPopup198;
        case kMenuRoomChoice: return &kPopup200;
        case kMenuText: return &kPopup202;
        default: return nullptr;
    }
}

const MenuDef* mainMenuDefs(int* count) {
    if (count) *count = 6;
    return kMainMenus;
}

}  // namespace grusk
