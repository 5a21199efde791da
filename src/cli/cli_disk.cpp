// gruskedit-cli disk ... and gamedisk: the image operations and the game
// disk builder from the command line.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/disk_commands.h"
#include "cli/cli_commands.h"
#include "disk/game_disk.h"
#include "disk/image_ops.h"
#include "ui/fake_platform.h"

namespace grusk::cli {

namespace {

int usage() {
    printUsage();
    return 2;
}

const char* insertResultText(int result) {
    switch (result) {
        case kInsertNoImage: return "image not loaded";
        case kInsertCannotCreate: return "file can't be created in the image";
        case kInsertNoHostFile: return "host file can't be opened";
        case kInsertIncomplete: return "write incomplete";
    }
    return "failed";
}

int diskMake(const std::vector<std::string>& a) {
    if (a.size() < 2 || a.size() > 4) return usage();
    const std::string name = a.size() > 2 ? a[2] : kGameDiskName;
    const std::string id = a.size() > 3 ? a[3] : kGameDiskId;
    return makeImage(a[1], name, id, std::cout) == 0 ? 0 : 1;
}

int diskList(const std::vector<std::string>& a) {
    if (a.size() != 2) return usage();
    const std::optional<NameList> names = listImageCastles(a[1]);
    if (!names) {
        std::cerr << a[1] << ": not a disk image that can be read\n";
        return 1;
    }
    for (size_t i = 0; i < names->size(); ++i) {
        // The first item, the free-block line, brings its own line end.
        std::cout << (*names)[i];
        if (i > 0) std::cout << '\n';
    }
    return 0;
}

int diskDir(const std::vector<std::string>& a) {
    if (a.size() != 2) return usage();
    int blocksFree = 0;
    const auto items = listImageDirectory(a[1], blocksFree);
    if (!items) {
        std::cerr << a[1] << ": not a disk image that can be read\n";
        return 1;
    }
    for (const DirectoryItem& item : *items)
        std::cout << item.blocks << " \"" << item.hostName << "\" " << fileTypeText(item.typeByte) << '\n';
    std::cout << blocksFree << " blocks free\n";
    return 0;
}

int diskInsert(const std::vector<std::string>& a) {
    if (a.size() < 3) return usage();
    for (size_t i = 2; i < a.size(); ++i) {
        const int result = insertFile(a[1], a[i]);
        if (result != 0) {
            std::cerr << a[i] << ": " << result << " (" << insertResultText(result) << ")\n";
            return 1;
        }
    }
    return 0;
}

int diskExtract(const std::vector<std::string>& a) {
    if (a.size() != 4) return usage();
    bool copied = false;
    if (extractFile(a[1], a[2], a[3], std::cout, std::cerr, &copied) != 0) {
        std::cerr << a[1] << ": not a disk image that can be read\n";
        return 1;
    }
    return copied ? 0 : 1;
}

int diskDelete(const std::vector<std::string>& a) {
    if (a.size() != 3) return usage();
    const int status = deleteFile(a[1], a[2]);
    std::cout << status << '\n';
    return status == kStatusScratched ? 0 : 1;
}

int diskFree(const std::vector<std::string>& a) {
    if (a.size() != 2) return usage();
    const int free = imageBlocksFree(a[1]);
    if (free < 0) {
        std::cerr << a[1] << ": not a disk image that can be read\n";
        return 1;
    }
    std::cout << free << '\n';
    return 0;
}

void printPlatformRecords(const FakePlatform& ui) {
    for (const std::string& line : ui.log) std::cerr << line << '\n';
    for (const std::string& text : ui.messageTexts()) std::cerr << text << '\n';
}

}  // namespace

int runDisk(const CliContext&, const std::vector<std::string>& args) {
    if (args.empty()) return usage();
    const std::string& sub = args[0];
    if (sub == "make") return diskMake(args);
    if (sub == "list") return diskList(args);
    if (sub == "dir") return diskDir(args);
    if (sub == "insert") return diskInsert(args);
    if (sub == "extract") return diskExtract(args);
    if (sub == "delete") return diskDelete(args);
    if (sub == "free") return diskFree(args);
    return usage();
}

int runGameDisk(const CliContext& ctx, const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) return usage();
    FakePlatform ui;
    AppState app(ui);
    ctx.applyTo(app);
    const bool withCastle = args.size() == 2;
    if (withCastle) {
        if (!loadCastleArgument(app, args[1])) return 2;  // as the castle commands do
        if (!compileCastleForDisk(app)) {
            printPlatformRecords(ui);
            std::cerr << args[1] << ": the castle could not be compiled\n";
            return 1;
        }
    }
    std::string imagePath = args[0];
    int result = kInsertDone;
    const int made = withCastle ? buildGameDiskWithCastle(app, imagePath, std::cout, &result)
                                : buildGameDisk(app, imagePath, false, std::cout);
    if (!made) printPlatformRecords(ui);
    if (withCastle) {
        if (result != 0) {
            std::cerr << imagePath << ": the castle could not be put on the disk: " << result << " ("
                      << insertResultText(result) << ")\n";
            return 1;
        }
    }
    return made ? 0 : 1;
}

}  // namespace grusk::cli
