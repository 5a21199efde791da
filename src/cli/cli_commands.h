// The command groups of gruskedit-cli. Each gets the arguments after its
// command word and returns the process exit status.
#pragma once

#include <string>
#include <vector>

#include "app/app_state.h"

namespace grusk::cli {

struct CliContext {
    std::string programFolder;  // the user's files (GruskEdit.ini, resource/ztest00.prg, d64/)
    std::string dataFolder;     // the shipped files; empty: programFolder
    // Sets both folders of an AppState.
    void applyTo(AppState& app) const {
        app.programFolder = programFolder;
        app.dataFolder = dataFolder;
    }
    const std::string& shippedFolder() const { return dataFolder.empty() ? programFolder : dataFolder; }
};

int runCheck(const CliContext& ctx, const std::vector<std::string>& args);
int runCompile(const CliContext& ctx, const std::vector<std::string>& args);
int runDecompile(const CliContext& ctx, const std::vector<std::string>& args);
int runDisk(const CliContext& ctx, const std::vector<std::string>& args);
int runGameDisk(const CliContext& ctx, const std::vector<std::string>& args);
int runRender(const CliContext& ctx, const std::vector<std::string>& args);
int runRenderMap(const CliContext& ctx, const std::vector<std::string>& args);
int runBuild(const CliContext& ctx, const std::vector<std::string>& args);
int runDump(const CliContext& ctx, const std::vector<std::string>& args);

// Reads CASTLE into the app's castle: a file of a project-file size as a
// project, any other as a castle program. Returns false (after printing a
// message naming the file on standard error) when it cannot be opened.
bool loadCastleArgument(AppState& app, const std::string& path);

void printUsage();

}  // namespace grusk::cli
