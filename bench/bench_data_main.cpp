// gruskedit-benchdata: the files scripts/bench.sh works with, and the plain
// project load and save it times against cp.
//   gruskedit-benchdata castle OUTDIR [PROGRAMDIR]
//       OUTDIR/program/ (end-room data, game file stand-ins), OUTDIR/zbench.prg
//       (the largest castle's program) and OUTDIR/bench.cas (its project file)
//   gruskedit-benchdata save OUT.cas             save a new (empty) castle's project file
//   gruskedit-benchdata load IN.cas              load a project file
//   gruskedit-benchdata resave IN.cas OUT.cas    load a project file, save it
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/castle_program_commands.h"
#include "app/project_commands.h"
#include "bench_castles.h"
#include "gamedata/compiler.h"
#include "model/castle_files.h"
#include "model/safe_file.h"

namespace {

namespace fs = std::filesystem;
using namespace grusk;

int usage() {
    std::fputs("usage: gruskedit-benchdata castle OUTDIR [PROGRAMDIR]\n"
               "       gruskedit-benchdata save OUT.cas\n"
               "       gruskedit-benchdata load IN.cas\n"
               "       gruskedit-benchdata resave IN.cas OUT.cas\n",
               stderr);
    return 2;
}

int makeCastleFiles(const std::string& out, const std::string& sourceProgramFolder) {
    const std::string programFolder = (fs::path(out) / "program").string();
    if (!bench::makeBenchProgramFolder(programFolder, sourceProgramFolder)) {
        std::fprintf(stderr, "no resource/endroom.bin in %s\n", sourceProgramFolder.c_str());
        return 1;
    }
    bench::QuietPlatform ui;
    AppState app(ui);
    app.programFolder = programFolder;
    const auto endRoom = readEndRoom(app);
    const std::vector<uint8_t> program = bench::largestCastleProgram(app, *endRoom);
    if (program.empty()) {
        std::fputs("the castle could not be compiled\n", stderr);
        return 1;
    }
    const std::string prg = (fs::path(out) / "zbench.prg").string();
    const std::string cas = (fs::path(out) / "bench.cas").string();
    if (!writeFileAtomically(prg, program) || !saveCastleFileTo(app.castle, cas)) {
        std::fprintf(stderr, "cannot write into %s\n", out.c_str());
        return 1;
    }
    std::printf("%s %zu\n%s %lld\n", prg.c_str(), program.size(), cas.c_str(), fileSize(cas));
    return 0;
}

int load(AppState& app, const std::string& path) {
    if (!loadProjectFrom(app, path)) {
        std::fprintf(stderr, "cannot load %s\n", path.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    if (args[0] == "castle" && (args.size() == 2 || args.size() == 3))
        return makeCastleFiles(args[1], args.size() == 3 ? args[2] : GRUSK_PROGRAM_DIR);
    if (args[0] == "resave" && args.size() == 3) {
        bench::QuietPlatform ui;
        AppState app(ui);
        if (load(app, args[1]) != 0) return 1;
        if (!saveCastleFileTo(app.castle, args[2])) {
            std::fprintf(stderr, "cannot write %s\n", args[2].c_str());
            return 1;
        }
        return 0;
    }
    if (args[0] == "save" && args.size() == 2) {
        bench::QuietPlatform ui;
        AppState app(ui);
        clearCastle(app);
        if (!saveCastleFileTo(app.castle, args[1])) {
            std::fprintf(stderr, "cannot write %s\n", args[1].c_str());
            return 1;
        }
        return 0;
    }
    if (args[0] == "load" && args.size() == 2) {
        bench::QuietPlatform ui;
        AppState app(ui);
        return load(app, args[1]);
    }
    return usage();
}
