// Placeholder until the castle commands land.
#include "cli/cli_commands.h"

namespace grusk::cli {
int runCheck(const CliContext&, const std::vector<std::string>&) { printUsage(); return 2; }
int runCompile(const CliContext&, const std::vector<std::string>&) { printUsage(); return 2; }
int runDecompile(const CliContext&, const std::vector<std::string>&) { printUsage(); return 2; }
bool loadCastleArgument(AppState&, const std::string&) { return false; }
}  // namespace grusk::cli
