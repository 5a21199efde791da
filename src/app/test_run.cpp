#include "app/test_run.h"

#include <filesystem>
#include <sstream>

#include "app/castle_program_commands.h"
#include "app/disk_commands.h"
#include "disk/game_disk.h"
#include "disk/image_ops.h"
#include "gamedata/compiler.h"

namespace grusk {

namespace {

void enterProgramFolder(const AppState& app) {
    std::error_code ec;
    if (!app.programFolder.empty()) std::filesystem::current_path(app.programFolder, ec);
}

}  // namespace

bool startProgramOrSay(AppState& app, const std::string& program, const std::vector<std::string>& args) {
    if (!program.empty() && app.ui.startProgram(program, args)) return true;
    // The message always names something the user can look for.
    app.ui.message("Could not start " + (program.empty() ? std::string("(no program set)") : program), kCaptionKvt);
    return false;
}

void testCastle(AppState& app) {
    enterProgramFolder(app);
    // Deletes an older resource/ztest00.prg first: a failed write must never
    // send the emulator off on a stale castle.
    if (!compileCastleForDisk(app)) return;

    std::string imagePath = app.programPath("resource/test00.d64");
    std::ostringstream report;  // the formatting report is of no interest here
    if (!buildGameDisk(app, imagePath, false, report)) {
        app.ui.message(kCouldNotCreateImage, kCaptionKvt);
        return;
    }
    insertFile(imagePath, app.programPath("resource/ztest00.prg"));
    // The image path is one element of the argument vector, so no quoting.
    startProgramOrSay(app, app.emulatorPath, {imagePath});

    selectRoom(app, app.castle.currentRoom);
    enterProgramFolder(app);
}

void openHelp(AppState& app) { startProgramOrSay(app, kHelpViewer, {app.dataPath("help.txt")}); }

}  // namespace grusk
