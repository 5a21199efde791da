// render and render-map: draw a room or the castle map as the editor shows
// them (with --links, the room's link lines and door labels; with --labels,
// the map's room numbers and start marks) and write the picture as a PNG file.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef GRUSK_HAVE_PNG
#include <png.h>
#endif

#include "cli/cli_commands.h"
#include "editor/draw/map_renderer.h"
#include "editor/draw/picture_set.h"
#include "editor/draw/room_renderer.h"
#include "model/safe_file.h"
#include "ui/fake_platform.h"

namespace grusk::cli {

namespace {

#ifdef GRUSK_HAVE_PNG
void appendPngData(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

bool encodePng(const RasterImage& image, std::vector<uint8_t>& out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<uint8_t> row(size_t(image.width()) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, appendPngData, nullptr);
    png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height(); ++y) {
        const uint32_t* in = image.data() + size_t(y) * size_t(image.width());
        for (int x = 0; x < image.width(); ++x) {
            row[size_t(x) * 3] = uint8_t(in[x] >> 16);
            row[size_t(x) * 3 + 1] = uint8_t(in[x] >> 8);
            row[size_t(x) * 3 + 2] = uint8_t(in[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}
#endif

int writePng(const RasterImage& image, const std::string& path) {
#ifdef GRUSK_HAVE_PNG
    std::vector<uint8_t> bytes;
    if (!encodePng(image, bytes) || !writeFileAtomically(path, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
#else
    (void)image;
    std::fprintf(stderr, "cannot write %s: this build has no PNG support\n", path.c_str());
    return 1;
#endif
}

// The editor's pictures, as the program loads them at start.
bool loadPictures(const CliContext& ctx, PictureSet& pictures) {
    std::string failure;
    if (!pictures.loadObjectPictures(ctx.shippedFolder(), &failure)) {
        std::fprintf(stderr, "%s (program folder %s)\n", failure.c_str(), ctx.shippedFolder().c_str());
        return false;
    }
    pictures.loadStartupGraphics(ctx.shippedFolder(), 0);
    return true;
}

bool parseRoomNumber(const std::string& text, int* room) {
    if (text.empty() || text.size() > 3) return false;
    int value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return false;
        value = value * 10 + (ch - '0');
    }
    if (value < 1 || value > kRooms) return false;
    *room = value;
    return true;
}

// Takes an option word out of the arguments wherever it stands; true when it was there.
bool takeOption(std::vector<std::string>& args, const std::string& option) {
    bool found = false;
    for (auto it = args.begin(); it != args.end();) {
        if (*it == option) {
            it = args.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    return found;
}

}  // namespace

int runRender(const CliContext& ctx, const std::vector<std::string>& givenArgs) {
    std::vector<std::string> args = givenArgs;
    const bool links = takeOption(args, "--links");
    if (args.size() != 3) {
        printUsage();
        return 2;
    }
    int room = 0;
    if (!parseRoomNumber(args[1], &room)) {
        std::fprintf(stderr, "ROOM must be a room number from 1 to %d, not \"%s\"\n", kRooms, args[1].c_str());
        return 2;
    }
    FakePlatform ui;
    PictureSet pictures;
    // Pictures first: their sizes decide how many cells each object covers.
    if (!loadPictures(ctx, pictures)) return 1;
    AppState app(ui);
    ctx.applyTo(app);
    if (!loadCastleArgument(app, args[0])) return 2;
    app.castle.currentRoom = room - 1;
    RasterImage canvas;
    CanvasPaintOptions options;
    options.showLinks = links;
    paintCanvas(canvas, app.castle, pictures, options);
    return writePng(canvas, args[2]);
}

int runRenderMap(const CliContext& ctx, const std::vector<std::string>& givenArgs) {
    std::vector<std::string> args = givenArgs;
    MapPaintState state;
    state.labels = takeOption(args, "--labels");
    if (args.size() != 2) {
        printUsage();
        return 2;
    }
    FakePlatform ui;
    PictureSet pictures;
    if (!loadPictures(ctx, pictures)) return 1;
    AppState app(ui);
    ctx.applyTo(app);
    if (!loadCastleArgument(app, args[0])) return 2;
    RasterImage map;
    paintMap(map, app.castle, pictures, state);
    return writePng(map, args[1]);
}

}  // namespace grusk::cli
