// The castle script commands of gruskedit-cli: build makes a project file from
// a few lines of editing steps (done through the editor's own operations, as
// a user would), dump lists what a castle holds in a form scripts can read.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/castle_builder.h"
#include "app/object_commands.h"
#include "cli/cli_commands.h"
#include "editor/catalogue.h"
#include "editor/room_editing.h"
#include "model/castle_files.h"
#include "ui/fake_platform.h"

namespace grusk::cli {

namespace {

// Refusals become messages on standard error and a failed build.
class ScriptBuilder : public CastleBuilder {
public:
    using CastleBuilder::CastleBuilder;
    int refusals = 0;

protected:
    void refused(const std::string& what) override {
        std::fprintf(stderr, "gruskedit-cli: %s\n", what.c_str());
        ++refusals;
    }
};

bool readInts(std::istringstream& in, std::vector<int>& out, size_t count) {
    out.assign(count, 0);
    for (int& v : out)
        if (!(in >> v)) return false;
    std::string rest;
    return !(in >> rest);
}

// Runs one script line; false when it is not understood or out of range.
bool runLine(ScriptBuilder& b, AppState& app, const std::string& line) {
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word[0] == '#') return true;
    std::vector<int> v;
    auto cell = [](int x, int y) { return isInsideRoom(x, y); };
    if (word == "room" && readInts(in, v, 6) && isValidRoom(v[0]) && v[1] >= 0 && v[1] < 16) {
        shapeWalkways(app);
        b.room(v[0], v[1], MapRect{v[2], v[3], v[4], v[5]});
    } else if (word == "put" && readInts(in, v, 3) && isObjectType(v[0]) && cell(v[1], v[2])) {
        b.put(v[0], v[1], v[2]);
    } else if (word == "floor" && readInts(in, v, 3) && cell(v[1], v[0]) && cell(v[2], v[0])) {
        b.floor(v[0], v[1], v[2]);
    } else if (word == "column" && readInts(in, v, 4) && isObjectType(v[0]) && cell(v[1], v[2]) && cell(v[1], v[3])) {
        b.column(v[0], v[1], v[2], v[3]);
    } else if (word == "door" && readInts(in, v, 4) && cell(v[0], v[1]) && v[2] >= 0 && v[2] <= 3) {
        b.door(v[0], v[1], static_cast<CastleBuilder::Side>(v[2]), v[3]);
    } else if (word == "link" && readInts(in, v, 4) && cell(v[0], v[1]) && cell(v[2], v[3])) {
        b.link(v[0], v[1], v[2], v[3]);
    } else if (word == "connect" && readInts(in, v, 6) && isValidRoom(v[0]) && cell(v[1], v[2]) &&
               isValidRoom(v[3]) && cell(v[4], v[5])) {
        b.connect(v[0], v[1], v[2], v[3], v[4], v[5]);
    } else if (word == "start" && readInts(in, v, 4) && (v[0] == 1 || v[0] == 2) && isValidRoom(v[1]) &&
               cell(v[2], v[3])) {
        b.startDoor(v[0], v[1], v[2], v[3]);
    } else {
        return false;
    }
    return true;
}

std::string linkText(const CellRecord& rec) {
    std::string out;
    for (const auto& link : rec.links) {
        if (link[0] == -1) continue;
        if (!out.empty()) out += ';';
        out += std::to_string(link[0]) + ',' + std::to_string(link[1]);
    }
    return out.empty() ? "-" : out;
}

}  // namespace

int runBuild(const CliContext& ctx, const std::vector<std::string>& args) {
    if (args.size() != 2) {
        printUsage();
        return 2;
    }
    std::ifstream script(args[0]);
    if (!script) {
        std::fprintf(stderr, "gruskedit-cli: cannot open %s\n", args[0].c_str());
        return 2;
    }
    FakePlatform ui;
    AppState app(ui);
    app.programFolder = ctx.programFolder;
    clearCastle(app);
    ScriptBuilder builder(app);
    std::string line;
    for (int number = 1; std::getline(script, line); ++number) {
        if (!runLine(builder, app, line)) {
            std::fprintf(stderr, "gruskedit-cli: %s:%d: cannot read \"%s\"\n", args[0].c_str(), number, line.c_str());
            return 2;
        }
    }
    shapeWalkways(app);
    selectRoom(app, 0);
    if (builder.refusals > 0) return 1;
    if (!saveCastleFileTo(app.castle, args[1])) {
        std::fprintf(stderr, "gruskedit-cli: cannot write %s\n", args[1].c_str());
        return 1;
    }
    return 0;
}

int runDump(const CliContext& ctx, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        printUsage();
        return 2;
    }
    FakePlatform ui;
    AppState app(ui);
    app.programFolder = ctx.programFolder;
    if (!loadCastleArgument(app, args[0])) return 2;
    const CastleModel& castle = app.castle;
    const CastleSettings& s = castle.settings;
    std::printf("settings start1=%d/%d start2=%d/%d lives=%d/%d\n", s.playerStartRoom[0], s.playerStartDoor[0],
                s.playerStartRoom[1], s.playerStartDoor[1], s.playerLives[0], s.playerLives[1]);
    for (int r = 0; r < kRooms; ++r) {
        const Room& room = castle.room(r);
        if (room.roomInUse)
            std::printf("room %d colour=%d map=%d,%d,%d,%d\n", r, room.roomColour, room.roomMapRect.left,
                        room.roomMapRect.top, room.roomMapRect.right, room.roomMapRect.bottom);
        for (int y = 0; y < kRows; ++y) {
            for (int x = 0; x < kColumns; ++x) {
                const CellRecord& rec = room.object(x, y);
                if (isObjectType(rec.type))
                    std::printf("object %d %d %d type=%d number=%d variant=%d picture=%d links=%s dest=%d/%d name=%s\n",
                                r, x, y, rec.type, rec.number, rec.variant, rec.picture, linkText(rec).c_str(),
                                rec.destRoom, rec.destDoor, std::string(objectTypeName(rec.type)).c_str());
                if (room.walkway(x, y) != kEmpty)
                    std::printf("walkway %d %d %d piece=%d\n", r, x, y, room.walkway(x, y));
                if (room.vertical(x, y).type != kEmpty)
                    std::printf("vertical %d %d %d type=%d\n", r, x, y, room.vertical(x, y).type);
            }
        }
    }
    return 0;
}

}  // namespace grusk::cli
