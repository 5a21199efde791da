// The editor's own files: the project file (.cas) holding the whole castle and
// the room file (.crm) holding one room, both straight images of the records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/castle_model.h"

namespace grusk {

constexpr size_t kRecordImageSize = 344;
constexpr size_t kProjectHeaderSize = 64 * 24 + 6;                    // 1542
constexpr size_t kProjectCellSize = kRecordImageSize + 8;             // record, walkway, camouflage
constexpr size_t kProjectLayoutSize = kProjectHeaderSize + 64 * 1000 * kProjectCellSize;  // 22,529,542
// The vertical layer, which the layout lacks, follows as "VERT" and one i32 type per cell.
constexpr size_t kVerticalSectionSize = 4 + 64 * 1000 * 4;
constexpr size_t kProjectFileSize = kProjectLayoutSize + kVerticalSectionSize;  // 22,785,546
constexpr size_t kRoomLayoutSize = 1000 * (2 * kRecordImageSize + 4);          // 692,000
// The camouflage layer, which the layout lacks, follows as "CAMO" and one i32 per cell.
constexpr size_t kRoomCamouflageSectionSize = 4 + 1000 * 4;
constexpr size_t kRoomFileSize = kRoomLayoutSize + kRoomCamouflageSectionSize;  // 696,004

bool isProjectFileSize(long long size);

// The project file image of the castle (with the vertical-layer section).
std::vector<uint8_t> castleFileImage(const CastleModel& castle);
// Reads a project file image over the castle; bytes beyond the data are ignored,
// parts missing from a short image stay as they were. Recounts every room.
void readCastleImage(CastleModel& castle, const uint8_t* data, size_t size);

// Writes the project file through a temporary file; no questions.
bool saveCastleFileTo(const CastleModel& castle, const std::string& path);
// Reads a project file over the castle; non-zero when it could be opened.
int readCastleFile(CastleModel& castle, const std::string& path);

// A project file read whole in one go, as readWholeFile with the project's
// size as its limit would, into a block offered for huge pages: a fresh 22 MB
// buffer otherwise costs a page fault per 4 KiB, several times the reading.
class ProjectBytes {
public:
    // false when the file cannot be opened or is larger than a project file.
    bool read(const std::string& path);
    const uint8_t* data() const { return bytes_.get(); }
    size_t size() const { return size_; }

private:
    struct Free {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, Free> bytes_;
    size_t size_ = 0;
};

bool isRoomFileSize(long long size);
// The room file image of a room (with the camouflage section).
std::vector<uint8_t> roomFileImage(const CastleModel& castle, int room);
// Reads a room file image over the room: its objects take the room as theirs;
// an image without the camouflage section leaves the room without camouflage.
void readRoomImage(CastleModel& castle, int room, const uint8_t* data, size_t size);

}  // namespace grusk
