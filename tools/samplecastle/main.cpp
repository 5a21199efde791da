// samplecastle [--program-folder DIR] OUT: writes the sample castle as a
// castle program (the end-room data comes from DIR/resource/endroom.bin).
#include <cstdio>
#include <string>
#include <vector>

#include "app/sample_castle.h"
#include "model/safe_file.h"
#include "ui/fake_platform.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string folder = ".";
    if (args.size() >= 2 && args[0] == "--program-folder") {
        folder = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 1) {
        std::fputs("usage: samplecastle [--program-folder DIR] OUT\n", stderr);
        return 2;
    }
    grusk::FakePlatform ui;
    grusk::AppState app(ui);
    app.programFolder = folder;
    std::vector<std::string> errors;
    const auto program = grusk::sampleCastleProgram(app, &errors);
    if (!program) {
        for (const std::string& line : ui.log) std::fprintf(stderr, "%s\n", line.c_str());
        for (const std::string& line : errors) std::fprintf(stderr, "%s\n", line.c_str());
        return 1;
    }
    if (!grusk::writeFileAtomically(args[0], *program)) {
        std::fprintf(stderr, "cannot write %s\n", args[0].c_str());
        return 1;
    }
    return 0;
}
