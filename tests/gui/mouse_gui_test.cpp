// The mouse on the real widgets: Qt mouse events sent to the room canvas and
// the room map area of a whole editor, with the questions, popup menus and
// pointer moves answered by the scripted platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/room_map_input.h"
#include "gui/gui_support.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "support/test_support.h"
#include "ui/fake_platform.h"
#include "ui/qt/canvas_widget.h"
#include "ui/qt/editor_app.h"
#include "ui/qt/main_window.h"
#include "ui/qt/room_map_window.h"
#include "ui/qt/text_dialog.h"
#include "ui/qt/tool_windows.h"

namespace grusk {
namespace {

class MouseGuiTest : public ::testing::Test {
protected:
    FakePlatform fake;
    std::unique_ptr<EditorApp> editor;

    void SetUp() override {
        test::qtApp();
        editor = std::make_unique<EditorApp>();
        editor->onQuit = [] {};
        editor->platform().setInteractionDelegate(&fake);
        ASSERT_TRUE(editor->start(test::programDir()));
        window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
        for (int i = 0; i < 50 && editor->session().firstPaintPending(); ++i) QTest::qWait(10);
        ASSERT_FALSE(editor->session().firstPaintPending());
    }
    void TearDown() override {
        if (editor) editor->roomMapWindow().hide();
        editor.reset();
    }

    MainWindow& window() { return editor->mainWindow(); }
    QWidget* canvas() { return window().canvas(); }
    QWidget* mapArea() { return editor->roomMapWindow().mapArea(); }
    AppState& app() { return editor->session().app(); }
    Room& room() { return app().castle.current(); }
    CellRecord& at(int c, int r) { return room().object(c, r); }

    static QPoint cell(int c, int r) { return {c * kCellPixels + 8, r * kCellPixels + 8}; }

    // A mouse move carrying the buttons and keys held, as the window system sends it.
    static void moveOn(QWidget* w, QPoint p, Qt::MouseButtons held = Qt::NoButton,
                       Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QMouseEvent event(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton, held, keys);
        QApplication::sendEvent(w, &event);
    }
    void hover(int c, int r) { moveOn(canvas(), cell(c, r)); }
    void press(int c, int r, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QTest::mousePress(canvas(), Qt::LeftButton, keys, cell(c, r));
    }
    void dragTo(int c, int r, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        moveOn(canvas(), cell(c, r), Qt::LeftButton, keys);
    }
    void release(int c, int r) { QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, cell(c, r)); }
    void click(int c, int r, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        hover(c, r);
        press(c, r, keys);
        release(c, r);
    }
    void rightClick(int c, int r) {
        hover(c, r);
        QTest::mousePress(canvas(), Qt::RightButton, Qt::NoModifier, cell(c, r));
        QTest::mouseRelease(canvas(), Qt::RightButton, Qt::NoModifier, cell(c, r));
    }
    // Chooses a type with a click on its row in the object list.
    void choose(int type) {
        QListWidget* list = window().objectList();
        QListWidgetItem* item = list->item(type);
        ASSERT_NE(item, nullptr);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(item).center());
        ASSERT_EQ(app().placeType, type);
    }
    // The pointer was put on a client position: the window system reports a move there.
    void followPointer(Qt::MouseButtons held) {
        ASSERT_FALSE(fake.pointerMoves.empty());
        const auto [x, y] = fake.pointerMoves.back();
        moveOn(canvas(), QPoint(x - kCanvasLeft, y - kCanvasTop), held);
    }
    QString field(int id) {
        auto* w = window().findChild<QWidget*>(QString::number(id));
        if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
        return "?";
    }
    bool shown(int id) {
        auto* w = window().findChild<QWidget*>(QString::number(id));
        return w && w->isVisibleTo(&window());
    }
    void showMap() {
        if (!app().mapperVisible) window().runCommand(kCmdShowMapper);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor->roomMapWindow()));
    }
    void mapDrag(QPoint from, QPoint to) {
        moveOn(mapArea(), from);
        QTest::mousePress(mapArea(), Qt::LeftButton, Qt::NoModifier, from);
        const int steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y())) / 8 + 1;
        for (int i = 1; i <= steps; ++i)
            moveOn(mapArea(), from + (to - from) * i / steps, Qt::LeftButton);
        QTest::mouseRelease(mapArea(), Qt::LeftButton, Qt::NoModifier, to);
    }
    static void expectRect(const MapRect& r, int left, int top, int right, int bottom) {
        EXPECT_EQ(r.left, left);
        EXPECT_EQ(r.top, top);
        EXPECT_EQ(r.right, right);
        EXPECT_EQ(r.bottom, bottom);
    }
};

