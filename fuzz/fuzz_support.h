// One castle shared by every input of a fuzz target, reset cheaply between
// inputs, and the fixed things the targets draw and compile with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/app_state.h"
#include "editor/draw/picture_set.h"
#include "editor/draw/raster_image.h"
#include "ui/fake_platform.h"

namespace grusk::fuzz {

struct FuzzWorld {
    FuzzWorld();
    FakePlatform ui;
    AppState app{ui};
    std::unique_ptr<Room> cleanRoom;  // a room as a castle clear leaves it
    RasterImage canvas{kCanvasWidth, kCanvasHeight};
    RasterImage map{640, 400};
    // Puts rooms 0..rooms-1, every room header, the settings and the current room
    // back to their cleared state (rooms beyond are assumed untouched).
    void reset(int rooms = kRooms);
};

FuzzWorld& world();

// Every picture at its catalogue size, made in memory: plain colour with a
// border of the key colour the renderer uses for that kind of picture, so
// that both the copied and the transparent paths are taken.
const PictureSet& pictures();

// 545 bytes standing in for resource/endroom.bin.
const std::vector<uint8_t>& endRoom();

// The work every castle target ends with: the error check (which recounts
// and renumbers), the build of the castle program in memory, the drawing of
// rooms 0..drawRooms-1 and of the castle map. Returns the built program, if any.
std::vector<uint8_t> checkBuildDraw(int drawRooms);

}  // namespace grusk::fuzz
