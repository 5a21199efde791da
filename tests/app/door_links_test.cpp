#include <gtest/gtest.h>

#include "gamedata/gamedata_fixture.h"

namespace grusk {
namespace {

using test::GameFixture;

TEST(Connect, DoorsAreConnectedBothWaysAcrossRooms) {
    GameFixture f;
    f.enter(0);
    f.put(kDoor, 20, 0);
    f.put(kDoor, 0, 10);  // number 1
    f.enter(4);
    f.put(kDoor, 5, 5);   // number 0
    f.enter(0);
    f.app.popupCell = {0, 10};
    startConnecting(f.app);
    EXPECT_EQ(f.app.mouseMode, kMouseConnecting);
    EXPECT_EQ(f.ui.cursors.back(), CursorShape::Connect);
    EXPECT_TRUE(f.ui.windowVisible[WindowId::SelectDoor]);
    f.enter(4);
    connectDoorAt(f.app, 6, 7);  // a covered cell of the door
    const CellRecord& d = f.room(0).object(0, 10);
    const CellRecord& e = f.room(4).object(5, 5);
    EXPECT_EQ(d.destRoom, 4);
    EXPECT_EQ(d.destDoor, 0);
    EXPECT_EQ(d.destX, 5);
    EXPECT_EQ(d.destY, 5);
    EXPECT_EQ(e.destRoom, 0);
    EXPECT_EQ(e.destDoor, 1);
    EXPECT_EQ(e.destX, 0);
    EXPECT_EQ(e.destY, 10);
    EXPECT_EQ(f.ui.messageTexts(), std::vector<std::string>{"Connected to Room 5 : Door 1"});
    EXPECT_EQ(f.app.mouseMode, kMouseNormal);
    EXPECT_FALSE(f.ui.windowVisible[WindowId::SelectDoor]);
}

TEST(Connect, TheClickedDoorLeadsToTheRoomThePendingDoorStandsIn) {
    // A door whose record names another room, as a room file of an older
    // editor brought it in.
    GameFixture f;
    f.enter(2);
    f.put(kDoor, 0, 0);
    f.at(0, 0).room = 5;
    f.app.popupCell = {0, 0};
    startConnecting(f.app);
    f.enter(4);
    f.put(kDoor, 10, 10);
    connectDoorAt(f.app, 10, 10);
    EXPECT_EQ(f.room(4).object(10, 10).destRoom, 2);
    EXPECT_EQ(f.room(2).object(0, 0).destRoom, 4);
}

TEST(Connect, ClickBesideADoorEndsTheModeSilently) {
    GameFixture f;
    f.put(kDoor, 0, 0);
    f.put(kKey, 10, 10);
    f.app.popupCell = {0, 0};
    startConnecting(f.app);
    connectDoorAt(f.app, 10, 10);
    EXPECT_EQ(f.app.mouseMode, kMouseNormal);
    EXPECT_EQ(f.ui.cursors.back(), CursorShape::Arrow);
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(f.at(0, 0).destDoor, 0);
    EXPECT_EQ(f.at(0, 0).destX, 0);

    startConnecting(f.app);  // a door may lead to itself
    connectDoorAt(f.app, 1, 1);
    EXPECT_EQ(f.ui.messageTexts(), std::vector<std::string>{"Connected to Room 1 : Door 1"});
}

TEST(Connect, KillConnectionsLeadsEveryDoorToRoomOneDoorOne) {
    GameFixture f;
    f.enter(2);
    f.put(kDoor, 0, 0);
    f.put(kDoor, 10, 0);
    for (int x : {0, 10}) {
        f.at(x, 0).destRoom = 3;
        f.at(x, 0).destDoor = 2;
        f.at(x, 0).destX = 7;
    }
    killConnections(f.app, 2);
    killConnections(f.app, 99);
    for (int x : {0, 10}) {
        EXPECT_EQ(f.at(x, 0).destRoom, 0);
        EXPECT_EQ(f.at(x, 0).destDoor, 0);
        EXPECT_EQ(f.at(x, 0).destX, 7);
    }
}

TEST(Link, RulesAndSlotLimits) {
    GameFixture f;
    f.put(kForceFieldSwitch, 0, 0);
    f.put(kForceFieldSwitch, 2, 0);
    f.put(kForceField, 4, 0);
    f.link(4, 0, 0, 1);  // a covered cell of the switch
    EXPECT_EQ(f.at(4, 0).links[0][0], 0);
    EXPECT_EQ(f.at(4, 0).links[0][1], 0);
    EXPECT_EQ(f.at(4, 0).mark, kMarkPlain);
    EXPECT_EQ(f.app.mouseMode, kMouseNormal);
    f.link(4, 0, 2, 0);  // already linked: ignored
    EXPECT_EQ(f.at(4, 0).links[0][0], 0);
    EXPECT_EQ(f.at(4, 0).links[1][0], -1);

    f.app.popupCell = {4, 0};
    unlinkObject(f.app);
    EXPECT_EQ(f.at(4, 0).mark, kMarkUnlinked);
    EXPECT_EQ(f.at(4, 0).links[0][0], -1);
    f.link(4, 0, 2, 0);
    EXPECT_EQ(f.at(4, 0).links[0][0], 2);

    f.put(kMummy, 10, 0);
    f.link(10, 0, 4, 0);  // a force field is no mummy switch
    EXPECT_EQ(f.ui.messageTexts(), std::vector<std::string>{"10 0 - 4 0"});
    EXPECT_EQ(f.at(10, 0).mark, kMarkUnlinked);
    f.link(10, 0, 30, 20);  // nothing there: no message
    EXPECT_EQ(f.ui.messageTexts().size(), 1u);
}

TEST(Link, LightningSwitchHoldsFourAndBellsMayRepeatADoor) {
    GameFixture f;
    f.put(kLightningSwitch, 0, 0);
    for (int i = 0; i < 5; ++i) {
        f.put(kLightningMachine, 3 + 4 * i, 0);
        f.link(0, 0, 3 + 4 * i, 0);
    }
    EXPECT_EQ(f.at(0, 0).usedLinkCount(), 4);
    EXPECT_EQ(f.at(0, 0).links[3][0], 15);
    EXPECT_TRUE(f.ui.messages.empty());

    f.put(kDoor, 0, 10);
    f.put(kDoorBell, 5, 10);
    f.link(5, 10, 0, 10);
    f.link(5, 10, 1, 11);
    EXPECT_EQ(f.at(5, 10).usedLinkCount(), 2);
    EXPECT_EQ(f.at(5, 10).links[1][0], 0);
    EXPECT_EQ(f.at(5, 10).links[1][1], 10);
}

TEST(Link, ConveyorSwitchShowsTheConveyorsState) {
    GameFixture f;
    f.put(kConveyor, 0, 5);
    toggleObjectState(f.app, 0, 5);
    toggleObjectState(f.app, 0, 5);  // runs right
    f.put(kConveyorSwitch, 10, 4);
    f.link(10, 4, 3, 5);
    EXPECT_EQ(f.at(10, 4).picture, kPicConveyorSwitchRight);
    EXPECT_EQ(f.at(10, 4).links[0][0], 0);
}

TEST(DoorCommands, TypeStartAndUnlinkOnlyActOnTheirObjects) {
    GameFixture f;
    f.enter(3);
    f.put(kDoor, 0, 0);
    f.put(kDoor, 10, 0);
    f.put(kKey, 20, 0);
    f.app.popupCell = {10, 0};
    setDoorType(f.app, true);
    EXPECT_EQ(f.at(10, 0).picture, kExitDoor);
    EXPECT_EQ(f.at(10, 0).variant, 1);
    setDoorType(f.app, false);
    EXPECT_EQ(f.at(10, 0).picture, kDoor);
    EXPECT_EQ(f.at(10, 0).variant, 0);
    setPlayerStart(f.app, 2);
    EXPECT_EQ(f.castle().settings.playerStartRoom[1], 3);
    EXPECT_EQ(f.castle().settings.playerStartDoor[1], 1);
    EXPECT_EQ(f.castle().settings.playerStartRoom[0], 0);

    f.app.popupCell = {20, 0};
    setDoorType(f.app, true);
    setPlayerStart(f.app, 1);
    unlinkObject(f.app);
    EXPECT_EQ(f.at(20, 0).picture, kPicKeyWhite);
    EXPECT_EQ(f.at(20, 0).mark, kMarkPlain);
    EXPECT_EQ(f.castle().settings.playerStartRoom[0], 0);

    startLinking(f.app);
    EXPECT_EQ(f.app.mouseMode, kMouseLinking);
    EXPECT_EQ(f.app.savedMouseMode, kMouseNormal);
    EXPECT_EQ(f.ui.cursors.back(), CursorShape::Link);
}

TEST(Dialogs, NumbersAreReadAsDecimals) {
    EXPECT_EQ(parseDialogNumber("12"), 12);
    EXPECT_EQ(parseDialogNumber(" -3 "), -3);
    EXPECT_EQ(parseDialogNumber("+7"), 7);
    EXPECT_EQ(parseDialogNumber(""), 0);
    EXPECT_EQ(parseDialogNumber("4x"), 0);
    EXPECT_EQ(parseDialogNumber("abc"), 0);
    EXPECT_EQ(parseDialogNumber("99999999999"), 2147483647);
}

TEST(Dialogs, DoorPropertiesShowOneBasedNumbersAndStoreZeroBased) {
    GameFixture f;
    f.put(kDoor, 5, 5);
    CellRecord& door = f.at(5, 5);
    door.destRoom = 3;
    door.destDoor = 1;
    door.direction = 2;
    door.mapX = 12;
    door.mapY = 6;
    f.app.popupCell = {5, 5};
    DoorPropertiesLogic dialog(f.app);
    ASSERT_TRUE(dialog.load());
    dialog.open();
    EXPECT_EQ(dialog.text(kDoorRoomField), "4");
    EXPECT_EQ(dialog.text(kDoorNumberField), "2");
    EXPECT_EQ(dialog.text(kDoorMapXField), "12");
    EXPECT_EQ(dialog.text(kDoorMapYField), "6");
    EXPECT_EQ(dialog.text(kDoorDirectionButton), "bottom");
    dialog.stepDirection();
    EXPECT_EQ(dialog.text(kDoorDirectionButton), "left");
    dialog.stepDirection();
    EXPECT_EQ(dialog.text(kDoorDirectionButton), "top");
    dialog.stepDirection();
    EXPECT_EQ(dialog.text(kDoorDirectionButton), "right");

    dialog.startMapPosition();
    EXPECT_TRUE(f.app.mapDoorMode);
    f.app.doorMapXEdit = 20;  // what the map click hands back
    f.app.doorMapYEdit = 0;
    f.app.doorDirectionResult = 0;
    dialog.mapPositionPicked();
    EXPECT_EQ(dialog.text(kDoorMapXField), "20");
    EXPECT_EQ(dialog.text(kDoorDirectionButton), "top");

    dialog.setText(kDoorRoomField, "0");
    dialog.setText(kDoorNumberField, "7");
    EXPECT_FALSE(DoorPropertiesLogic::closesWith(2));
    EXPECT_TRUE(DoorPropertiesLogic::closesWith(kDialogOk));
    dialog.ok();
    dialog.apply();
    EXPECT_EQ(door.destRoom, -1);
    EXPECT_EQ(door.destDoor, 6);
    EXPECT_EQ(door.mapX, 20);
    EXPECT_EQ(door.mapY, 0);
    EXPECT_EQ(door.direction, 0);

    f.app.popupCell = {20, 20};
    EXPECT_FALSE(DoorPropertiesLogic(f.app).load());
}

TEST(Dialogs, CastleSettingsStoreLowBytes) {
    GameFixture f;
    f.castle().settings.playerLives[1] = 5;
    f.castle().settings.playerStartRoom[0] = 2;
    CastleSettingsLogic dialog(f.app);
    dialog.open();
    EXPECT_EQ(dialog.text(kSettingsLives2), "5");
    EXPECT_EQ(dialog.text(kSettingsStartRoom1), "3");
    EXPECT_EQ(dialog.text(kSettingsStartDoor1), "1");
    EXPECT_EQ(dialog.text(kSettingsLives1), "3");
    dialog.setText(kSettingsStartRoom1, "0");
    dialog.setText(kSettingsStartDoor2, "258");
    dialog.setText(kSettingsLives1, "300");
    dialog.ok();
    const CastleSettings& s = f.castle().settings;
    EXPECT_EQ(s.playerStartRoom[0], 255);
    EXPECT_EQ(s.playerStartDoor[1], 1);
    EXPECT_EQ(s.playerLives[0], 44);
    EXPECT_EQ(s.playerLives[1], 5);
    EXPECT_TRUE(CastleSettingsLogic::closesWith(kDialogOk));
    EXPECT_FALSE(CastleSettingsLogic::closesWith(2));
}

}  // namespace
}  // namespace grusk
