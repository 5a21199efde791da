// The castle commands of gruskedit-cli: check, compile and decompile. They run
// the editor's own code against a scripted platform and print what it logged.
#include <cstdio>
#include <string>
#include <vector>

#include "app/castle_program_commands.h"
#include "app/project_commands.h"
#include "cli/cli_commands.h"
#include "gamedata/castle_check.h"
#include "gamedata/castle_problems.h"
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

namespace {

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c >= 0x7F) {
            // Control characters, and bytes outside ASCII read as Latin-1, so
            // the output is valid UTF-8 whatever a damaged file holds.
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string jsonNumberOrNull(int v, int offset) { return v < 0 ? "null" : std::to_string(v + offset); }

// One array of {message, room, x, y}: room as the messages give it (1-based),
// x and y the 0-based cell they write; null where a finding has none.
std::string problemsJson(const std::vector<CastleProblem>& problems) {
    std::string out = "[";
    for (size_t i = 0; i < problems.size(); ++i) {
        const CastleProblem& p = problems[i];
        out += i == 0 ? "\n  " : ",\n  ";
        out += "{\"message\": " + jsonString(p.message) + ", \"room\": " + jsonNumberOrNull(p.room, 1) +
               ", \"x\": " + jsonNumberOrNull(p.x, 0) + ", \"y\": " + jsonNumberOrNull(p.y, 0) + "}";
    }
    out += problems.empty() ? "]\n" : "\n]\n";
    return out;
}

}  // namespace

int runCheck(const CliContext& ctx, const std::vector<std::string>& givenArgs) {
    std::vector<std::string> args = givenArgs;
    bool json = false;
    if (!args.empty() && args[0] == "--json") {
        json = true;
        args.erase(args.begin());
    }
    if (args.size() != 1) {
        printUsage();
        return 2;
    }
    Session s(ctx);
    if (!loadCastleArgument(s.app, args[0])) return 2;
    if (json) {
        const std::vector<CastleProblem> problems = findCastleProblems(s.app.castle);
        std::fputs(problemsJson(problems).c_str(), stdout);
        return countErrors(problems) > 0 ? 1 : 0;
    }
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
