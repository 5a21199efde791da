// The castle commands of gruskedit-cli: check, compile and decompile. They run
// the editor's own code against a scripted platform and print what it logged.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "gamedata/castle_check.h"
#include "gamedata/castle_reader.h"
#include "gamedata/compiler.h"
#include "model/castle_files.h"
#include "model/safe_file.h"
#include "ui/fake_platform.h"

namespace grusk::cli {

namespace {

void printLines(const std::vector<std::string>& lines, std::FILE* stream) {
    for (const std::string& line : lines) {
        std::fputs(line.c_str(), stream);
        std::fputc('\n', stream);
    }
}

void cannotOpen(const std::string& path) {
    std::fprintf(stderr, "gruskedit-cli: cannot open %s\n", path.c_str());
}

struct Session {
    FakePlatform ui;
    AppState app{ui};
    explicit Session(const CliContext& ctx) { ctx.applyTo(app); }
};

}  // namespace

bool loadCastleArgument(AppState& app, const std::string& path) {
    const long long size = fileSize(path);
    if (size < 0 || !canOpenForReading(path)) {
        cannotOpen(path);
        return false;
    }
    const int loaded = isProjectFileSize(size) ? loadProjectFrom(app, path) : readCastleProgramFrom(app, path);
    if (!loaded) {
        cannotOpen(path);
        return false;
    }
    return true;
}

int runCheck(const CliContext& ctx, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        printUsage();
        return 2;
    }
    Session s(ctx);
    if (!loadCastleArgument(s.app, args[0])) return 2;
    const int errors = checkCastle(s.app, true);
    printLines(s.ui.log, stdout);
    return errors > 0 ? 1 : 0;
}

int runCompile(const CliContext& ctx, const std::vector<std::string>& args) {
    if (args.size() != 2) {
        printUsage();
        return 2;
    }
    Session s(ctx);
    if (!loadCastleArgument(s.app, args[0])) return 2;
    renumberObjects(s.app.castle);
    if (checkCastle(s.app, false) > 0) {
        printLines(s.ui.log, stderr);
        return 1;
    }
    s.ui.log.clear();
    s.ui.messages.clear();
    if (writeCastleProgramTo(s.app, args[1], false) != CompileOutcome::Written) {
        printLines(s.ui.log, stderr);
        printLines(s.ui.messageTexts(), stderr);
        return 1;
    }
    return 0;
}

int runDecompile(const CliContext& ctx, const std::vector<std::string>& args) {
    if (args.size() != 2) {
        printUsage();
        return 2;
    }
    Session s(ctx);
    const std::string& in = args[0];
    if (fileSize(in) < 0 || !readCastleProgramFrom(s.app, in)) {
        cannotOpen(in);
        return 2;
    }
    if (!saveCastleFileTo(s.app.castle, args[1])) {
        std::fprintf(stderr, "gruskedit-cli: cannot write %s\n", args[1].c_str());
        return 1;
    }
    return 0;
}

}  // namespace grusk::cli
