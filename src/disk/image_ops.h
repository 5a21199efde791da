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

// The castle files of listImageCastles with the exact name bytes each is
// stored under, which the host name cannot always give back (shifted
// letters, '*' and '?' in names).
struct ImageCastle {
    std::string hostName;
    DiskName diskName{};
};
struct ImageCastles {
    std::string freeText;  // "%d blocks free\n"
    std::vector<ImageCastle> castles;
};
std::optional<ImageCastles> listImageCastleEntries(const std::string& imagePath);

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
// makeImage followed by an insertFile of each file, with the image written
// once at the end, and only when every file went in whole. results (when
// given) gets each insertion's result up to the first failure. 0 done; 1
// nothing could be made or the image could not be written; 2 a file could not
// be put on whole (the last result tells why). On failure the file at
// imagePath is as it was, or not there when it was not before.
inline constexpr int kMakeFileFailed = 2;
int makeImageWithFiles(const std::string& imagePath, const std::string& diskName, const std::string& diskId,
                       std::ostream& out, const std::vector<HostFile>& files, std::vector<int>* results = nullptr);

// Copies the host file in under its base name (no folder, no extension).
// 0 done; -1 image not loaded; -2 file can't be created in the image;
// -3 host file can't be opened; -4 write incomplete (disk full, or the image
// could not be written back). Only a complete copy changes the image file.
int insertFile(const std::string& imagePath, const std::string& hostPath);
// The same under a host name of the caller's choice instead of the base name.
int insertFileAs(const std::string& imagePath, const std::string& hostPath, const std::string& hostName);
// insertFileAs that first deletes a prg file stored under exactly that name
// (closed or unclosed); the old file goes only when the new copy is complete
// and the image written, otherwise the image file stays as it was.
int replaceFileAs(const std::string& imagePath, const std::string& hostPath, const std::string& hostName);
// insertFileAs on an image held in memory, which is not written back; the
// same results except that writing the image back is the caller's. A failed
// copy leaves the image's bytes as they were, unless the caller throws the
// image away then (KeepOnFailure::No: nothing is copied aside for it).
enum class KeepOnFailure : bool { No, Yes };
int insertHostFile(DiskImage& image, const std::string& hostPath, const std::string& hostName,
                   KeepOnFailure keep = KeepOnFailure::Yes);

// Copies the image's prg file fileName (a pattern: the first match) into a
// new host file. 1 when the image can't be loaded, 0 otherwise; copied tells
// whether the host file was written. Messages go to out and err.
int extractFile(const std::string& imagePath, const std::string& fileName, const std::string& hostPath,
                std::ostream& out, std::ostream& err, bool* copied = nullptr);
int extractFile(const std::string& imagePath, const std::string& fileName, const std::string& hostPath);
// extractFile of the closed prg file stored under exactly these name bytes.
int extractNamedFile(const std::string& imagePath, const DiskName& name, const std::string& hostPath,
                     std::ostream& out, std::ostream& err, bool* copied = nullptr);

// 0 image not loaded (or not written back); otherwise the scratch status:
// 1 deleted, 62 not found.
int deleteFile(const std::string& imagePath, const std::string& fileName);
// deleteFile of the prg file stored under exactly these name bytes, closed or
// left unclosed by a full disk.
int deleteNamedFile(const std::string& imagePath, const DiskName& name);

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
