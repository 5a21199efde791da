#include "editor/draw/picture_set.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <utility>

#include "editor/catalogue.h"
#include "editor/draw/bmp.h"
#include "editor/draw/palette.h"
#include "model/safe_file.h"

namespace grusk {

namespace {

// An object picture file larger than this cannot be a picture of a room's size.
constexpr size_t kMaxPictureFileSize = size_t(kMaxBitmapSide) * kMaxBitmapSide * 4 + 4096;

const RasterImage& emptyImage() {
    static const RasterImage empty;
    return empty;
}

std::string resourceFile(const std::string& programFolder, const std::string& file) {
    return (std::filesystem::path(programFolder) / "resource" / file).string();
}

}  // namespace

const std::array<const char*, kDoorPictureCount> doorPictureFiles = {
    "door1.bmp", "door2.bmp", "door12.bmp", "exit door1.bmp", "exit door2.bmp", "exit door12.bmp",
};

std::string resourceDisplayPath(const std::string& file) {
    return std::string("resource") + char(std::filesystem::path::preferred_separator) + file;
}

RasterImage makeColourStrip() {
    RasterImage strip(64, 256);
    for (int i = 0; i < 16; ++i) strip.fillRect(0, i * 16, 64, 16, c64Palette[size_t(i)]);
    return strip;
}

PictureSet::PictureSet() = default;

const RasterImage& PictureSet::picture(int index) const {
    if (index < 0 || index >= int(pictures_.size())) return emptyImage();
    return pictures_[size_t(index)];
}

const RasterImage& PictureSet::doorPicture(int which) const {
    if (which < 0 || which >= kDoorPictureCount) return emptyImage();
    return doors_[size_t(which)];
}

void PictureSet::setPicture(int index, RasterImage image) {
    if (index >= 0 && index < int(pictures_.size())) pictures_[size_t(index)] = std::move(image);
}

void PictureSet::setDoorPicture(int which, RasterImage image) {
    if (which >= 0 && which < kDoorPictureCount) doors_[size_t(which)] = std::move(image);
}

void PictureSet::loadDoorPictures(const std::string& programFolder) {
    for (int k = 0; k < kDoorPictureCount; ++k)
        doors_[size_t(k)] = bitmapFromFile(resourceFile(programFolder, doorPictureFiles[size_t(k)]));
}

bool PictureSet::loadObjectPictures(const std::string& programFolder, std::string* failure) {
    loadDoorPictures(programFolder);
    for (int i = 0; i < int(pictures_.size()); ++i) {
        const std::string file = std::string(objectTypeName(i)) + ".bmp";
        const std::string path = resourceFile(programFolder, file);
        if (fileSize(path) < 0 || !canOpenForReading(path)) {
            if (failure) *failure = resourceDisplayPath(file) + " NOT found!!";
            return false;
        }
        const long long size = fileSize(path);
        const auto bytes = size >= 0 && static_cast<unsigned long long>(size) <= kMaxPictureFileSize
                               ? readWholeFile(path, kMaxPictureFileSize)
                               : std::nullopt;
        if (!bytes) {
            if (failure) *failure = resourceDisplayPath(file) + " could NOT be allocated!!";
            return false;
        }
        // The header's size decides how many cells the object covers, even
        // when the picture itself cannot be decoded (it is then not drawn);
        // but a header of no size must not shrink an object to nothing.
        int width = 0, height = 0;
        if (bitmapHeaderSize(bytes->data(), bytes->size(), &width, &height) && width > 0 && height > 0)
            setLoadedPictureSize(i, width, height);
        pictures_[size_t(i)] = bitmapFromBytes(bytes->data(), bytes->size());
    }
    return true;
}

void PictureSet::loadStartupGraphics(const std::string& programFolder, int startPictureIndex) {
    markers_ = bitmapFromFile(resourceFile(programFolder, "oneuptwoup.bmp"));
    if (startPictureIndex < 0 || startPictureIndex >= kStartPictureCount) {
        std::mt19937 random(static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
        startPictureIndex = int(random() % kStartPictureCount);
    }
    startPictureIndex_ = startPictureIndex;
    char name[32];
    std::snprintf(name, sizeof name, "startpic%02d.bmp", startPictureIndex);
    startPicture_ = bitmapFromFile(resourceFile(programFolder, name));
    title_ = bitmapFromFile(resourceFile(programFolder, "title.bmp"));
    colourStrip_ = bitmapFromFile(resourceFile(programFolder, "colourstrip.bmp"));
    if (colourStrip_.empty()) colourStrip_ = makeColourStrip();
    about_ = bitmapFromFile(resourceFile(programFolder, "about.bmp"));
}

}  // namespace grusk
