#include "ui/qt/editor_app.h"

#include <QApplication>
#include <QInputDialog>
#include <QListWidget>

#include "editor/room_editing.h"
#include "ui/qt/d64_manager_dialog.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_config.h"
#include "ui/qt/room_map_window.h"
#include "ui/qt/settings_dialogs.h"
#include "ui/qt/text_dialog.h"
#include "ui/qt/tool_windows.h"

namespace grusk {

EditorApp::EditorApp() {
    session_ = std::make_unique<EditorSession>(platform_, *this);
    mainWindow_ = std::make_unique<MainWindow>(*session_, platform_);

    log_ = std::make_unique<ToolWindow>("Log Window", "IDD_LOG");
    platform_.registerWindow(WindowId::Log, log_.get());
    platform_.registerControl(WindowId::Log, 1321, log_->list());
    inspector_ = std::make_unique<ToolWindow>("Inspector", "IDD_INSPECTOR");
    platform_.registerWindow(WindowId::Inspector, inspector_.get());
    platform_.registerControl(WindowId::Inspector, 1321, inspector_->list());
    problems_ = std::make_unique<ToolWindow>("Problems", "IDD_PROBLEMS");
    platform_.registerWindow(WindowId::Problems, problems_.get());
    platform_.registerControl(WindowId::Problems, 1321, problems_->list());
    // A double click or Enter on a problem goes to it.
    QObject::connect(problems_->list(), &QListWidget::itemActivated, mainWindow_.get(), [this](QListWidgetItem* item) {
        session_->goToProblem(static_cast<size_t>(problems_->list()->row(item)));
        mainWindow_->syncWithSession();
    });
    QObject::connect(mainWindow_.get(), &MainWindow::synced, mainWindow_.get(), [this] { refreshToolWindows(); });
    const ViewSettings views = readViewSettings();
    session_->app().showLinks = views.showLinks;
    session_->app().labelMap = views.labelMap;
    roomMap_ = std::make_unique<RoomMapWindow>(*session_, platform_);
    QObject::connect(roomMap_.get(), &RoomMapWindow::changed, mainWindow_.get(), &MainWindow::syncWithSession);

    selectDoor_ = new SelectDoorWindow(mainWindow_.get());
    platform_.registerWindow(WindowId::SelectDoor, selectDoor_);
    mapDoor_ = new MapDoorPrompt(mainWindow_.get());
    platform_.registerWindow(WindowId::MapDoor, mapDoor_);
    // Leaving the prompt without a map click leaves the door where it was.
    mapDoor_->onCancel = [this] { session_->app().mapDoorMode = false; };

    onQuit = [] { QCoreApplication::quit(); };
}

EditorApp::~EditorApp() {
    platform_.setInteractionDelegate(nullptr);
    mainWindow_.reset();  // owns the prompts
}

bool EditorApp::start(const std::string& programFolder) {
    const bool started = session_->create(programFolder);
    mainWindow_->syncWithSession();  // check marks of the remembered views, tool windows
    return started;
}

bool EditorApp::start(const ProgramFolders& folders) {
    const bool started = session_->create(folders);
    mainWindow_->syncWithSession();
    return started;
}

void EditorApp::refreshToolWindows() {
    if (session_->problemsVersion() != problemsShown_) {
        problemsShown_ = session_->problemsVersion();
        QListWidget* list = problems_->list();
        const int row = list->currentRow();
        list->clear();
        for (const CastleProblem& p : session_->problems()) list->addItem(QString::fromStdString(p.message));
        if (row >= 0 && row < list->count()) list->setCurrentRow(row);
        // The count in the title too, for a glance at the task bar.
        problems_->setWindowTitle(
            QString::fromStdString("Problems - " + problemCountText(session_->problems().size())));
    }
    QStringList lines;
    for (const std::string& line : session_->inspectorLines()) lines << QString::fromStdString(line);
    QListWidget* inspector = inspector_->list();
    bool same = inspector->count() == lines.size();
    for (int i = 0; same && i < lines.size(); ++i) same = inspector->item(i)->text() == lines[i];
    if (!same) {
        inspector->clear();
        inspector->addItems(lines);
    }
}

void EditorApp::runCastleSettings(CastleSettingsLogic& logic) {
    CastleSettingsDialog dialog(logic, mainWindow_.get());
    runModal(dialog);
}

void EditorApp::runDoorProperties(DoorPropertiesLogic& logic) {
    DoorPropertiesDialog dialog(
        logic, [this] { session_->awaitDoorMapClick(); }, mainWindow_.get());
    runModal(dialog);
}

void EditorApp::runD64Manager(D64Manager& manager) {
    D64ManagerDialog dialog(manager, platform_, mainWindow_.get());
    runModal(dialog);
}

void EditorApp::runAbout(const RasterImage& picture) {
    AboutDialog dialog(picture);
    runModal(dialog);
}

std::optional<std::string> EditorApp::runTextDialog(const std::string& initial) {
    // Only "OK" ends the dialog, so there is always a text.
    TextDialog dialog(initial, mainWindow_.get());
    runModal(dialog);
    return dialog.typed();
}

std::optional<int> EditorApp::runRoomNumberDialog(int initial) {
    QInputDialog dialog(mainWindow_.get());
    dialog.setObjectName("IDD_SWAPROOM");
    dialog.setWindowTitle("Swap With Room");
    dialog.setLabelText("Swap the current room with room number (1 to 64):");
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(1, kRooms);
    dialog.setIntValue(initial);
    if (runModal(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.intValue();
}

bool EditorApp::restoreView() {
    rememberingView_ = true;
    const std::string& folder = session_->app().programFolder;
    const RememberedView view = readRememberedView(folder);
    std::vector<std::string> recent;
    for (const QString& path : view.recentFiles) recent.push_back(path.toStdString());
    session_->recentFiles().set(recent);
    mainWindow_->setZoom(view.zoom);
    roomMap_->setZoom(view.mapZoom);
    if (!view.mapGeometry.isEmpty()) roomMap_->restoreGeometry(view.mapGeometry);
    mainWindow_->onRecentFilesChanged = [this] { rememberView(); };
    mainWindow_->syncWithSession();
    return !view.mainGeometry.isEmpty() && mainWindow_->restoreGeometry(view.mainGeometry);
}

void EditorApp::rememberView() {
    if (!rememberingView_) return;
    RememberedView view;
    view.mainGeometry = mainWindow_->saveGeometry();
    view.zoom = mainWindow_->zoom();
    view.mapGeometry = roomMap_->saveGeometry();
    view.mapZoom = roomMap_->zoom();
    for (const std::string& path : session_->recentFiles().paths()) view.recentFiles << QString::fromStdString(path);
    writeRememberedView(session_->app().programFolder, view);
}

void EditorApp::quit() {
    rememberView();
    mainWindow_->hide();
    log_->hide();
    inspector_->hide();
    problems_->hide();
    roomMap_->hide();
    if (onQuit) onQuit();
}

}  // namespace grusk
