// Connecting doors, linking objects, the door commands and the two dialogs' logic.
#include <gtest/gtest.h>

#include "gamedata/gamedata_fixture.h"

namespace grusk {
namespace {

using test::GameFixture;

TEST(Connect, DoorsAreConnectedBothWaysAndAClickBesideADoorEndsSilently) {
    GameFixture f;
    f.put(kDoor, 20, 0);
    f.put(kDoor, 0, 10);  // number 1
    f.at(0, 10).room = 5;  // as a room file of an older editor brought it in
    f.enter(4);
    f.put(kDoor, 5, 5);
    f.enter(0);
    f.app.popupCell = {0, 10};
    startConnecting(f.app);
    EXPECT_TRUE(f.ui.windowVisible[WindowId::SelectDoor]);
    f.enter(4);
    connectDoorAt(f.app, 6, 7);  // a covered cell of the door
    const CellRecord& d = f.room(0).object(0, 10);
    const CellRecord& e = f.room(4).object(5, 5);
    EXPECT_EQ(std::vector<int>({d.destRoom, d.destDoor, d.destX, d.destY}), std::vector<int>({4, 0, 5, 5}));
    // The clicked door leads to the room the pending door stands in, not to its record's room.
    EXPECT_EQ(std::vector<int>({e.destRoom, e.destDoor, e.destX, e.destY}), std::vector<int>({0, 1, 0, 10}));
    EXPECT_EQ(f.ui.messageTexts(), std::vector<std::string>{"Connected to Room 5 : Door 1"});
    EXPECT_FALSE(f.ui.windowVisible[WindowId::SelectDoor]);

    f.put(kKey, 20, 20);
    f.app.popupCell = {5, 5};
    startConnecting(f.app);
    connectDoorAt(f.app, 20, 20);
    EXPECT_TRUE(f.app.mouseMode == kMouseNormal && f.ui.messages.size() == 1u);
    startConnecting(f.app);  // a door may lead to itself
    connectDoorAt(f.app, 6, 6);
    EXPECT_EQ(f.ui.messageTexts().back(), "Connected to Room 5 : Door 1");

    // Kill Connections leads every door of the room to room 1, door 1.
    killConnections(f.app, 0);
    killConnections(f.app, 99);
    EXPECT_EQ(std::vector<int>({d.destRoom, d.destDoor, d.destX}), std::vector<int>({0, 0, 5}));
}

TEST(Link, RulesAndSlotLimits) {
    GameFixture f;
    for (int x : {0, 2}) f.put(kForceFieldSwitch, x, 0);
    f.put(kForceField, 4, 0);
    f.link(4, 0, 0, 1);  // a covered cell of the switch
    EXPECT_EQ(f.at(4, 0).links[0][1], 0);
    f.link(4, 0, 2, 0);  // already linked: ignored
    EXPECT_EQ(f.at(4, 0).links[1][0], -1);
    f.app.popupCell = {4, 0};
    unlinkObject(f.app);
    EXPECT_EQ(f.at(4, 0).links[0][0], -1);

    f.put(kMummy, 10, 0);
    f.link(10, 0, 4, 0);  // a force field is no mummy switch
    EXPECT_EQ(f.ui.messageTexts(), std::vector<std::string>{"10 0 - 4 0"});
    f.link(10, 0, 30, 20);  // nothing there: no message
    EXPECT_EQ(f.ui.messageTexts().size(), 1u);

    f.enter(1);
    f.put(kLightningSwitch, 0, 0);  // holds four
    for (int i = 0; i < 5; ++i) {
        f.put(kLightningMachine, 3 + 4 * i, 0);
        f.link(0, 0, 3 + 4 * i, 0);
    }
    EXPECT_EQ(f.at(0, 0).links[3][0], 15);
    f.put(kDoor, 0, 10);  // a bell may name one door twice
    f.put(kDoorBell, 5, 10);
    f.link(5, 10, 0, 10);
    f.link(5, 10, 1, 11);
    EXPECT_EQ(f.at(5, 10).links[1][0], 0);
    f.enter(2);
    f.put(kConveyor, 0, 5);
    toggleObjectState(f.app, 0, 5);
    toggleObjectState(f.app, 0, 5);  // runs right
    f.put(kConveyorSwitch, 10, 4);
    f.link(10, 4, 3, 5);
    EXPECT_EQ(f.at(10, 4).picture, kPicConveyorSwitchRight);
}

TEST(DoorCommands, TypeStartAndUnlinkOnlyActOnTheirObjects) {
    GameFixture f;
    f.enter(3);
    f.put(kDoor, 0, 0);
    f.put(kDoor, 10, 0);
    f.put(kKey, 20, 0);
    f.app.popupCell = {10, 0};
    setDoorType(f.app, true);
    EXPECT_EQ(std::make_pair(f.at(10, 0).picture, f.at(10, 0).variant), std::make_pair(kExitDoor, 1));
    setDoorType(f.app, false);
    EXPECT_EQ(f.at(10, 0).picture, kDoor);
    setPlayerStart(f.app, 2);
    f.app.popupCell = {20, 0};
    setDoorType(f.app, true);
    setPlayerStart(f.app, 1);
    unlinkObject(f.app);
    EXPECT_EQ(f.at(20, 0).picture, kPicKeyWhite);
    const CastleSettings& s = f.castle().settings;
    EXPECT_EQ(std::vector<int>({s.playerStartRoom[0], s.playerStartRoom[1], s.playerStartDoor[1]}),
              std::vector<int>({0, 3, 1}));
}

TEST(Dialogs, NumbersAreReadAsDecimals) {
    const std::pair<const char*, int> cases[] = {{" -3 ", -3}, {"+7", 7}, {"4x", 0}, {"99999999999", 2147483647}};
    for (const auto& [text, value] : cases) EXPECT_EQ(parseDialogNumber(text), value) << text;
}

// The fields shown are proven on the window's dialogs, the map position with undo; here what is stored.
TEST(Dialogs, DoorPropertiesStoreZeroBasedAndStepTheDirection) {
    GameFixture f;
    f.put(kDoor, 5, 5);
    CellRecord& door = f.at(5, 5);
    door.direction = 2;
    f.app.popupCell = {5, 5};
    DoorPropertiesLogic dialog(f.app);
    ASSERT_TRUE(dialog.load());
    dialog.open();
    for (const char* next : {"bottom", "left", "top", "right"}) {
        EXPECT_EQ(dialog.text(kDoorDirectionButton), next);
        dialog.stepDirection();
    }
    dialog.stepDirection();
    dialog.setText(kDoorRoomField, "0");
    dialog.setText(kDoorNumberField, "7");
    dialog.ok();
    dialog.apply();
    EXPECT_EQ(std::vector<int>({door.destRoom, door.destDoor, door.direction}), std::vector<int>({-1, 6, 3}));
    f.app.popupCell = {20, 20};
    EXPECT_FALSE(DoorPropertiesLogic(f.app).load());
}

TEST(Dialogs, CastleSettingsStoreLowBytes) {
    GameFixture f;
    f.castle().settings.playerLives[1] = 5;
    CastleSettingsLogic dialog(f.app);
    dialog.open();
    dialog.setText(kSettingsStartRoom1, "0");
    dialog.setText(kSettingsStartDoor2, "258");
    dialog.setText(kSettingsLives1, "300");
    dialog.ok();
    const CastleSettings& s = f.castle().settings;
    EXPECT_EQ(std::vector<int>({s.playerStartRoom[0], s.playerStartDoor[1], s.playerLives[0], s.playerLives[1]}),
              std::vector<int>({255, 1, 44, 5}));
}

}  // namespace
}  // namespace grusk
