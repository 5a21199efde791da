#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/process_memory.h"
#include "app/program_folders.h"
#include "cli/cli_commands.h"

namespace fs = std::filesystem;

namespace grusk::cli {

void printUsage() {
    std::fputs(
        "usage:\n"
        "  gruskedit-cli [--program-folder DIR] check [--json] CASTLE\n"
        "  gruskedit-cli [--program-folder DIR] compile CASTLE OUT\n"
        "  gruskedit-cli [--program-folder DIR] decompile PROGRAM OUT\n"
        "  gruskedit-cli disk make IMAGE [NAME [ID]]\n"
        "  gruskedit-cli disk list IMAGE\n"
        "  gruskedit-cli disk dir IMAGE\n"
        "  gruskedit-cli disk insert IMAGE HOSTFILE...\n"
        "  gruskedit-cli disk extract IMAGE NAME HOSTFILE\n"
        "  gruskedit-cli disk delete IMAGE NAME\n"
        "  gruskedit-cli disk free IMAGE\n"
        "  gruskedit-cli [--program-folder DIR] gamedisk IMAGE [CASTLE]\n"
        "  gruskedit-cli [--program-folder DIR] render [--links] CASTLE ROOM OUT.png\n"
        "  gruskedit-cli [--program-folder DIR] render-map [--labels] CASTLE OUT.png\n"
        "  gruskedit-cli build SCRIPT OUT.cas\n"
        "  gruskedit-cli dump CASTLE\n",
        stderr);
}

}  // namespace grusk::cli

namespace {

// Without --program-folder: the executable's folder when it holds resource/,
// else the installed layout (shipped files in share/gruskedit, the user's in
// the user's data folder), else the working folder.
grusk::ProgramFolders defaultProgramFolders(const char* argv0) {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec && argv0) exe = fs::absolute(argv0, ec);
    const std::string working = fs::current_path(ec).string();
    return grusk::locateProgramFolders(grusk::processFolderEnvironment(working, exe.parent_path().string()),
                                       grusk::FolderPreference::ExecutableFolderFirst);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace grusk::cli;
    grusk::tuneProcessMemory(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    CliContext ctx;
    bool folderGiven = false;
    if (args.size() >= 2 && args[0] == "--program-folder") {
        ctx.programFolder = args[1];
        folderGiven = true;
        args.erase(args.begin(), args.begin() + 2);
    }
    if (!folderGiven) {
        const grusk::ProgramFolders folders = defaultProgramFolders(argc > 0 ? argv[0] : nullptr);
        ctx.programFolder = folders.userFolder;
        if (folders.installed) ctx.dataFolder = folders.dataFolder;
        // gamedisk compiles into the user's resource/ folder.
        std::string problem;
        if (!args.empty() && args[0] == "gamedisk" && !grusk::prepareUserFolder(folders, &problem)) {
            std::fprintf(stderr, "gruskedit-cli: %s\n", problem.c_str());
            return 1;
        }
    }
    if (args.empty()) {
        printUsage();
        return 2;
    }
    const std::string command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "check") return runCheck(ctx, rest);
    if (command == "compile") return runCompile(ctx, rest);
    if (command == "decompile") return runDecompile(ctx, rest);
    if (command == "disk") return runDisk(ctx, rest);
    if (command == "gamedisk") return runGameDisk(ctx, rest);
    if (command == "render") return runRender(ctx, rest);
    if (command == "render-map") return runRenderMap(ctx, rest);
    if (command == "build") return runBuild(ctx, rest);
    if (command == "dump") return runDump(ctx, rest);
    printUsage();
    return 2;
}
