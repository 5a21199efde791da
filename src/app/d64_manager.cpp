#include "app/d64_manager.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "app/disk_commands.h"
#include "disk/game_disk.h"
#include "disk/image_ops.h"
#include "model/safe_file.h"

namespace grusk {

namespace fs = std::filesystem;

namespace {

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Selected indexes from the top, each once, only those inside the list.
std::vector<int> topDown(std::vector<int> selected, size_t count) {
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    std::erase_if(selected, [count](int i) { return i < 0 || static_cast<size_t>(i) >= count; });
    return selected;
}

void insertSorted(std::vector<FolderItem>& items, FolderItem item) {
    const auto at = std::upper_bound(items.begin(), items.end(), item,
                                     [](const FolderItem& a, const FolderItem& b) { return a.name < b.name; });
    items.insert(at, std::move(item));
}

}  // namespace

std::vector<FolderItem> listFolderCastles(const std::string& folder) {
    std::vector<FolderItem> items;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    if (ec) return items;
    for (const fs::directory_entry& entry : it) {
        std::error_code fileEc;
        if (!entry.is_regular_file(fileEc)) continue;
        const std::string lower = lowerCase(entry.path().filename().string());
        if (lower.size() < 5 || lower[0] != 'z' || !lower.ends_with(".prg")) continue;
        FolderItem item;
        item.name = lower.substr(0, lower.find(".prg"));
        item.hostPath = (fs::path(folder) / entry.path().filename()).string();
        items.push_back(std::move(item));
    }
    std::sort(items.begin(), items.end(), [](const FolderItem& a, const FolderItem& b) {
        return a.name != b.name ? a.name < b.name : a.hostPath < b.hostPath;
    });
    return items;
}

D64Manager::D64Manager(AppState& app) : app_(app) {}

void D64Manager::publish() {
    app_.ui.setControlText(WindowId::D64Manager, kD64FolderField, folderField);
    app_.ui.setControlText(WindowId::D64Manager, kD64ImageField, imageField);
    app_.ui.setControlText(WindowId::D64Manager, kD64FreeBlocksText, freeBlocksText);
    app_.ui.enableControl(WindowId::D64Manager, kD64CopyInButton, copyInEnabled);
    app_.ui.enableControl(WindowId::D64Manager, kD64DeleteButton, deleteEnabled);
}

void D64Manager::showImage(const std::string& path) {
    imageItems.clear();
    imageNames.clear();
    freeBlocksText.clear();
    if (std::optional<ImageCastles> list = listImageCastleEntries(path)) {
        freeBlocksText = list->freeText;
        for (const ImageCastle& castle : list->castles) {
            imageItems.push_back(castle.hostName);
            imageNames.push_back(castle.diskName);
        }
    }
    publish();
}

DiskName D64Manager::imageNameAt(size_t index) const {
    if (index < imageNames.size()) return imageNames[index];
    return diskNameFromHost(imageItems[index]);
}

void D64Manager::fillFolderList() { folderItems = listFolderCastles(folderField); }

void D64Manager::open() {
    if (imagePath.empty()) imagePath = app_.programPath("GruskEdit.d64");
    // A fresh dialog: nothing shown, both buttons disabled.
    imageItems.clear();
    freeBlocksText.clear();
    copyInEnabled = deleteEnabled = false;
    std::error_code ec;
    folderField = fs::current_path(ec).string();
    fillFolderList();
    imageField = kD64ImageFieldHint;
    if (!imagePath.empty() && canOpenForReading(imagePath) && fs::is_regular_file(imagePath, ec)) {
        imageField = imagePath;
        copyInEnabled = deleteEnabled = true;
        showImage(imagePath);
    }
    publish();
}

void D64Manager::copyIn(const std::vector<int>& selectedFolderItems) {
    imagePath = imageField;
    for (int index : topDown(selectedFolderItems, folderItems.size())) {
        const FolderItem item = folderItems[static_cast<size_t>(index)];
        const long long size = fileSize(item.hostPath);  // -1 when missing, which estimates 0
        const long long estimate = size / 256;
        if (estimate > imageBlocksFree(imagePath) - 1) {
            app_.ui.message(kDiscFull, kCaptionKvt);
            break;
        }
        // Stored under the list name, so that the disk name does not depend on
        // the letter case of the host file.
        const int result = insertFileAs(imagePath, item.hostPath, item.name);
        if (result == kInsertCannotCreate) {
            if (app_.ui.ask(kFileExistsOverwrite, kCaptionWatchIt, QuestionKind::YesNo) != Reply::Yes) break;
            // The old castle goes only together with a complete new copy.
            if (replaceFileAs(imagePath, item.hostPath, item.name) != kInsertDone) {
                app_.ui.message(kWriteError, kCaptionKvt);
                break;
            }
        } else if (result != kInsertDone) {
            // Nothing exists to overwrite: the copy itself failed and the image is as it was.
            app_.ui.message(kWriteError, kCaptionKvt);
            break;
        }
    }
    showImage(imagePath);
    imageField = imagePath;
    publish();
}

std::string D64Manager::hostPathFor(const std::string& folder, const std::string& item) const {
    // A name from the image must stay a file name inside the folder.
    std::string safe = item;
    for (char& c : safe)
        if (c == '/' || c == '\\' || c == '\0') c = '_';
    safe = lowerCase(safe);
    const std::string wanted = safe + ".prg";
    // On a case-sensitive file system an existing zTwo.PRG is the file of ztwo.
    for (const FolderItem& existing : folderItems)
        if (lowerCase(fs::path(existing.hostPath).filename().string()) == wanted &&
            fs::path(existing.hostPath).parent_path() == fs::path(folder))
            return existing.hostPath;
    std::error_code ec;
    if (fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec); !ec) {
        for (const fs::directory_entry& entry : it)
            if (lowerCase(entry.path().filename().string()) == wanted)
                return (fs::path(folder) / entry.path().filename()).string();
    }
    return (fs::path(folder) / (safe + ".prg")).string();
}

