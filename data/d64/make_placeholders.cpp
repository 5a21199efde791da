// Writes the thirteen stand-ins for the game's own files into a d64 folder:
// each a tokenised C64 BASIC program loading at $0801 that tells the user
// where the real file belongs. A file that is not one of these stand-ins
// (the game's real file, copied there by the user) is never overwritten.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kBasicStart = 0x0801;
constexpr uint8_t kTokenPrint = 0x99;
// Every stand-in starts with this line, which is how a later build knows it.
constexpr const char* kMarkerLine = "GRUSKEDIT PLACEHOLDER";

const char* const kFiles[] = {
    "castles.prg", "grusk.prg",  "music0.prg", "music1.prg", "music2.prg", "music3.prg",      "music4.prg",
    "music5.prg",  "music6.prg", "music7.prg", "music8.prg", "object.prg", "pic a title.prg",
};

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::vector<uint8_t> basicProgram(const std::vector<std::string>& lines) {
    std::vector<uint8_t> out = {kBasicStart & 0xFF, kBasicStart >> 8};
    uint16_t address = kBasicStart;
    int number = 10;
    for (const std::string& text : lines) {
        std::vector<uint8_t> body = {static_cast<uint8_t>(number & 0xFF), static_cast<uint8_t>(number >> 8),
                                     kTokenPrint, '"'};
        body.insert(body.end(), text.begin(), text.end());
        body.push_back('"');
        body.push_back(0);
        address = static_cast<uint16_t>(address + 2 + body.size());
        out.push_back(static_cast<uint8_t>(address & 0xFF));
        out.push_back(static_cast<uint8_t>(address >> 8));
        out.insert(out.end(), body.begin(), body.end());
        number += 10;
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

std::vector<uint8_t> placeholderFor(const std::string& name) {
    // Unshifted PETSCII letters show as capitals, so the text is kept upper case.
    return basicProgram({
        kMarkerLine,
        "THIS IS NOT THE GAME'S " + upper(name),
        "THE GAME'S OWN FILES BELONG IN THE",
        "D64 FOLDER OF THE GRUSKEDIT PROGRAM",
        "FOLDER, OR, WHEN GRUSKEDIT IS",
        "INSTALLED, IN .LOCAL/SHARE/GRUSKEDIT/",
        "D64 IN YOUR HOME FOLDER. COPY THEM",
        "THERE AND BUILD THE GAME DISK AGAIN.",
    });
}

bool isPlaceholder(const std::vector<uint8_t>& bytes) {
    const std::string marker = kMarkerLine;
    const size_t at = 2 + 2 + 2 + 2;  // load address, link, line number, PRINT and quote
    return bytes.size() > at + marker.size() && std::string(bytes.begin() + at, bytes.begin() + static_cast<long>(at + marker.size())) == marker;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_placeholders D64FOLDER\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path folder = argv[1];
    std::error_code ec;
    fs::create_directories(folder, ec);
    int status = 0;
    for (const char* name : kFiles) {
        const fs::path path = folder / name;
        const std::vector<uint8_t> wanted = placeholderFor(fs::path(name).stem().string() + ".prg");
        if (fs::exists(path, ec)) {
            std::ifstream in(path, std::ios::binary);
            const std::vector<uint8_t> have((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (have == wanted || !isPlaceholder(have)) continue;
        }
        const fs::path temp = folder / (std::string(".") + name + ".tmp");
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(wanted.data()), static_cast<std::streamsize>(wanted.size()));
            if (!out) status = 1;
        }
        fs::rename(temp, path, ec);
        if (ec) {
            std::fprintf(stderr, "make_placeholders: cannot write %s\n", path.string().c_str());
            status = 1;
        }
    }
    return status;
}
