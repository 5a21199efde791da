// The castle error check: rooms without doors, doors leading nowhere, objects
// left unlinked and objects in rooms that are not part of the castle.
#pragma once

#include "app/app_state.h"

namespace grusk {

// Lists its findings in the log window, numbered, and returns the number of
// errors (warnings are not counted). show opens the log window and adds
// "No errors found." when there are none. Leaves the rooms in use recounted
// and the castle renumbered.
int checkCastle(AppState& app, bool show);
// The same with the castle's types gathered beforehand (they must be current).
class CastleTypes;
int checkCastle(AppState& app, bool show, const CastleTypes& types);

}  // namespace grusk
