// The main window "MainWnd": menus, the room canvas, the object list (1206),
// the room buttons and the status fields. Every control's object name is its
// numeric id. Commands go to the session's command table.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <vector>

class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QScrollArea;

namespace grusk {

class CanvasWidget;
class EditorSession;
class QtPlatform;

// Geometry of the client area below the menu bar at 100% with the object
// list at its narrowest.
inline constexpr int kClientWidth = 822;
inline constexpr int kClientHeight = 456;
// The status line below the client area keeps this height, so that window
// tests can find the client area from the window's bottom edge.
inline constexpr int kStatusLineHeight = 22;

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
    // selection, check marks, recent files, status line) and tells the tool
    // windows to follow.
    void syncWithSession();

    // The canvas zoom in percent. Changing it grows or shrinks the window to
    // fit the canvas where the screen allows.
    int zoom() const;
    void setZoom(int percent);
    // "Fit": the largest step whose canvas fits the space the window has now.
    void zoomToFit();
    QScrollArea* canvasView() const { return canvasView_; }
    QLabel* statusLine() const { return status_; }
    // The "Recent Castles" submenu.
    QMenu* recentMenu() const { return recentMenu_; }

    // Told after the recent files list changed (the program remembers it).
    std::function<void()> onRecentFilesChanged;

Q_SIGNALS:
    // After every sync: the castle or the pointer may have changed.
    void synced();

protected:
    void closeEvent(QCloseEvent* event) override;
    // While something is selected on the canvas the arrow keys move it, also
    // when the object list has the keyboard focus; otherwise they are the list's.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // "Zoom In", "Zoom Out", "Actual Size" and "Fit" at the end of the View menu.
    void addZoomItems(QMenu* menu);
    // "Recent Castles" after the load entries of the File menu.
    void addRecentFiles(QMenu* menu);
    void fillRecentMenu();
    // Places the canvas, the object list and the buttons for the client size.
    void layoutClient();
    QSize clientSizeFor(int zoom) const;
    void updateStatusLine();
    void buildMenus();
    // "Undo" (Ctrl+Z) and "Redo" (Ctrl+Y, Ctrl+Shift+Z) at the top of the Edit menu.
    void addUndoRedo(QMenu* menu);
    void buildControls();
    void firstPaint();
    // The user changed the object list's selection (click, arrow keys).
    void listSelectionChanged();
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
    QScrollArea* canvasView_ = nullptr;
    QWidget* canvasFrame_ = nullptr;
    QLabel* status_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    int recentRevision_ = -1;
    int listWidth_ = 150;
    // Controls kept beside the list and along the bottom row.
    QWidget* mapperButton_ = nullptr;
    QWidget* exitButton_ = nullptr;
    QWidget* problemCount_ = nullptr;
    std::vector<QWidget*> bottomRow_;
};

}  // namespace grusk