TEST_F(MouseGuiTest, LadderAndWalkwayRunsKeepTheirColumnAndRow) {
    choose(kLadder);
    hover(5, 5);
    press(5, 5);
    dragTo(5, 6);
    dragTo(8, 7);
    dragTo(9, 8);
    release(9, 8);
    for (int r = 5; r <= 8; ++r) EXPECT_EQ(room().vertical(5, r).type, kLadder) << r;
    EXPECT_EQ(room().vertical(8, 7).type, kEmpty);

    choose(kWalkway);
    hover(3, 12);
    press(3, 12);
    dragTo(4, 12);
    dragTo(5, 13);
    dragTo(6, 11);
    dragTo(7, 11);
    release(7, 11);
    const int expected[] = {kWalkwayL, kWalkwayLadderL, kWalkwayLadderM, kWalkwayLadderR, kWalkwayR};
    // The ladder at column 5 does not reach row 12: plain pieces there.
    const int plain[] = {kWalkwayL, kWalkway, kWalkway, kWalkway, kWalkwayR};
    for (int c = 3; c <= 7; ++c) EXPECT_EQ(room().walkway(c, 12), plain[c - 3]) << c;
    EXPECT_EQ(room().walkway(5, 13), kEmpty);

    // A walkway drawn across the ladder gets the crossing pieces.
    hover(3, 7);
    press(3, 7);
    for (int c = 4; c <= 7; ++c) dragTo(c, 7);
    release(7, 7);
    for (int c = 3; c <= 7; ++c) EXPECT_EQ(room().walkway(c, 7), expected[c - 3]) << c;
}

TEST_F(MouseGuiTest, ChosenTypeIsPlacedAndARightClickCancelsItWithoutAPopup) {
    placeObject(app(), kDoor, 20, 10);
    choose(kKey);
    click(2, 2);
    EXPECT_EQ(at(2, 2).type, kKey);
    EXPECT_EQ(app().castleChanged, true);

    choose(kKey);
    rightClick(21, 11);
    EXPECT_TRUE(fake.popups.empty());
    EXPECT_EQ(app().placeType, -1);
    EXPECT_EQ(window().objectList()->currentRow(), -1);
    EXPECT_TRUE(window().objectList()->selectedItems().isEmpty());

    // Now the same right click opens the door's popup.
    rightClick(21, 11);
    EXPECT_EQ(fake.popups, std::vector<int>{kMenuDoor});
}

TEST_F(MouseGuiTest, CtrlClicksRemoveCamouflageThenObjectThenWalkway) {
    placeObject(app(), kCamouflage, 10, 10);
    placeObject(app(), kDoor, 10, 10);
    placeObject(app(), kWalkway, 10, 10);
    click(10, 10, Qt::ControlModifier);
    EXPECT_EQ(room().camouflage(10, 10), 0);
    EXPECT_EQ(at(10, 10).type, kDoor);
    click(10, 10, Qt::ControlModifier);
    EXPECT_EQ(at(10, 10).type, kEmpty);
    EXPECT_NE(room().walkway(10, 10), kEmpty);
    click(10, 10, Qt::ControlModifier);
    EXPECT_EQ(room().walkway(10, 10), kEmpty);
}

