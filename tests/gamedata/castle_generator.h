// Seeded generator of valid castles for the round-trip tests: every type the
// object list offers in every state, links of every kind, connected doors,
// texts, camouflage and vertical runs, over 1 to 64 rooms, made through the
// editor's own operations as an author would make them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

#include "app/app_state.h"

namespace grusk::test {

struct GeneratedCastle {
    int rooms = 0;
};

class CastleGenerator {
public:
    // The castle must be as clearing leaves it in every room, or in every
    // room the last castle made here used (they are put back first).
    explicit CastleGenerator(AppState& app) : app_(app) {}

    // A castle that passes the check and compiles within the size limit.
    GeneratedCastle generate(uint32_t seed);

private:
    AppState& app_;
    std::mt19937 rng_;
    int usedRooms_ = 0;

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    void room(int r, double density);
    bool put(int type, int x, int y);
    void lay(int type, int x, int y);  // without the recount
    // Places the type at a random free spot; false when none was found.
    bool putSomewhere(int type, int& x, int& y, int maxX = 39, int minY = 0);
    void link(int sx, int sy, int tx, int ty);
    // A Text of that length at a random free spot of the current room.
    bool addText(int length, int* placedX = nullptr, int* placedY = nullptr);
    void fillToLimit(size_t limit);
    void settleLeadingSpaces(int rooms);
};

// Puts every room the castle uses back as clearing the castle leaves it,
// without touching the 64 rooms' worth of records that clearing rewrites.
void resetRooms(CastleModel& castle, int rooms);

}  // namespace grusk::test
