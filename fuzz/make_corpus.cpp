// Writes the seed inputs of the project-file and room-file targets from a
// castle program, through the editor's own reader and file writers:
//   fuzz_make_corpus PROGRAM OUTDIR
// gives OUTDIR/project_file/*.bin (the file's header, then the first rooms)
// and OUTDIR/room_file/*.bin (a few columns of each room's room file; the
// target repeats them up to a whole room).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/castle_program_commands.h"
#include "app/project_commands.h"
#include "editor/catalogue.h"
#include "gamedata/castle_reader.h"
#include "model/castle_files.h"
#include "model/safe_file.h"
#include "ui/fake_platform.h"

using namespace grusk;

namespace {

bool write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    const std::vector<uint8_t> part(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(to));
    if (writeFileAtomically(path.string(), part)) return true;
    std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
    return false;
}

// Bytes of a cell in a room file (object record, vertical record, walkway value).
constexpr size_t kRoomFileCell = 2 * kRecordImageSize + 4;
constexpr size_t kColumnCells = 25;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_make_corpus PROGRAM OUTDIR\n");
        return 2;
    }
    const auto program = readWholeFile(argv[1], kMaxProgramFileRead);
    if (!program) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    FakePlatform ui;
    AppState app(ui);
    readCastleProgramBytes(app, program->data(), program->size());
    const std::filesystem::path out = argv[2];
    std::filesystem::create_directories(out / "project_file");
    std::filesystem::create_directories(out / "room_file");

    bool ok = true;
    // Project file: the header alone, the header with the whole of room 0, and
    // the header followed by the first columns of room 2 (read as room 0).
    const std::vector<uint8_t> image = castleFileImage(app.castle);
    const size_t room = 1000 * kProjectCellSize;
    ok &= write(out / "project_file" / "header.bin", image, 0, kProjectHeaderSize);
    ok &= write(out / "project_file" / "room0.bin", image, 0, kProjectHeaderSize + room);
    std::vector<uint8_t> room2(image.begin(), image.begin() + static_cast<long>(kProjectHeaderSize));
    const size_t room2Start = kProjectHeaderSize + 2 * room;
    room2.insert(room2.end(), image.begin() + static_cast<long>(room2Start),
                 image.begin() + static_cast<long>(room2Start + 8 * kColumnCells * kProjectCellSize));
    ok &= write(out / "project_file" / "room2-columns.bin", room2, 0, room2.size());

    // Room files: three columns of each room in use, from the first column
    // that holds anything, and one single cell holding a door.
    for (int r = 0; r < kRooms && app.castle.room(r).roomInUse; ++r) {
        const std::vector<uint8_t> file = roomFileImage(app.castle, r);
        const Room& rm = app.castle.room(r);
        int first = 0;
        for (int x = kColumns - 1; x >= 0; --x)
            for (int y = 0; y < kRows; ++y)
                if (rm.object(x, y).type != kEmpty || rm.vertical(x, y).type != kEmpty || rm.walkway(x, y) != kEmpty)
                    first = x;
        first = std::min(first, kColumns - 3);
        const size_t from = static_cast<size_t>(first) * kColumnCells * kRoomFileCell;
        ok &= write(out / "room_file" / ("room" + std::to_string(r) + "-columns.bin"), file, from,
                    from + 3 * kColumnCells * kRoomFileCell);
        for (int y = 0; y < kRows && r == 0; ++y)
            for (int x = 0; x < kColumns; ++x)
                if (rm.object(x, y).type == kDoor) {
                    const size_t at = (static_cast<size_t>(x) * kColumnCells + static_cast<size_t>(y)) * kRoomFileCell;
                    ok &= write(out / "room_file" / "door-cell.bin", file, at, at + kRoomFileCell);
                    y = kRows;
                    break;
                }
    }
    return ok ? 0 : 1;
}
