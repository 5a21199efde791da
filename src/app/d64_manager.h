// The D64 manager's logic, apart from any toolkit: it moves castle programs
// (host files z*.prg) between a host folder and a disk image. The window
// shows the fields, lists and button states held here and calls one method
// per command with the indexes of the selected list items; messages and
// questions go through the platform. Keep one D64Manager for the whole run:
// imagePath, folderPickerLast and the current folder outlive the dialog.
//
// The folder side is the process's current folder by design: choosing a
// folder makes it the current folder of the whole program.
//
// Only "Close" ends the dialog in this logic; the window should treat Escape
// and its close box as "Close" (">>" carries the dialog id 2, which toolkits
// often tie to cancelling).
#pragma once

#include <string>
#include <vector>

#include "app/app_state.h"
#include "disk/disk_image.h"

namespace grusk {

// Controls of the dialog "D64 Editor" (template IDD_MAKEDISC, 298 x 118 units).
inline constexpr int kD64CloseButton = 1;
inline constexpr int kD64CopyInButton = 2;       // ">>", initially disabled
inline constexpr int kD64CopyOutButton = 3;      // "<<"
inline constexpr int kD64CreateButton = 4;       // "Create New Image"
inline constexpr int kD64OpenButton = 5;         // "Open Image"
inline constexpr int kD64ImageField = 1101;      // read-only edit: the image path
inline constexpr int kD64FolderField = 1102;     // read-only edit: the current folder
inline constexpr int kD64ImageList = 1276;       // unsorted, extended selection
inline constexpr int kD64FolderList = 1277;      // sorted, extended selection
inline constexpr int kD64DeleteButton = 1278;    // "Delete Files", initially disabled
inline constexpr int kD64FolderButton = 1279;    // "..." beside the folder
inline constexpr int kD64ImageButton = 1280;     // "..." beside the image
inline constexpr int kD64FreeBlocksText = 1281;  // static text

inline constexpr const char* kD64DialogTitle = "D64 Editor";
inline constexpr const char* kD64ImageFieldHint = "D64 Image File";
inline constexpr const char* kD64HintText =
    "Move the compiled Castles to the D64 image. Then run the image in any C-64 Emulator.";
inline constexpr const char* kD64FolderPickerTitle = "Select Folder";

inline constexpr const char* kDiscFull = "Disc full!";
inline constexpr const char* kFileExistsOverwrite = "File exists. Overwrite?";
inline constexpr const char* kWriteError = "Write error!";
inline constexpr const char* kReadError = "Read error!";
inline constexpr const char* kDeletionNotSuccessful = "Deletion not successful";
inline constexpr const char* kCouldNotCopy = "Could not copy ";  // + the entry's name

// A castle program in the folder: its list text (lower case, no ".prg") and
// the path of the real file.
struct FolderItem {
    std::string name;
    std::string hostPath;
    bool operator==(const FolderItem&) const = default;
};

// The items for the castle programs in a folder: regular files matching
// "z*.prg" without regard to case, sorted by name.
std::vector<FolderItem> listFolderCastles(const std::string& folder);

class D64Manager {
public:
    explicit D64Manager(AppState& app);

    // Kept for the whole run.
    std::string imagePath;
    std::string folderPickerLast;

    // What the dialog shows.
    std::string folderField;             // 1102
    std::string imageField;              // 1101
    std::vector<FolderItem> folderItems; // 1277, sorted
    std::vector<std::string> imageItems; // 1276, directory order
    // The exact name bytes of each image item: commands act on the selected
    // files themselves, never on a pattern their names may spell.
    std::vector<DiskName> imageNames;
    std::string freeBlocksText;          // 1281, as listed: "%d blocks free\n"
    bool copyInEnabled = false;          // ">>"
    bool deleteEnabled = false;          // "Delete Files"

    // Opening the dialog: fills both sides from the current folder and imagePath.
    void open();
    // ">>": copies the selected folder items into the image.
    void copyIn(const std::vector<int>& selectedFolderItems);
    // "<<": copies the selected image items into the folder.
    void copyOut(const std::vector<int>& selectedImageItems);
    // "Delete Files".
    void deleteFiles(const std::vector<int>& selectedImageItems);
    // "Create New Image".
    void createNewImage();
    // "Open Image" and the image "...".
    void openImage();
    // The folder "...".
    void chooseFolder();

    // Refills the image list and free-block text from the image at path.
    void showImage(const std::string& path);
    // Refills the folder list from folderField.
    void fillFolderList();

private:
    void publish();
    std::string hostPathFor(const std::string& folder, const std::string& item) const;
    DiskName imageNameAt(size_t index) const;

    AppState& app_;
};

}  // namespace grusk
