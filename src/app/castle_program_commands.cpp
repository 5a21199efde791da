#include "app/castle_program_commands.h"

#include <filesystem>
#include <system_error>

#include "gamedata/castle_check.h"
#include "model/safe_file.h"

namespace grusk {

namespace fs = std::filesystem;

namespace {

int showCheck(AppState& app, bool show, const CastleTypes* types) {
    app.ui.clearLog();
    if (show) app.ui.showLog();
    const CastleCheck check = checkCastle(app.castle, types);
    for (const std::string& line : check.lines) app.ui.addLogLine(line);
    if (check.errors == 0 && show) app.ui.addLogLine("No errors found.");
    return check.errors;
}

// After the castle was read: where it was damaged in the log, its title and
// room 0 on screen.
void showCastleRead(AppState& app, const ProgramRead& read) {
    if (read.damagedAt >= 0) {
        app.ui.addLogLine(programDamageLine(read.damagedAt));
        app.ui.showLog();
    }
    app.ui.setCaption(app.castle.castleTitle);
    selectRoom(app, 0);
    app.skipNextMouseMove = true;
}

int loadProgramFile(AppState& app, const std::string& path) {
    const auto bytes = readCastleProgramFile(path);
    if (!bytes) {
        app.ui.addLogLine("Couldn't open " + path);
        app.ui.showLog();
        return 0;
    }
    const ProgramRead read = readCastleProgramBytes(app.castle, bytes->data(), bytes->size());
    app.castle.castleTitle = path;
    showCastleRead(app, read);
    return 1;
}

}  // namespace

int checkCastle(AppState& app, bool show) { return showCheck(app, show, nullptr); }

int checkCastle(AppState& app, bool show, const CastleTypes& types) { return showCheck(app, show, &types); }

void readCastleProgramBytes(AppState& app, const uint8_t* data, size_t size, RoomReading reading) {
    showCastleRead(app, readCastleProgramBytes(app.castle, data, size, reading));
}

int readCastleProgramFrom(AppState& app, const std::string& path) {
    app.ui.clearLog();
    return loadProgramFile(app, path);
}

int readCastleProgram(AppState& app) {
    app.ui.clearLog();
    const auto path = app.ui.askOpenFile("", kCastleProgramOpenFilter);
    if (!path) return 0;
    return loadProgramFile(app, *path);
}

std::optional<std::vector<uint8_t>> readEndRoom(const AppState& app) { return readEndRoom(app.shippedFolder()); }

CompileOutcome writeCastleProgramTo(AppState& app, const std::string& target, bool interactive,
                                   const CastleTypes* types) {
    const fs::path folder = fs::path(target).parent_path();
    std::error_code ec;
    if (!folder.empty() && !fs::is_directory(folder, ec)) {
        app.ui.addLogLine("Could not open " + target);
        app.ui.showLog();
        return CompileOutcome::CannotOpen;
    }
    app.ui.setCaption(target);

    const auto endRoom = readEndRoom(app);
    if (!endRoom) {
        app.ui.message(kEndRoomMissing, kCaptionKvt);
        return CompileOutcome::EndRoomMissing;
    }

    const int rememberedRoom = app.castle.currentRoom;
    std::vector<std::string> errors;
    const auto program =
        buildCastleProgram(app.castle, *endRoom, &errors, [&](int r) { selectRoom(app, r); }, types);
    selectRoom(app, rememberedRoom);
    if (!program) {
        for (const std::string& line : errors) app.ui.addLogLine(line);
        app.ui.showLog();
        return CompileOutcome::BuildRefused;
    }

    bool opened = false;
    const bool written = writeFileAtomically(target, [&](std::FILE* f) {
        opened = true;
        return std::fwrite(program->data(), 1, program->size(), f) == program->size();
    });
    if (!written && !opened) {
        app.ui.addLogLine("Could not open " + target);
        app.ui.showLog();
        return CompileOutcome::CannotOpen;
    }
    if (!written) {
        app.ui.message(kFileCannotBeWritten, kCaptionKvt);
        return CompileOutcome::CannotWrite;
    }
    if (interactive) app.ui.message(kPrgBuilt, kCaptionKvt);
    return CompileOutcome::Written;
}

int compileCastle(AppState& app, bool interactive) {
    app.ui.clearLog();
    // The quiet build follows the check directly, so both work from one
    // gathering of the types; the save dialog gives the user a chance to
    // change the castle in between, so the interactive build gathers afresh.
    std::optional<CastleTypes> types;
    if (!interactive) types.emplace(app.castle);
    if ((types ? checkCastle(app, false, *types) : checkCastle(app, false)) > 0) {
        app.ui.showLog();
        return 0;
    }
    std::string target;
    if (interactive) {
        const auto chosen = app.ui.askSaveFile("z*.prg", FileFilter{"C-64 Programs", "*.prg"});
        if (!chosen) return 0;
        target = castleProgramTarget(*chosen);
        std::error_code ec;
        if (fs::exists(target, ec) &&
            app.ui.ask("File exists. Overwrite?", kCaptionWatchIt, QuestionKind::YesNo) != Reply::Yes)
            return 0;
    } else {
        target = app.programPath("resource/ztest00.prg");
    }
    switch (writeCastleProgramTo(app, target, interactive, types ? &*types : nullptr)) {
        case CompileOutcome::Written:
        case CompileOutcome::CannotWrite: return 1;
        default: return 0;
    }
}

}  // namespace grusk
