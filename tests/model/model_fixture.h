// A cleared castle in an application state, with short ways to place and link.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/object_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "ui/fake_platform.h"

namespace grusk::test {

using Links = std::vector<std::pair<int, int>>;

class CastleTest : public ::testing::Test {
protected:
    FakePlatform ui;
    AppState app{ui};
    CastleModel& castle = app.castle;
    void SetUp() override { clearCastle(app); }
    Room& room(int r = -1) { return r < 0 ? castle.current() : castle.room(r); }
    void put(int type, int x, int y) { ASSERT_EQ(placeObject(app, type, x, y), 1) << type << " at " << x << "," << y; }
    // Into the first free slot of the source, which counts as linked then.
    void link(int sx, int sy, int tx, int ty) {
        CellRecord& s = room().object(sx, sy);
        for (auto& l : s.links)
            if (l[0] == -1) {
                l[0] = tx;
                l[1] = ty;
                s.mark = kMarkPlain;
                return;
            }
    }
    Links links(int r, int x, int y) {
        Links out;
        for (const auto& l : castle.room(r).object(x, y).links)
            if (l[0] != -1) out.emplace_back(l[0], l[1]);
        return out;
    }
};

}  // namespace grusk::test
