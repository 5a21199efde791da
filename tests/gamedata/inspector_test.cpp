// The Inspector's description of every kind of object, on the castle that
// holds every type: name, anchor, number, state, colour, text, links, a
// door's destination and map position.
#include <gtest/gtest.h>

#include "editor/object_info.h"
#include "gamedata_fixture.h"

namespace grusk {
namespace {

using Lines = std::vector<std::string>;

TEST(Inspector, DescribesEachKindOfObject) {
    test::GameFixture f;
    test::buildEveryTypeCastle(f);
    f.enter(0);
    f.put(kMummy, 36, 0);          // a source without links
    f.put(kDoor, 34, 20);          // a door leading nowhere
    f.at(34, 20).destRoom = 40;
    struct Case {
        int room, x, y;  // any cell of the object
        Lines lines;
    };
    const std::vector<Case> cases = {
        {0, 1, 2, {"Door", "Cell: X: 00 Y: 00", "Number: 1", "State: Door", "Destination: Room 2, Door 2",
                   "Map position: X 0 Y 8, left"}},
        {1, 0, 0, {"Door", "Cell: X: 00 Y: 00", "Number: 1", "State: Exit Door", "Destination: exit door",
                   "Map position: X 0 Y 0, top"}},
        {1, 20, 0, {"Door", "Cell: X: 20 Y: 00", "Number: 2", "State: Door", "Destination: Room 1, Door 1",
                    "Map position: X 12 Y 16, right"}},
        {0, 34, 20, {"Door", "Cell: X: 34 Y: 20", "Number: 3", "State: Door",
                     "Destination: Room 41, Door 1 (not connected)", "Map position: X 0 Y 0, top"}},
        {0, 24, 0, {"Force Field", "Cell: X: 24 Y: 00", "Number: 1", "State: Force Field",
                    "Link 1: Force Field Switch at X: 22 Y: 00"}},
        {0, 18, 3, {"Lightning Switch", "Cell: X: 18 Y: 03", "Number: 1", "State: Lightning Switch (off)",
                    "Link 1: Lightning Machine at X: 30 Y: 12", "Link 2: Lightning Machine at X: 14 Y: 05"}},
        {0, 36, 0, {"Mummy", "Cell: X: 36 Y: 00", "Number: 2", "State: Mummy", "Links: none (up to 1)"}},
        {0, 1, 12, {"Key", "Cell: X: 00 Y: 12", "Number: 1", "State: Key_c", "Colour: cyan"}},
        {0, 3, 12, {"Lock", "Cell: X: 03 Y: 12", "Number: 1", "State: Lock_g", "Colour: green",
                    "Link 1: Door at X: 00 Y: 00"}},
        {0, 37, 17, {"Conveyor Switch", "Cell: X: 37 Y: 17", "Number: 1", "State: conveyor Switch_left",
                     "Link 1: Conveyor at X: 28 Y: 18"}},
        {0, 20, 13, {"Trap", "Cell: X: 20 Y: 13", "Number: 1", "State: Trap (closed)",
                     "Link 1: Trap Switch at X: 23 Y: 13"}},
        {0, 21, 22, {"Text", "Cell: X: 20 Y: 22", "Number: 1", "State: Text", "Colour: magenta", "Text: \"hello\"",
                     "Height: double"}},
        {1, 4, 8, {"Text", "Cell: X: 04 Y: 08", "Number: 1", "State: Text", "Colour: white", "Text: \"A,B\"",
                   "Height: single"}},
        {0, 3, 5, {"Ladder", "Cell: X: 03 Y: 05"}},
        {0, 39, 24, {"-"}},
        {0, 40, 0, {"-"}},
        {64, 0, 0, {"-"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(inspectorLines(f.castle(), c.room, c.x, c.y), c.lines) << c.room << " " << c.x << "," << c.y;
}

TEST(Inspector, CoveredMarkersFromDamagedFilesAreNotTrusted) {
    test::GameFixture f;
    f.room(0).object(5, 5).type = kCoveredBase + 39 * 40 + 39;  // row 39 is outside the room
    f.room(0).object(6, 5).type = kCoveredBase + 7 * 40 + 7;    // names an empty cell
    EXPECT_EQ(inspectorLines(f.castle(), 0, 5, 5), Lines{"-"});
    EXPECT_EQ(inspectorLines(f.castle(), 0, 6, 5), Lines{"-"});
}

}  // namespace
}  // namespace grusk