TEST_F(MouseGuiTest, DraggingObjects) {
    placeObject(app(), kDoor, 4, 4);
    placeObject(app(), kDoor, 30, 4);
    placeObject(app(), kDoorBell, 12, 4);
    at(12, 4).links[0][0] = 4;
    at(12, 4).links[0][1] = 4;
    at(12, 4).mark = 0;
    at(4, 4).destRoom = 6;

    // Fewer than five pixels into the next cell: no drag.
    const QPoint start(5 * 16 + 14, 5 * 16 + 8);
    moveOn(canvas(), start);
    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, start);
    moveOn(canvas(), start + QPoint(4, 0), Qt::LeftButton);
    EXPECT_FALSE(editor->session().mouse().draggingObject());
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, start + QPoint(4, 0));

    // Five pixels: the drag starts and the pointer is put on the anchor.
    moveOn(canvas(), start);
    QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, start);
    moveOn(canvas(), start + QPoint(5, 0), Qt::LeftButton);
    ASSERT_TRUE(editor->session().mouse().draggingObject());
    EXPECT_EQ(fake.pointerMoves.back(), std::make_pair(kCanvasLeft + start.x() + 5 - 32, kCanvasTop + start.y() - 16));
    followPointer(Qt::LeftButton);
    release(4, 4);  // where it began
    EXPECT_EQ(at(4, 4).type, kDoor);
    EXPECT_EQ(at(4, 4).destRoom, 6);
    EXPECT_EQ(at(4, 4).dragging, 0);

    // Onto the other door: put back.
    hover(5, 5);
    press(5, 5);
    dragTo(6, 5);
    followPointer(Qt::LeftButton);
    dragTo(31, 5);
    release(31, 5);
    EXPECT_EQ(at(4, 4).type, kDoor);
    EXPECT_EQ(at(30, 4).type, kDoor);
    EXPECT_EQ(at(12, 4).links[0][0], 4);

    // To a free place: the bell's link follows.
    hover(5, 5);
    press(5, 5);
    dragTo(6, 5);
    followPointer(Qt::LeftButton);
    dragTo(20, 15);
    release(20, 15);
    EXPECT_EQ(at(4, 4).type, kEmpty);
    EXPECT_EQ(at(20, 15).type, kDoor);
    EXPECT_EQ(at(20, 15).destRoom, 6);
    EXPECT_EQ(at(20, 15).number, 0);
    EXPECT_EQ(at(12, 4).links[0][0], 20);
    EXPECT_EQ(at(12, 4).links[0][1], 15);
    EXPECT_EQ(app().placeType, -1);
}

TEST_F(MouseGuiTest, LinkingThroughThePopupMenu) {
    placeObject(app(), kLightningSwitch, 2, 2);
    placeObject(app(), kLightningMachine, 10, 2);
    fake.popupChoices.push_back(kCmdLink);
    rightClick(2, 3);
    EXPECT_EQ(fake.popups, std::vector<int>{kMenuLinkable});
    EXPECT_EQ(app().mouseMode, kMouseLinking);
    click(11, 4);
    EXPECT_EQ(app().mouseMode, kMouseNormal);
    EXPECT_EQ(at(2, 2).links[0][0], 10);
    EXPECT_EQ(at(2, 2).mark, 0);

    placeObject(app(), kDoorBell, 2, 10);
    placeObject(app(), kDoor, 5, 10);
    placeObject(app(), kDoor, 15, 10);
    fake.popupChoices.push_back(kCmdLink);
    rightClick(2, 10);
    click(6, 11);
    fake.popupChoices.push_back(kCmdLink);
    rightClick(2, 11);
    click(16, 12);
    EXPECT_EQ(at(2, 10).links[0][0], 5);
    EXPECT_EQ(at(2, 10).links[1][0], 15);
}

TEST_F(MouseGuiTest, ConnectingDoorsAcrossRoomsAndJumpingThroughThem) {
    for (int r = 0; r < 4; ++r) app().castle.room(r).roomInUse = 1;
    placeObject(app(), kDoor, 20, 4);
    placeObject(app(), kDoor, 4, 4);  // number 1
    fake.popupChoices.push_back(kCmdConnect);
    rightClick(5, 5);
    EXPECT_EQ(app().mouseMode, kMouseConnecting);
    EXPECT_TRUE(editor->selectDoorWindow().isVisible());
    auto* next = window().findChild<QPushButton*>(QString::number(kCmdNextRoom));
    for (int i = 0; i < 4; ++i) QTest::mouseClick(next, Qt::LeftButton);
    ASSERT_EQ(app().castle.currentRoom, 4);
    EXPECT_TRUE(editor->selectDoorWindow().isVisible());
    placeObject(app(), kDoor, 10, 10);
    click(11, 11);
    EXPECT_FALSE(editor->selectDoorWindow().isVisible());
    EXPECT_EQ(app().castle.room(0).object(4, 4).destRoom, 4);
    EXPECT_EQ(app().castle.room(0).object(4, 4).destDoor, 0);
    EXPECT_EQ(at(10, 10).destRoom, 0);
    EXPECT_EQ(at(10, 10).destDoor, 1);
    ASSERT_FALSE(fake.messageTexts().empty());
    EXPECT_EQ(fake.messageTexts().back(), "Connected to Room 5 : Door 1");

    // A double click goes back through the door and puts the pointer on door 2 of room 1.
    fake.pointerMoves.clear();
    QTest::mouseDClick(canvas(), Qt::LeftButton, Qt::NoModifier, cell(11, 11));
    QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, cell(11, 11));
    EXPECT_EQ(app().castle.currentRoom, 0);
    auto* roomButton = window().findChild<QPushButton*>(QString::number(kCmdRoomButton));
    EXPECT_EQ(roomButton->text(), "1");
    ASSERT_FALSE(fake.pointerMoves.empty());
    EXPECT_EQ(fake.pointerMoves.back(), std::make_pair(4 * 16 + 9 + 24, 4 * 16 + 11 + 24));
}

