// Every picture the editor draws with: the 153 object pictures (indexed as the
// catalogue's picture numbers), the six start-door pictures, and the start-up
// graphics (title, one of three start pictures, player markers, colour strip,
// about picture). Loaded once at start and kept for the whole run.
#pragma once

#include <array>
#include <string>

#include "editor/draw/raster_image.h"

namespace grusk {

// The six door pictures: player 1, player 2 and both players' start door,
// normal and exit.
enum DoorPicture : int {
    kDoorPictureP1 = 0,
    kDoorPictureP2 = 1,
    kDoorPictureBoth = 2,
    kExitDoorPictureP1 = 3,
    kExitDoorPictureP2 = 4,
    kExitDoorPictureBoth = 5,
};
inline constexpr int kDoorPictureCount = 6;
// File names below resource/, in DoorPicture order.
extern const std::array<const char*, kDoorPictureCount> doorPictureFiles;

inline constexpr int kStartPictureCount = 3;

class PictureSet {
public:
    PictureSet();

    // Loads the six door pictures (silently skipping missing ones), then the
    // 153 object pictures in order from <programFolder>/resource/<name>.bmp.
    // Each file's header size goes to the catalogue. On the first picture that
    // is missing or cannot be read into memory, puts "resource/<name>.bmp NOT
    // found!!" or "... could NOT be allocated!!" into *failure and returns
    // false; the program then shows it and quits. A damaged picture loads as empty.
    bool loadObjectPictures(const std::string& programFolder, std::string* failure);
    void loadDoorPictures(const std::string& programFolder);

    // Player markers, a start picture (startPictureIndex 0..2, or -1 for a
    // random one), title, colour strip and about picture. Missing files leave
    // the picture empty, except the colour strip, which is then made here.
    void loadStartupGraphics(const std::string& programFolder, int startPictureIndex = -1);

    // Empty image for an index outside the set or a picture that failed to load.
    const RasterImage& picture(int index) const;
    const RasterImage& doorPicture(int which) const;
    const RasterImage& title() const { return title_; }
    const RasterImage& startPicture() const { return startPicture_; }
    int startPictureIndex() const { return startPictureIndex_; }
    const RasterImage& markers() const { return markers_; }
    const RasterImage& colourStrip() const { return colourStrip_; }
    const RasterImage& about() const { return about_; }

    // For tests and tools that build a set in memory.
    void setPicture(int index, RasterImage image);
    void setDoorPicture(int which, RasterImage image);
    void setTitle(RasterImage image) { title_ = std::move(image); }
    void setStartPicture(RasterImage image) { startPicture_ = std::move(image); }
    void setMarkers(RasterImage image) { markers_ = std::move(image); }
    void setColourStrip(RasterImage image) { colourStrip_ = std::move(image); }
    void setAbout(RasterImage image) { about_ = std::move(image); }

private:
    std::array<RasterImage, 153> pictures_;
    std::array<RasterImage, kDoorPictureCount> doors_;
    RasterImage title_;
    RasterImage startPicture_;
    int startPictureIndex_ = -1;
    RasterImage markers_;
    RasterImage colourStrip_;
    RasterImage about_;
};

// The 64 x 256 strip of the 16 palette colours from the top, 16 pixels each.
RasterImage makeColourStrip();

// "resource<sep><file>" with the platform's path separator, as messages show it.
std::string resourceDisplayPath(const std::string& file);

}  // namespace grusk
