#include "gamedata/castle_check.h"

#include <vector>

#include "gamedata/castle_problems.h"
#include "gamedata/compiler.h"

namespace grusk {

CastleCheck checkCastle(CastleModel& castle, const CastleTypes* types) {
    const int rooms = roomsInUseRun(castle);
    for (int r = 0; r < rooms; ++r) {
        if (types)
            recountRoom(castle, r, types->room(r));
        else
            recountRoom(castle, r);
    }
    renumberObjects(castle, types);

    // The findings are the same as the quiet look at the castle gives
    // before the recount and renumbering.
    const std::vector<CastleProblem> problems = findCastleProblems(castle, types ? types->rooms() : nullptr);
    CastleCheck result;
    result.lines.reserve(problems.size());
    for (const CastleProblem& p : problems) result.lines.push_back(p.message);
    result.errors = countErrors(problems);
    return result;
}

}  // namespace grusk
