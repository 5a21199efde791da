// The codes of the object types and of the further pictures: the words the
// castle model, the editor and the game data all share.
#pragma once

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

}  // namespace grusk