TEST_F(MouseGuiTest, HoverFillsTheStatusFields) {
    placeObject(app(), kDoor, 4, 4);
    at(4, 4).destRoom = 2;
    at(4, 4).destDoor = 3;
    placeObject(app(), kDoor, 10, 4);
    at(10, 4).variant = 1;
    placeObject(app(), kWalkway, 20, 20);
    hover(5, 5);
    EXPECT_EQ(field(1212), "Door");
    EXPECT_EQ(field(1223), "1");
    EXPECT_EQ(field(1101), "3");
    EXPECT_EQ(field(1102), "4");
    for (int id : {1251, 1252, 1255, 1101, 1102}) EXPECT_TRUE(shown(id)) << id;
    hover(11, 5);
    EXPECT_EQ(field(1223), "2");
    EXPECT_EQ(field(1101), "-");
    EXPECT_EQ(field(1102), "-");
    hover(20, 20);
    EXPECT_EQ(field(1212), "Walkway");
    hover(30, 20);
    EXPECT_EQ(field(1212), "-");
    EXPECT_EQ(field(1223), "-");
    for (int id : {1251, 1252, 1255, 1101, 1102}) EXPECT_FALSE(shown(id)) << id;
}

TEST_F(MouseGuiTest, RightClickStepsAConveyorAndEditsAText) {
    placeObject(app(), kConveyor, 5, 15);
    rightClick(7, 15);
    EXPECT_TRUE(fake.popups.empty());
    EXPECT_EQ(at(5, 15).variant, 1);
    rightClick(7, 15);
    EXPECT_EQ(at(5, 15).variant, 2);

    placeObject(app(), kText, 2, 20);
    bool typedInto = false;
    test::whenShown("IDD_TEXT", [&](QWidget* shown) {
        auto* dialog = qobject_cast<TextDialog*>(shown);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Enter Text");
        EXPECT_EQ(dialog->field()->text(), "TEXT");
        dialog->field()->clear();
        QTest::keyClicks(dialog->field(), "abcdefghijklmnopqrstuvwxy");
        EXPECT_EQ(dialog->field()->text().size(), 20);
        QTest::keyClick(dialog, Qt::Key_Escape);  // does not end it
        EXPECT_TRUE(dialog->isVisible());
        dialog->close();
        EXPECT_TRUE(dialog->isVisible());
        typedInto = true;
        QTest::mouseClick(dialog->findChild<QPushButton*>("1"), Qt::LeftButton);
    });
    fake.popupChoices.push_back(kCmdEditText);
    rightClick(2, 20);
    EXPECT_TRUE(typedInto);
    EXPECT_EQ(fake.popups.back(), kMenuText);
    EXPECT_EQ(recordText(at(2, 20)), "ABCDEFGHIJKLMNOPQRST");
}