void D64Manager::copyOut(const std::vector<int>& selectedImageItems) {
    const std::string folder = folderField;
    imagePath = imageField;
    for (int index : topDown(selectedImageItems, imageItems.size())) {
        const std::string item = imageItems[static_cast<size_t>(index)];
        const std::string host = hostPathFor(folder, item);
        std::error_code ec;
        if (fs::exists(host, ec)) {
            if (app_.ui.ask(kFileExistsOverwrite, kCaptionWatchIt, QuestionKind::YesNo) != Reply::Yes) return;
            // The copy replaces the old file in one step, so it is not deleted
            // first: a failed copy then keeps it.
        }
        std::ostringstream out, err;
        bool copied = false;
        if (extractNamedFile(imagePath, imageNameAt(static_cast<size_t>(index)), host, out, err, &copied) != 0) {
            app_.ui.message(kReadError, kCaptionKvt);
            continue;
        }
        if (!copied) {
            app_.ui.message(kCouldNotCopy + item, kCaptionKvt);
            continue;
        }
        // Listed once it is really there, under its lower-case host name.
        const std::string file = lowerCase(fs::path(host).filename().string());
        const std::string name = file.substr(0, file.find(".prg"));
        const bool listed = std::any_of(folderItems.begin(), folderItems.end(),
                                        [&](const FolderItem& f) { return f.name == name; });
        if (!listed) insertSorted(folderItems, FolderItem{name, host});
    }
}

void D64Manager::deleteFiles(const std::vector<int>& selectedImageItems) {
    imagePath = imageField;
    for (int index : topDown(selectedImageItems, imageItems.size()))
        if (deleteNamedFile(imagePath, imageNameAt(static_cast<size_t>(index))) == 0)
            app_.ui.message(kDeletionNotSuccessful, kCaptionKvt);
    showImage(imagePath);
}

void D64Manager::createNewImage() {
    imagePath.clear();
    if (!buildGameDisk(app_, imagePath, true)) {
        app_.ui.message(kCouldNotCreateImage, kCaptionKvt);
        return;
    }
    imageField = imagePath;
    copyInEnabled = deleteEnabled = true;
    showImage(imagePath);
}

void D64Manager::openImage() {
    const std::optional<std::string> chosen = app_.ui.askOpenFile("", kD64Filter);
    if (!chosen) return;
    imageField = *chosen;
    copyInEnabled = deleteEnabled = true;
    showImage(imageField);
}

void D64Manager::chooseFolder() {
    const std::optional<std::string> chosen = app_.ui.askFolder(kD64FolderPickerTitle, folderPickerLast);
    if (!chosen) return;
    folderPickerLast = *chosen;
    std::error_code ec;
    fs::current_path(*chosen, ec);
    if (ec) return;  // not a folder we can enter: nothing else changes
    folderField = *chosen;
    fillFolderList();
    publish();
}

}  // namespace grusk
