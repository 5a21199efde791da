#include "app/edit_watch.h"

#include <cstring>

namespace grusk {

namespace {

constexpr uint64_t kSeed = 0xcbf29ce484222325ull;

struct Hasher {
    uint64_t h = kSeed;
    void add(const void* data, size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            uint64_t w;
            std::memcpy(&w, p + i, 8);
            mix(w);
        }
        uint64_t tail = 0;
        std::memcpy(&tail, p + i, size - i);
        mix(tail ^ (static_cast<uint64_t>(size - i) << 56));
    }
    void mix(uint64_t w) {
        h ^= w;
        h *= 0x100000001b3ull;
        h ^= h >> 29;
    }
};

void addRecord(Hasher& hasher, const CellRecord& record) {
    // Every empty cell is the same, whatever stale values it holds.
    if (record.type == kEmpty) {
        hasher.mix(kEmpty);
        return;
    }
    CellRecord copy = record;
    copy.mark = 0;
    copy.dragging = 0;
    hasher.add(&copy, sizeof copy);
}

}  // namespace

uint64_t EditWatch::roomDigest(const Room& room) {
    Hasher hasher;
    for (const CellRecord& r : room.objectLayer) addRecord(hasher, r);
    for (const CellRecord& r : room.verticalLayer) addRecord(hasher, r);
    hasher.add(room.walkwayLayer.data(), sizeof room.walkwayLayer);
    hasher.add(room.camouflageLayer.data(), sizeof room.camouflageLayer);
    return hasher.h;
}

uint64_t EditWatch::tableDigest(const CastleModel& castle) {
    Hasher hasher;
    for (const Room& room : castle.rooms) {
        hasher.add(&room.roomMapRect, sizeof room.roomMapRect);
        hasher.add(&room.roomColour, sizeof room.roomColour);
        hasher.add(&room.roomInUse, sizeof room.roomInUse);
    }
    hasher.add(&castle.settings, sizeof castle.settings);
    return hasher.h;
}

void EditWatch::begin(const CastleModel& castle) {
    if (watching_) return;
    watching_ = true;
    room_ = castle.currentRoom;
    roomDigest_ = roomDigest(castle.room(room_));
    tableDigest_ = tableDigest(castle);
}

bool EditWatch::end(const CastleModel& castle) {
    if (!watching_) return false;
    watching_ = false;
    if (tableDigest(castle) != tableDigest_) return true;
    if (roomDigest(castle.room(room_)) != roomDigest_) return true;
    return false;
}

}  // namespace grusk
