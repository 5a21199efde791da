#include "gamedata/castle_check.h"

#include <vector>

#include "gamedata/castle_problems.h"
#include "gamedata/compiler.h"

namespace grusk {

namespace {

int check(AppState& app, bool show, const CastleTypes* types) {
    Platform& ui = app.ui;
    CastleModel& castle = app.castle;
    ui.clearLog();
    if (show) ui.showLog();

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
    const std::vector<CastleProblem> problems = findCastleProblems(castle, types ? &types->room(0) : nullptr);
    for (const CastleProblem& p : problems) ui.addLogLine(p.message);
    const int errors = countErrors(problems);
    if (errors == 0 && show) ui.addLogLine("No errors found.");
    return errors;
}

}  // namespace

int checkCastle(AppState& app, bool show) { return check(app, show, nullptr); }

int checkCastle(AppState& app, bool show, const CastleTypes& types) { return check(app, show, &types); }

}  // namespace grusk
