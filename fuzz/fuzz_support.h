// One castle shared by every input of a fuzz target, reset cheaply between inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/app_state.h"
#include "ui/fake_platform.h"

namespace grusk::fuzz {

struct FuzzWorld {
    FuzzWorld();
    FakePlatform ui;
    AppState app{ui};
    std::unique_ptr<Room> cleanRoom;  // a room as a castle clear leaves it
    // Puts rooms 0..rooms-1, every room header, the settings and the current room
    // back to their cleared state (rooms beyond are assumed untouched).
    void reset(int rooms = kRooms);
};

FuzzWorld& world();

}  // namespace grusk::fuzz
