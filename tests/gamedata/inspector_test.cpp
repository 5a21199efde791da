// The Inspector's description of every kind of object, on the sample castle: name, anchor, number, state, colour,
// text, links, a door's destination and map position.
#include <gtest/gtest.h>

#include "app/sample_castle.h"
#include "editor/object_info.h"
#include "gamedata_fixture.h"

namespace grusk {
namespace {

using Lines = std::vector<std::string>;

TEST(Inspector, DescribesEachKindOfObject) {
    test::GameFixture f;
    buildSampleCastle(f.app);
    f.put(kMummy, 36, 0);  // a source without links
    f.put(kDoor, 34, 14);  // a door leading nowhere
    f.at(34, 14).destRoom = 40;
    // Covered markers from damaged files are not trusted: row 39 is outside the room, (7, 7) is empty.
    f.room(5).object(5, 5).type = kCoveredBase + 39 * 40 + 39;
    f.room(5).object(6, 5).type = kCoveredBase + 7 * 40 + 7;
    const struct {
        int room, x, y;  // any cell of the object
        Lines lines;
    } cases[] = {
        {0, 3, 8, {"Door", "Cell: X: 02 Y: 07", "Number: 1", "State: Door", "Destination: Room 2, Door 2", "Map position: X 0 Y 12, left"}},
        {0, 36, 1, {"Mummy", "Cell: X: 36 Y: 00", "Number: 1", "State: Mummy", "Links: none (up to 1)"}},
        {0, 34, 14, {"Door", "Cell: X: 34 Y: 14", "Number: 4", "State: Door", "Destination: Room 41, Door 1 (not connected)", "Map position: X 0 Y 0, top"}},
        {3, 35, 9, {"Door", "Cell: X: 35 Y: 09", "Number: 2", "State: Exit Door", "Destination: exit door", "Map position: X 22 Y 8, right"}},
        {0, 31, 8, {"Lock", "Cell: X: 31 Y: 08", "Number: 1", "State: Lock_y", "Colour: yellow", "Link 1: Door at X: 35 Y: 07"}},
        {0, 31, 23, {"Key", "Cell: X: 30 Y: 23", "Number: 1", "State: Key_y", "Colour: yellow"}},
        {0, 10, 2, {"Text", "Cell: X: 09 Y: 02", "Number: 1", "State: Text", "Colour: yellow", "Text: \"WELCOME\"", "Height: double"}},
        {1, 12, 10, {"Lightning Switch", "Cell: X: 12 Y: 10", "Number: 1", "State: Lightning Switch", "Link 1: Lightning Machine at X: 20 Y: 04"}},
        {1, 30, 8, {"Force Field", "Cell: X: 30 Y: 08", "Number: 1", "State: Force Field", "Link 1: Force Field Switch at X: 34 Y: 10"}},
        {1, 14, 22, {"Conveyor Switch", "Cell: X: 14 Y: 22", "Number: 1", "State: conveyor Switch_off", "Link 1: Conveyor at X: 24 Y: 23"}},
        {2, 20, 12, {"Trap", "Cell: X: 20 Y: 12", "Number: 1", "State: Trap", "Link 1: Trap Switch at X: 10 Y: 10"}},
        {3, 20, 21, {"Transmitter", "Cell: X: 20 Y: 21", "Number: 1", "State: Transmitter", "Link 1: Transmitter Target at X: 06 Y: 11", "Link 2: Transmitter Target at X: 28 Y: 11"}},
        {1, 26, 2, {"Text", "Cell: X: 26 Y: 02", "Number: 1", "State: Text", "Colour: white", "Text: \"LAB\"", "Height: single"}},
        {0, 20, 15, {"Ladder", "Cell: X: 20 Y: 15"}},
        {0, 39, 0, {"-"}}, {0, 40, 0, {"-"}}, {64, 0, 0, {"-"}}, {5, 5, 5, {"-"}}, {5, 6, 5, {"-"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(inspectorLines(f.castle(), c.room, c.x, c.y), c.lines) << c.room << " " << c.x << "," << c.y;
}

}  // namespace
}  // namespace grusk
