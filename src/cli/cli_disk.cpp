// Placeholder until the disk commands land.
#include "cli/cli_commands.h"

namespace grusk::cli {
int runDisk(const CliContext&, const std::vector<std::string>&) { printUsage(); return 2; }
int runGameDisk(const CliContext&, const std::vector<std::string>&) { printUsage(); return 2; }
}  // namespace grusk::cli
