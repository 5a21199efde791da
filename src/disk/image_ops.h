// Whole-image file operations, each a self-contained step on an image file
// named by its host path: load, do the work, release (which writes the image
// back when it changed). Every file put in or taken out is a prg file.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "disk/disk_image.h"

namespace grusk {

using NameList = std::vector<std::string>;

// insertFile results.
inline constexpr int kInsertDone = 0;
inline constexpr int kInsertNoImage = -1;
inline constexpr int kInsertCannotCreate = -2;
inline constexpr int kInsertNoHostFile = -3;
inline constexpr int kInsertIncomplete = -4;

// Host text (first 16 characters) as a padded disk name with swapped letter case.
DiskName diskNameFromHost(const std::string& text);
// A disk name as host text: cut at the first 0xA0, letter case swapped.
std::string hostNameFromDisk(const uint8_t* field);

// "%d blocks free\n" first, then the host names of the castle files (names
// beginning with Z) in directory order, open or closed; nullopt when the
// image or its directory cannot be read.
std::optional<NameList> listImageCastles(const std::string& imagePath);

// Makes imagePath a freshly formatted image (kind from an existing image,
// else from the ending .d64/.d71/.d81) and writes the track report to out.
// 0 done, 1 failed.
int makeImage(const std::string& imagePath, const std::string& diskName, const std::string& diskId,
              std::ostream& out);
int makeImage(const std::string& imagePath, const std::string& diskName, const std::string& diskId);

// A host file to put into an image, under name (its base name when empty).
struct HostFile {
    std::string path;
    std::string name;
};
// makeImage followed by an insertFile of each file, giving the same image
// bytes, but with the image written once at the end instead of after every
// step. results (when given) gets each insertion's result. 0 done, 1 failed
// (nothing could be made or the image could not be written).
int makeImageWithFiles(const std::string& imagePath, const std::string& diskName, const std::string& diskId,
                       std::ostream& out, const std::vector<HostFile>& files, std::vector<int>* results = nullptr);

// Copies the host file in under its base name (no folder, no extension).
// 0 done; -1 image not loaded; -2 file can't be created in the image;
// -3 host file can't be opened; -4 write incomplete (disk full, or the image
// could not be written back).
int insertFile(const std::string& imagePath, const std::string& hostPath);
// The same under a host name of the caller's choice instead of the base name.
int insertFileAs(const std::string& imagePath, const std::string& hostPath, const std::string& hostName);
// insertFileAs on an image held in memory, which is not written back; the
// same results except that writing the image back is the caller's.
int insertHostFile(DiskImage& image, const std::string& hostPath, const std::string& hostName);

// Copies the image's prg file fileName (a pattern: the first match) into a
// new host file. 1 when the image can't be loaded, 0 otherwise; copied tells
// whether the host file was written. Messages go to out and err.
int extractFile(const std::string& imagePath, const std::string& fileName, const std::string& hostPath,
                std::ostream& out, std::ostream& err, bool* copied = nullptr);
int extractFile(const std::string& imagePath, const std::string& fileName, const std::string& hostPath);

// 0 image not loaded (or not written back); otherwise the scratch status:
// 1 deleted, 62 not found.
int deleteFile(const std::string& imagePath, const std::string& fileName);

// The image's free blocks, -1 when it can't be loaded.
int imageBlocksFree(const std::string& imagePath);

// One directory entry in use, as a directory listing shows it.
struct DirectoryItem {
    int blocks = 0;
    std::string hostName;
    uint8_t typeByte = 0;
};
// "prg", "seq", ...; "*" in front when not closed, "<" after when locked.
std::string fileTypeText(uint8_t typeByte);
// Every entry in use in directory order, and the free blocks; nullopt when
// the image can't be loaded.
std::optional<std::vector<DirectoryItem>> listImageDirectory(const std::string& imagePath, int& blocksFree);

}  // namespace grusk
