// A project file into the reader of "Load Project..." (which recounts), the error
// check, the compiler and the drawing of the rooms the input covers.
//
// A whole project file is 22 MB; reading and resetting that much for every
// input would leave few executions. The input stands for the file's start: the
// room headers and settings, then the cells of the first rooms. An input that
// reaches into the room data is repeated up to the end of the room it ends in
// (at most kFuzzRooms rooms), so that whole rooms are read; a shorter input is
// read as the truncated file it is. Rooms beyond stay cleared.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "model/castle_files.h"

using namespace grusk;

namespace {

constexpr int kFuzzRooms = 2;
constexpr size_t kRoomBytes = 1000 * kProjectCellSize;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& w = fuzz::world();
    w.reset(kFuzzRooms);

    static std::vector<uint8_t> image(kProjectHeaderSize + kFuzzRooms * kRoomBytes);
    size_t length = std::min(size, image.size());
    std::memcpy(image.data(), data, length);
    int rooms = 0;
    if (length > kProjectHeaderSize) {
        rooms = static_cast<int>((length - kProjectHeaderSize + kRoomBytes - 1) / kRoomBytes);
        const size_t end = kProjectHeaderSize + static_cast<size_t>(rooms) * kRoomBytes;
        const size_t unit = length - kProjectHeaderSize;  // the room data the input holds
        for (size_t at = length; at < end; at += std::min(unit, end - at))
            std::memcpy(&image[at], &image[kProjectHeaderSize], std::min(unit, end - at));
        length = end;
    }
    readCastleImage(w.app.castle, image.data(), length);  // recounts every room
    fuzz::checkBuildDraw(rooms);
    // Free what the input made, so that every run ends with as much memory as it began.
    w.ui.clearRecords();
    return 0;
}
