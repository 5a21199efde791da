// "Test Castle": compile the castle quietly into resource/ztest00.prg, build a
// fresh game disk resource/test00.d64, put the castle on it and start the
// emulator on that image without waiting for it.
#pragma once

#include <string>

#include "app/app_state.h"

namespace grusk {

void testCastle(AppState& app);

// Starts a program with the arguments; shows "Could not start %s" (caption
// "KVT") when it cannot be started. Used for the emulator and the help viewer.
bool startProgramOrSay(AppState& app, const std::string& program, const std::vector<std::string>& args);

// Help: opens <programFolder>/help.txt in the desktop's text viewer.
inline constexpr const char* kHelpViewer = "xdg-open";
void openHelp(AppState& app);

}  // namespace grusk