TEST_F(MouseGuiTest, MapRectanglesAreCreatedResizedMovedAndRemoved) {
    showMap();
    mapDrag({100, 100}, {400, 300});
    EXPECT_EQ(app().castle.room(0).roomInUse, 1);
    EXPECT_EQ(app().castle.room(0).roomColour, 2);
    expectRect(app().castle.room(0).roomMapRect, 96, 96, 208, 208);

    // Resized at its lower right corner.
    mapDrag({200, 200}, {150, 170});
    expectRect(app().castle.room(0).roomMapRect, 96, 96, 160, 176);

    // Moved against the right edge.
    mapDrag({110, 110}, {639, 110});
    EXPECT_EQ(app().castle.room(0).roomMapRect.right, 640);
    EXPECT_EQ(app().castle.room(0).roomMapRect.right - app().castle.room(0).roomMapRect.left, 64);

    // The painted map shows the room's colour inside its frame.
    editor->roomMapWindow().repaint();
    const MapRect r = app().castle.room(0).roomMapRect;
    const Rgb inside = editor->roomMapWindow().mapArea()->mapImage().pixel((r.left + r.right) / 2,
                                                                            (r.top + r.bottom) / 2);
    EXPECT_EQ(inside, (Rgb{137, 64, 54}));

    // A second room needs a free number first.
    QTest::mouseClick(editor->roomMapWindow().findChild<QPushButton*>("1253"), Qt::LeftButton);
    ASSERT_EQ(app().castle.currentRoom, 1);
    EXPECT_EQ(qobject_cast<QLabel*>(editor->roomMapWindow().findChild<QWidget*>("1255"))->text(), "2");
    mapDrag({20, 300}, {60, 340});
    EXPECT_EQ(app().castle.room(1).roomInUse, 1);

    // Removed by a right click; its room becomes current.
    QTest::mouseClick(mapArea(), Qt::RightButton, Qt::NoModifier, QPoint(r.left + 20, r.top + 20));
    EXPECT_EQ(app().castle.room(0).roomInUse, 0);
    EXPECT_EQ(app().castle.currentRoom, 0);

    // The colour strip's fourth swatch colours the current room.
    QTest::mouseClick(mapArea(), Qt::LeftButton, Qt::NoModifier, QPoint(660, 52));
    EXPECT_EQ(app().castle.room(0).roomColour, 3);

    QTest::mouseClick(editor->roomMapWindow().findChild<QPushButton*>("1"), Qt::LeftButton);
    EXPECT_FALSE(editor->roomMapWindow().isVisible());
    EXPECT_FALSE(app().mapperVisible);
}

TEST_F(MouseGuiTest, DoorMapPositionIsSetByAClickInABorderBand) {
    app().castle.room(0).roomInUse = 1;
    app().castle.room(0).roomMapRect = MapRect{96, 96, 208, 208};
    placeObject(app(), kDoor, 4, 4);
    at(4, 4).mapX = 7;
    at(4, 4).mapY = 9;

    // A click in the middle ends the prompt and leaves the position alone.
    bool prompted = false;
    test::whenShown("IDD_MAPDOOR", [&](QWidget*) {
        prompted = true;
        EXPECT_TRUE(editor->roomMapWindow().isVisible());
        QTest::mouseClick(mapArea(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
    });
    fake.popupChoices.push_back(kCmdSetMapPosition);
    rightClick(5, 5);
    EXPECT_TRUE(prompted);
    EXPECT_FALSE(editor->mapDoorPrompt().isVisible());
    EXPECT_FALSE(app().mapDoorMode);
    EXPECT_EQ(at(4, 4).mapX, 7);
    EXPECT_EQ(at(4, 4).mapY, 9);

    // Three pixels inside the right edge, halfway down.
    test::whenShown("IDD_MAPDOOR", [&](QWidget*) {
        QTest::mouseClick(mapArea(), Qt::LeftButton, Qt::NoModifier, QPoint(205, 152));
    });
    fake.popupChoices.push_back(kCmdSetMapPosition);
    rightClick(5, 5);
    EXPECT_FALSE(editor->mapDoorPrompt().isVisible());
    EXPECT_EQ(at(4, 4).direction, 1);
    EXPECT_EQ(at(4, 4).mapX, 26);
    EXPECT_EQ(at(4, 4).mapY, 28);
}

TEST_F(MouseGuiTest, DoorPopupOpensWithItsSubmenuAndRunsTheChosenCommand) {
    editor->platform().setInteractionDelegate(nullptr);  // the real popup menu
    placeObject(app(), kDoor, 4, 4);
    QStringList labels;
    bool chosen = false;
    test::whenShown("196", [&](QWidget* shown) {
        auto* menu = qobject_cast<QMenu*>(shown);
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) labels << action->text();
        QMenu* doorType = menu->actions().value(0)->menu();
        ASSERT_NE(doorType, nullptr);
        ASSERT_EQ(doorType->actions().size(), 2);
        menu->setActiveAction(menu->actions()[0]);
        QTest::keyClick(menu, Qt::Key_Right);
        ASSERT_TRUE(test::waitFor([&] { return doorType->isVisible(); }));
        doorType->setActiveAction(doorType->actions()[1]);
        chosen = doorType->actions()[1]->text() == "Exit Door";
        QTest::keyClick(doorType, Qt::Key_Return);
    });
    rightClick(5, 5);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(labels, (QStringList{"Door Type", "Edit Door ...", "Connect ...", "Set Map Position ...",
                                   "Player 1 Start", "Player 2 Start"}));
    EXPECT_EQ(at(4, 4).variant, 1);
    EXPECT_EQ(at(4, 4).picture, kExitDoor);
}

}  // namespace
}  // namespace grusk
