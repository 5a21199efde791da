// Placeholder until the render commands land.
#include "cli/cli_commands.h"

namespace grusk::cli {
int runRender(const CliContext&, const std::vector<std::string>&) { printUsage(); return 2; }
int runRenderMap(const CliContext&, const std::vector<std::string>&) { printUsage(); return 2; }
}  // namespace grusk::cli
