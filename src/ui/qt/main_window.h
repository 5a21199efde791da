// The main window "MainWnd": menus, the room canvas, the object list (1206),
// the room buttons and the status fields. Every control's object name is its
// numeric id. Commands go to the session's command table.
#pragma once

#include <QMainWindow>
#include <QString>

class QListWidget;
class QMenu;
class QPushButton;

namespace grusk {

class CanvasWidget;
class EditorSession;
class QtPlatform;

// Geometry of the client area below the menu bar.
inline constexpr int kClientWidth = 822;
inline constexpr int kClientHeight = 456;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(EditorSession& session, QtPlatform& platform);

    CanvasWidget* canvas() const { return canvas_; }
    QWidget* client() const { return client_; }
    QListWidget* objectList() const { return objectList_; }
    // The menu action of a command id, or nullptr.
    QAction* action(int commandId) const;

    // A file to open once the first paint is done (from the command line).
    void openAfterFirstPaint(const QString& path) { pendingFile_ = path; }

    // Runs a command and shows its outcome.
    void runCommand(int commandId);
    // Brings the widgets in line with the session (caption mark, list
    // selection, check marks).
    void syncWithSession();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    // "Undo" (Ctrl+Z) and "Redo" (Ctrl+Y, Ctrl+Shift+Z) at the top of the Edit menu.
    void addUndoRedo(QMenu* menu);
    void buildControls();
    void firstPaint();
    QPushButton* addButton(int id, const QString& label, const QRect& geometry);
    QWidget* addLabel(int id, const QString& label, const QRect& geometry, bool visible = true);
    QWidget* addField(int id, const QRect& geometry, bool visible = true);

    EditorSession& session_;
    QtPlatform& platform_;
    QWidget* client_ = nullptr;
    CanvasWidget* canvas_ = nullptr;
    QListWidget* objectList_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QString pendingFile_;
    bool syncingList_ = false;
};

}  // namespace grusk
