#include "model/castle_files.h"

#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "model/safe_file.h"

namespace grusk {

static_assert(std::endian::native == std::endian::little, "records are stored as they are held in memory");

namespace {

void putI32(uint8_t* p, int32_t v) { std::memcpy(p, &v, 4); }
int32_t getI32(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// File order of cells: x outer, y inner.
template <typename F>
void forEachFileCell(F&& f) {
    for (int x = 0; x < kColumns; ++x)
        for (int y = 0; y < kRows; ++y) f(x, y);
}

void putRecord(uint8_t* p, const CellRecord& rec) {
    std::memcpy(p, &rec, kRecordImageSize);
    std::memset(p + 337, 0, 3);  // padding
    std::memset(p + 340, 0, 4);  // next is never stored
}

void getRecord(CellRecord& rec, const uint8_t* p) {
    std::memcpy(static_cast<void*>(&rec), p, kRecordImageSize);
    std::memset(rec.padding, 0, sizeof rec.padding);
    rec.next = 0;
}

void writeRoomCells(uint8_t* p, const Room& room) {
    forEachFileCell([&](int x, int y) {
        putRecord(p, room.object(x, y));
        putI32(p + kRecordImageSize, room.walkway(x, y));
        putI32(p + kRecordImageSize + 4, room.camouflage(x, y));
        p += kProjectCellSize;
    });
}

void writeHeader(uint8_t* p, const CastleModel& castle) {
    for (const Room& room : castle.rooms) {
        const int32_t values[6] = {room.roomMapRect.left, room.roomMapRect.top, room.roomMapRect.right,
                                   room.roomMapRect.bottom, room.roomColour, room.roomInUse};
        for (int32_t v : values) {
            putI32(p, v);
            p += 4;
        }
    }
    const CastleSettings& s = castle.settings;
    const uint8_t settings[6] = {s.playerStartRoom[0], s.playerStartDoor[0], s.playerLives[0],
                                 s.playerStartRoom[1], s.playerStartDoor[1], s.playerLives[1]};
    std::memcpy(p, settings, 6);
}

void writeVerticalSection(uint8_t* p, const CastleModel& castle) {
    std::memcpy(p, "VERT", 4);
    p += 4;
    for (const Room& room : castle.rooms)
        forEachFileCell([&](int x, int y) {
            putI32(p, room.vertical(x, y).type);
            p += 4;
        });
}

constexpr size_t kRoomCellsImageSize = 1000 * kProjectCellSize;

// The cells of a blank room as a project file holds them, made once.
const std::vector<uint8_t>& blankCellsImage(BlankRoom blank) {
    static const auto make = [](BlankRoom b) {
        Room room;
        room.releaseCells(b);
        std::vector<uint8_t> image(kRoomCellsImageSize);
        writeRoomCells(image.data(), room);
        return image;
    };
    if (blank == BlankRoom::Cleared) {
        static const std::vector<uint8_t> cleared = make(BlankRoom::Cleared);
        return cleared;
    }
    static const std::vector<uint8_t> fresh = make(BlankRoom::Fresh);
    return fresh;
}

// True when a room's vertical types in the file are those of a blank room
// (every blank has none).
bool blankVerticalTypes(const uint8_t* p) {
    for (int i = 0; i < kCellsPerRoom; ++i)
        if (getI32(p + 4 * static_cast<size_t>(i)) != kEmpty) return false;
    return true;
}

}  // namespace

bool ProjectBytes::read(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    constexpr size_t kCapacity = kProjectFileSize + 1;  // one more shows a file too large
    constexpr size_t kHugePage = size_t{2} << 20;
    const size_t rounded = (kCapacity + kHugePage - 1) / kHugePage * kHugePage;
    bytes_.reset(static_cast<uint8_t*>(std::aligned_alloc(kHugePage, rounded)));
    if (!bytes_) {
        std::fclose(f);
        return false;
    }
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(bytes_.get(), rounded, MADV_HUGEPAGE);
#endif
    size_ = 0;
    while (size_ < kCapacity) {
        const size_t n = std::fread(bytes_.get() + size_, 1, kCapacity - size_, f);
        if (n == 0) break;
        size_ += n;
    }
    std::fclose(f);
    return size_ <= kProjectFileSize;
}

void ProjectBytes::Free::operator()(uint8_t* p) const { std::free(p); }

bool isProjectFileSize(long long size) {
    return size == static_cast<long long>(kProjectLayoutSize) || size == static_cast<long long>(kProjectFileSize);
}

std::vector<uint8_t> castleFileImage(const CastleModel& castle) {
    std::vector<uint8_t> out(kProjectFileSize);
    writeHeader(out.data(), castle);
    for (int r = 0; r < kRooms; ++r)
        writeRoomCells(out.data() + kProjectHeaderSize + static_cast<size_t>(r) * 1000 * kProjectCellSize, castle.room(r));
    writeVerticalSection(out.data() + kProjectLayoutSize, castle);
    return out;
}

namespace {

// The cells of every room and the vertical section, from p on; false when the
// image ends first (what was read stays). A room still blank whose cells in
// the file are the blank's stays blank, so that a castle read from a project
// costs only the rooms it uses.
bool readRoomsCells(CastleModel& castle, const uint8_t* data, size_t size, const uint8_t* p) {
    const uint8_t* end = data + size;
    const uint8_t* vertical = size >= kProjectFileSize && std::memcmp(data + kProjectLayoutSize, "VERT", 4) == 0
                                  ? data + kProjectLayoutSize + 4
                                  : nullptr;
    std::array<bool, kRooms> keptBlank{};
    for (int r = 0; r < kRooms; ++r) {
        Room& room = castle.room(r);
        const bool whole = static_cast<size_t>(end - p) >= kRoomCellsImageSize;
        const uint8_t* verticalTypes = vertical ? vertical + static_cast<size_t>(r) * kCellsPerRoom * 4 : nullptr;
        if (!room.holdsCells() && whole &&
            std::memcmp(p, blankCellsImage(room.blank()).data(), kRoomCellsImageSize) == 0 &&
            (!verticalTypes || blankVerticalTypes(verticalTypes))) {
            keptBlank[static_cast<size_t>(r)] = true;
            p += kRoomCellsImageSize;
            continue;
        }
        // Every record, walkway and patch of the room is in the file: no blank to copy first.
        if (whole) room.holdCellsToOverwrite();
        for (int x = 0; x < kColumns; ++x) {
            for (int y = 0; y < kRows; ++y) {
                if (static_cast<size_t>(end - p) < kProjectCellSize) return false;
                getRecord(room.object(x, y), p);
                room.walkway(x, y) = getI32(p + kRecordImageSize);
                room.camouflage(x, y) = getI32(p + kRecordImageSize + 4);
                p += kProjectCellSize;
            }
        }
    }
    if (!vertical) return true;
    p = vertical;
    for (int r = 0; r < kRooms; ++r) {
        if (keptBlank[static_cast<size_t>(r)]) {
            p += kCellsPerRoom * 4;
            continue;
        }
        Room& room = castle.room(r);
        forEachFileCell([&](int x, int y) {
            room.vertical(x, y).type = getI32(p);
            p += 4;
        });
    }
    return true;
}

}  // namespace

void readCastleImage(CastleModel& castle, const uint8_t* data, size_t size) {
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    for (Room& room : castle.rooms) {
        int32_t* fields[6] = {&room.roomMapRect.left, &room.roomMapRect.top, &room.roomMapRect.right,
                              &room.roomMapRect.bottom, &room.roomColour, &room.roomInUse};
        for (int32_t* f : fields) {
            if (end - p < 4) goto recount;
            *f = getI32(p);
            p += 4;
        }
    }
    if (end - p < 6) goto recount;
    castle.settings.playerStartRoom[0] = p[0];
    castle.settings.playerStartDoor[0] = p[1];
    castle.settings.playerLives[0] = p[2];
    castle.settings.playerStartRoom[1] = p[3];
    castle.settings.playerStartDoor[1] = p[4];
    castle.settings.playerLives[1] = p[5];
    p += 6;
    readRoomsCells(castle, data, size, p);
recount:
    // Counts, ordinals, positions and run lengths are derived: make them current.
    for (int r = 0; r < kRooms; ++r) {
        dropStaleMarkers(castle.room(r));
        recountRoom(castle, r);
    }
}

bool saveCastleFileTo(const CastleModel& castle, const std::string& path) {
    return writeFileAtomically(path, [&](std::FILE* f) {
        std::vector<uint8_t> buffer(kProjectHeaderSize);
        writeHeader(buffer.data(), castle);
        if (std::fwrite(buffer.data(), 1, buffer.size(), f) != buffer.size()) return false;
        buffer.resize(1000 * kProjectCellSize);
        for (const Room& room : castle.rooms) {
            writeRoomCells(buffer.data(), room);
            if (std::fwrite(buffer.data(), 1, buffer.size(), f) != buffer.size()) return false;
        }
        buffer.resize(kVerticalSectionSize);
        writeVerticalSection(buffer.data(), castle);
        return std::fwrite(buffer.data(), 1, buffer.size(), f) == buffer.size();
    });
}

int readCastleFile(CastleModel& castle, const std::string& path) {
    ProjectBytes bytes;
    if (!bytes.read(path)) return 0;
    readCastleImage(castle, bytes.data(), bytes.size());
    return 1;
}

bool isRoomFileSize(long long size) {
    return size == static_cast<long long>(kRoomLayoutSize) || size == static_cast<long long>(kRoomFileSize);
}

std::vector<uint8_t> roomFileImage(const CastleModel& castle, int roomIndex) {
    std::vector<uint8_t> out(kRoomFileSize);
    const Room& room = castle.room(roomIndex);
    uint8_t* p = out.data();
    forEachFileCell([&](int x, int y) {
        putRecord(p, room.object(x, y));
        putRecord(p + kRecordImageSize, room.vertical(x, y));
        putI32(p + 2 * kRecordImageSize, room.walkway(x, y));
        p += 2 * kRecordImageSize + 4;
    });
    std::memcpy(p, "CAMO", 4);
    p += 4;
    forEachFileCell([&](int x, int y) {
        putI32(p, room.camouflage(x, y));
        p += 4;
    });
    return out;
}

void readRoomImage(CastleModel& castle, int roomIndex, const uint8_t* data, size_t size) {
    if (!isValidRoom(roomIndex)) return;
    Room& room = castle.room(roomIndex);
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    forEachFileCell([&](int x, int y) {
        if (static_cast<size_t>(end - p) < 2 * kRecordImageSize + 4) return;
        getRecord(room.object(x, y), p);
        getRecord(room.vertical(x, y), p + kRecordImageSize);
        room.walkway(x, y) = getI32(p + 2 * kRecordImageSize);
        // The objects now stand in this room, whichever room they were exported from.
        if (isObjectType(room.object(x, y).type)) room.object(x, y).room = roomIndex;
        p += 2 * kRecordImageSize + 4;
    });
    // Patches belong to the room they came with: a file without them leaves none
    // of the old room's under the new objects.
    const bool withCamouflage = static_cast<size_t>(end - p) >= kRoomCamouflageSectionSize && std::memcmp(p, "CAMO", 4) == 0;
    if (withCamouflage) p += 4;
    forEachFileCell([&](int x, int y) {
        room.camouflage(x, y) = withCamouflage ? getI32(p) : 0;
        if (withCamouflage) p += 4;
    });
    dropStaleMarkers(room);
    recountRoom(castle, roomIndex);
}

}  // namespace grusk
