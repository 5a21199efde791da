// The window system as the core sees it, carried by Qt Widgets. Windows and
// controls register themselves by (window, id); message boxes and file
// dialogs are owned by the main window. For tests, the blocking interactions
// (questions, file and folder dialogs, popup menus, starting programs and
// moving the pointer) can be handed to a scripted platform instead.
#pragma once

#include <QPointer>
#include <QWidget>
#include <map>
#include <utility>

#include "ui/platform.h"

class QDialog;
class QListWidget;
class QMenu;

namespace grusk {

class CanvasWidget;
class RoomMapArea;

class QtPlatform : public Platform {
public:
    QtPlatform() = default;

    void setOwner(QWidget* owner) { owner_ = owner; }
    QWidget* owner() const { return owner_; }
    // The main window's client area: pointer positions are relative to it.
    void setClientArea(QWidget* client) { client_ = client; }
    // The room canvas; canvas rectangles and pointer positions arrive in
    // client pixels of the raster (at (9, 11)), which the canvas maps to its
    // zoom.
    void setCanvas(CanvasWidget* canvas);
    // The map area of the room map window (map pixels, mapped to its zoom).
    void setMapArea(RoomMapArea* map);
    // The widget that had the last mouse event; cursor changes go to it.
    void noteMouseTarget(QWidget* widget) { mouseTarget_ = widget; }

    void registerWindow(WindowId window, QWidget* widget) { windows_[window] = widget; }
    void registerControl(WindowId window, int controlId, QWidget* widget) { controls_[{window, controlId}] = widget; }
    QWidget* window(WindowId window) const;
    QWidget* control(WindowId window, int controlId) const;

    // Scripted answers for tests; nullptr shows the real dialogs.
    void setInteractionDelegate(Platform* delegate) { delegate_ = delegate; }

    void message(const std::string& text, const std::string& caption) override;
    Reply ask(const std::string& text, const std::string& caption, QuestionKind kind) override;
    std::optional<std::string> askOpenFile(const std::string& initialName, const FileFilter& filter) override;
    std::optional<std::string> askSaveFile(const std::string& initialName, const FileFilter& filter) override;
    std::optional<std::string> askFolder(const std::string& title, const std::string& preselected) override;
    void setCaption(const std::string& text) override;
    void setControlText(WindowId window, int controlId, const std::string& text) override;
    void showControl(WindowId window, int controlId, bool visible) override;
    void enableControl(WindowId window, int controlId, bool enabled) override;
    void showWindow(WindowId window, bool visible) override;
    void clearLog() override;
    void addLogLine(const std::string& line) override;
    void showLog() override;
    void invalidateCanvas(const PixelRect& rect, bool erase) override;
    void invalidateCanvasRegion(const std::vector<PixelRect>& region, bool erase) override;
    void invalidateMap(const PixelRect& rect, bool erase) override;
    void setCursor(CursorShape shape) override;
    void setPointerPos(int clientX, int clientY) override;
    int popupMenu(int menuId) override;
    bool startProgram(const std::string& path, const std::vector<std::string>& args) override;
    void setClipboardText(const std::string& text) override;
    std::optional<std::string> clipboardText() override;

private:
    QListWidget* logList() const;

    QPointer<QWidget> owner_;
    QPointer<QWidget> client_;
    QPointer<CanvasWidget> canvas_;
    QPointer<RoomMapArea> mapArea_;
    QPointer<QWidget> mouseTarget_;
    std::map<WindowId, QPointer<QWidget>> windows_;
    std::map<std::pair<WindowId, int>, QPointer<QWidget>> controls_;
    Platform* delegate_ = nullptr;
};

// "Grusk Castles (*.cas)".
QString filterText(const FileFilter& filter);
// Runs a dialog modal to its owner window only (other top-level windows such
// as the room map stay usable) in a loop of its own, which hiding the dialog
// does not end; returns when the dialog is finished.
int runModal(QDialog& dialog);
// Builds a popup menu from the catalogue's menu definition (ids in the action data).
QMenu* buildPopupMenu(int menuId, QWidget* parent);

}  // namespace grusk
