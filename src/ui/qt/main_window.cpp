#include "ui/qt/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QUrl>
#include <algorithm>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QStyle>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>
#include <cstdlib>

#include "app/editor_session.h"
#include "app/startup.h"
#include "app/view_zoom.h"
#include "editor/catalogue.h"
#include "ui/qt/canvas_widget.h"
#include "ui/qt/qt_config.h"
#include "ui/qt/qt_platform.h"

namespace grusk {

namespace {

QKeySequence shortcutFor(int commandId) {
    switch (commandId) {
        case kCmdNew: return QKeySequence(Qt::CTRL | Qt::Key_N);
        case kCmdLoadProject: return QKeySequence(Qt::CTRL | Qt::Key_O);
        case kCmdSaveProject: return QKeySequence(Qt::CTRL | Qt::Key_S);
        case kCmdExit: return QKeySequence(Qt::CTRL | Qt::Key_Q);
        case kCmdTestCastle: return QKeySequence(Qt::Key_F5);
        case kCmdCheckErrors: return QKeySequence(Qt::Key_F7);
        case kCmdShowGrid: return QKeySequence(Qt::CTRL | Qt::Key_G);
        case kCmdShowMapper: return QKeySequence(Qt::CTRL | Qt::Key_M);
        case kCmdCut: return QKeySequence(Qt::CTRL | Qt::Key_X);
        case kCmdCopy: return QKeySequence(Qt::CTRL | Qt::Key_C);
        case kCmdPaste: return QKeySequence(Qt::CTRL | Qt::Key_V);
        case kCmdDuplicate: return QKeySequence(Qt::CTRL | Qt::Key_D);
        case kCmdDeleteSelection: return QKeySequence(Qt::Key_Delete);
        case kCmdSelectAll: return QKeySequence(Qt::CTRL | Qt::Key_A);
        case kCmdShowLinks: return QKeySequence(Qt::CTRL | Qt::Key_L);
        case kCmdShowProblems: return QKeySequence(Qt::Key_F8);
        case kCmdShowInspector: return QKeySequence(Qt::Key_F9);
        default: return {};
    }
}

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Margins of the client area around the canvas, the object list and the
// bottom row, as at 100%.
constexpr int kListGap = 13;          // canvas to object list
constexpr int kRightMargin = 10;      // object list to the right edge
constexpr int kBottomRowGap = 9;      // canvas to the room buttons
constexpr int kBottomRowHeight = 24;
constexpr int kBottomMargin = 12;     // room buttons to the bottom edge
constexpr int kPaletteIcon = 32;      // object pictures in the list

// The client area reports the size that fits the canvas at its zoom, so
// that the window can take it.
class ClientArea : public QWidget {
public:
    explicit ClientArea(QWidget* parent) : QWidget(parent) {}
    QSize preferred{kClientWidth, kClientHeight};
    QSize sizeHint() const override { return preferred; }
};

}  // namespace

MainWindow::MainWindow(EditorSession& session, QtPlatform& platform) : session_(session), platform_(platform) {
    setObjectName("MainWnd");
    setWindowTitle("Grusk Edit");
    platform_.setOwner(this);
    platform_.registerWindow(WindowId::Main, this);

    client_ = new ClientArea(this);
    client_->setObjectName("client");
    client_->setMinimumSize(360, 320);
    client_->installEventFilter(this);
    setCentralWidget(client_);
    platform_.setClientArea(client_);

    buildMenus();
    buildControls();

    status_ = new QLabel(this);
    status_->setObjectName("statusLine");
    statusBar()->addWidget(status_, 1);
    statusBar()->setSizeGripEnabled(true);
    statusBar()->setFixedHeight(kStatusLineHeight);
    setAcceptDrops(true);

    const QSize client = clientSizeFor(kActualSize);
    static_cast<ClientArea*>(client_)->preferred = client;
    // Not adjustSize(): that keeps a window to two thirds of the screen.
    resize(client.width(), client.height() + menuBar()->sizeHint().height() + kStatusLineHeight);
    layoutClient();
    updateStatusLine();
}

QSize MainWindow::clientSizeFor(int percent) const {
    const QSize canvas = canvas_->sizeAt(percent);
    return QSize(kCanvasLeft + canvas.width() + kListGap + listWidth_ + kRightMargin,
                 std::max(kClientHeight, kCanvasTop + canvas.height() + kBottomRowGap + kBottomRowHeight + kBottomMargin));
}

void MainWindow::layoutClient() {
    const int w = client_->width();
    const int h = client_->height();
    const int right = std::max(kCanvasLeft + 80 + kListGap, w - kRightMargin - listWidth_);
    const int row = h - kBottomMargin - kBottomRowHeight;
    // The canvas gets what the list column and the bottom row leave; a canvas
    // larger than that scrolls.
    const int spaceW = std::max(16, right - kListGap - kCanvasLeft);
    const int spaceH = std::max(16, row - kBottomRowGap - kCanvasTop);
    const QSize canvas = canvas_->size();
    const int bar = canvasView_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const bool wide = canvas.width() > spaceW;
    const bool tall = canvas.height() > spaceH;
    const int viewW = std::min(canvas.width() + (tall ? bar : 0), spaceW);
    const int viewH = std::min(canvas.height() + (wide ? bar : 0), spaceH);
    canvasView_->setGeometry(kCanvasLeft, kCanvasTop, viewW, viewH);
    canvasFrame_->setGeometry(kCanvasLeft - 2, kCanvasTop - 2, viewW + 4, viewH + 4);

    const int mapperTop = row - 98;
    objectList_->setGeometry(right, kCanvasTop, listWidth_, std::max(60, mapperTop - 11 - kCanvasTop));
    mapperButton_->setGeometry(right, mapperTop, listWidth_, 28);
    exitButton_->setGeometry(right, row - 38, listWidth_, 28);
    problemCount_->setGeometry(right, row - 66, listWidth_, 24);
    for (QWidget* widget : bottomRow_) widget->move(widget->x(), row);
}

namespace {

int nudgeCommand(const QKeyEvent* key) {
    if (key->modifiers() & ~Qt::KeypadModifier) return 0;
    switch (key->key()) {
        case Qt::Key_Left: return kCmdNudgeLeft;
        case Qt::Key_Right: return kCmdNudgeRight;
        case Qt::Key_Up: return kCmdNudgeUp;
        case Qt::Key_Down: return kCmdNudgeDown;
        default: return 0;
    }
}

}  // namespace

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) layoutClient();
    if (watched == objectList_ && event->type() == QEvent::KeyPress) {
        const int command = nudgeCommand(static_cast<QKeyEvent*>(event));
        if (command != 0 && !session_.mouse().selection().empty()) {
            runCommand(command);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    const int command = nudgeCommand(event);
    if (command != 0 && !session_.mouse().selection().empty()) {
        runCommand(command);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

int MainWindow::zoom() const { return canvas_->zoom(); }

void MainWindow::setZoom(int percent) {
    canvas_->setZoom(percent);
    const QSize wanted = clientSizeFor(canvas_->zoom());
    static_cast<ClientArea*>(client_)->preferred = wanted;
    if (!isMaximized() && !isFullScreen()) {
        // The client area's own size is not settled before the window is shown.
        QSize size(wanted.width(), wanted.height() + menuBar()->sizeHint().height() + kStatusLineHeight);
        if (const QScreen* s = screen()) {
            const QRect avail = s->availableGeometry();
            // Room for the window frame; a canvas larger than the screen scrolls.
            size = size.boundedTo(avail.size() - QSize(16, 48));
            resize(size);
            QRect frame = frameGeometry();
            if (!avail.contains(frame)) {
                frame.moveRight(std::min(frame.right(), avail.right()));
                frame.moveBottom(std::min(frame.bottom(), avail.bottom()));
                frame.moveLeft(std::max(frame.left(), avail.left()));
                frame.moveTop(std::max(frame.top(), avail.top()));
                move(frame.topLeft());
            }
        } else {
            resize(size);
        }
    }
    layoutClient();
    updateStatusLine();
}

void MainWindow::zoomToFit() {
    const int w = client_->width();
    const int h = client_->height();
    const int right = w - kRightMargin - listWidth_;
    const int row = h - kBottomMargin - kBottomRowHeight;
    const int spaceW = right - kListGap - kCanvasLeft;
    const int spaceH = row - kBottomRowGap - kCanvasTop;
    int best = kZoomSteps[0];
    for (int step : kZoomSteps) {
        const QSize canvas = canvas_->sizeAt(step);
        if (canvas.width() <= spaceW && canvas.height() <= spaceH) best = step;
    }
    canvas_->setZoom(best);
    static_cast<ClientArea*>(client_)->preferred = clientSizeFor(best);
    layoutClient();
    updateStatusLine();
}

void MainWindow::updateStatusLine() {
    status_->setText(QString::fromStdString(canvasStatusText(session_.mouse().mouseCell(), canvas_->zoom())));
}

void MainWindow::addZoomItems(QMenu* menu) {
    menu->addSeparator();
    auto add = [&](const char* name, const QString& label, const QList<QKeySequence>& keys, auto slot) {
        QAction* act = menu->addAction(label);
        act->setObjectName(name);
        act->setShortcuts(keys);
        connect(act, &QAction::triggered, this, slot);
    };
    add("zoomIn", "Zoom In", {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
        [this] { setZoom(zoomInStep(zoom())); });
    add("zoomOut", "Zoom Out", {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [this] { setZoom(zoomOutStep(zoom())); });
    add("actualSize", "Actual Size", {QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { setZoom(kActualSize); });
    add("fit", "Fit", {}, [this] { zoomToFit(); });
}

void MainWindow::addRecentFiles(QMenu* menu) {
    recentMenu_ = new QMenu("Recent Castles", menu);
    recentMenu_->setObjectName("Recent Castles");
    // Right after the load entries.
    QAction* before = nullptr;
    const QList<QAction*> actions = menu->actions();
    for (int i = 0; i < actions.size(); ++i)
        if (actions[i]->data().toInt() == kCmdLoadProject && i + 1 < actions.size()) before = actions[i + 1];
    menu->insertMenu(before, recentMenu_);
    connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::fillRecentMenu);
    fillRecentMenu();
}

void MainWindow::fillRecentMenu() {
    const std::vector<std::string>& paths = session_.recentFiles().paths();
    recentRevision_ = session_.recentFiles().revision();
    recentMenu_->clear();
    if (paths.empty()) {
        recentMenu_->addAction("(none)")->setEnabled(false);
        return;
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        const QString path = QString::fromStdString(paths[i]);
        // "&" in a path would otherwise be taken for a shortcut mark.
        QString label = path;
        label.replace("&", "&&");
        QAction* act = recentMenu_->addAction(QString("&%1 %2").arg(i + 1).arg(label));
        act->setToolTip(path);
        const int index = static_cast<int>(i);
        // Later, once the menu is closed: loading may ask questions.
        connect(act, &QAction::triggered, this, [this, index] {
            QTimer::singleShot(0, this, [this, index] {
                session_.openRecent(index);
                syncWithSession();
            });
        });
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime && mime->hasUrls() && !mime->urls().isEmpty() && mime->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    // Over the child widgets too: the whole window takes the file.
    const QMimeData* mime = event->mimeData();
    if (mime && mime->hasUrls() && !mime->urls().isEmpty() && mime->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (!mime || !mime->hasUrls() || mime->urls().isEmpty() || !mime->urls().first().isLocalFile()) return;
    const QString path = mime->urls().first().toLocalFile();
    event->acceptProposedAction();
    // The drag source waits until the drop returns: questions and dialogs
    // come after that.
    QTimer::singleShot(0, this, [this, path] {
        activateWindow();
        session_.openDropped(QFileInfo(path).absoluteFilePath().toStdString());
        syncWithSession();
    });
}

void MainWindow::buildMenus() {
    int count = 0;
    const MenuDef* menus = mainMenuDefs(&count);
    // The last menu (Help) sits at the right end of the menu bar.
    auto* rightBar = new QMenuBar(menuBar());
    rightBar->setObjectName("helpMenuBar");
    for (int m = 0; m < count; ++m) {
        QMenuBar* bar = (m == count - 1) ? rightBar : menuBar();
        QMenu* menu = bar->addMenu(text(menus[m].title));
        menu->setObjectName(text(menus[m].title));
        if (menus[m].title == "Edit") addUndoRedo(menu);
        const bool fileMenu = menus[m].title == "File";
        const bool viewMenu = menus[m].title == "View";
        for (int i = 0; i < menus[m].size; ++i) {
            const MenuItem& item = menus[m].items[i];
            if (item.id == 0 && item.label.empty()) {
                menu->addSeparator();
                continue;
            }
            QAction* act = menu->addAction(text(item.label));
            act->setData(item.id);
            if (const QKeySequence keys = shortcutFor(item.id); !keys.isEmpty()) act->setShortcut(keys);
            // The menu shows these keys, but pressed in the window they act
            // through the shortcuts below (Ctrl+V pastes under the pointer).
            if (item.id == kCmdPaste || item.id == kCmdDeleteSelection) act->setShortcutContext(Qt::WidgetShortcut);
            if (item.id == kCmdShowGrid || item.id == kCmdShowMapper || item.id == kCmdShowLinks ||
                item.id == kCmdLabelMap)
                act->setCheckable(true);
            const int id = item.id;
            connect(act, &QAction::triggered, this, [this, id] { runCommand(id); });
        }
        if (fileMenu) addRecentFiles(menu);
        if (viewMenu) addZoomItems(menu);
    }
    menuBar()->setCornerWidget(rightBar, Qt::TopRightCorner);

    auto* pageUp = new QShortcut(QKeySequence(Qt::Key_PageUp), this);
    connect(pageUp, &QShortcut::activated, this, [this] { runCommand(kCmdPrevRoom); });
    auto* pageDown = new QShortcut(QKeySequence(Qt::Key_PageDown), this);
    connect(pageDown, &QShortcut::activated, this, [this] { runCommand(kCmdNextRoom); });
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_V), kCmdPasteAtPointer},
        {QKeySequence(Qt::Key_Delete), kCmdDeleteSelection},
    };
    for (const auto& [sequence, id] : keys) {
        auto* shortcut = new QShortcut(sequence, this);
        const int command = id;
        connect(shortcut, &QShortcut::activated, this, [this, command] { runCommand(command); });
    }
    // Esc gives up the chosen type as a right click after choosing does, and
    // the selection of cells with it (one key, one shortcut).
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        session_.mouse().cancelChoice();
        runCommand(kCmdSelectNone);
    });
}

void MainWindow::addUndoRedo(QMenu* menu) {
    undo_ = menu->addAction("Undo");
    undo_->setData(kCmdUndo);
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo_ = menu->addAction("Redo");
    redo_->setData(kCmdRedo);
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    undo_->setEnabled(false);
    redo_->setEnabled(false);
    connect(undo_, &QAction::triggered, this, [this] { runCommand(kCmdUndo); });
    connect(redo_, &QAction::triggered, this, [this] { runCommand(kCmdRedo); });
    menu->addSeparator();
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::syncWithSession);
}

QAction* MainWindow::action(int commandId) const {
    for (QAction* act : findChildren<QAction*>())
        if (act->data().isValid() && act->data().toInt() == commandId && !act->menu()) return act;
    return nullptr;
}

QPushButton* MainWindow::addButton(int id, const QString& label, const QRect& geometry) {
    auto* button = new QPushButton(label, client_);
    button->setObjectName(QString::number(id));
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::NoFocus);
    platform_.registerControl(WindowId::Main, id, button);
    connect(button, &QPushButton::clicked, this, [this, id] { runCommand(id); });
    return button;
}

QWidget* MainWindow::addLabel(int id, const QString& label, const QRect& geometry, bool visible) {
    auto* widget = new QLabel(label, client_);
    widget->setGeometry(geometry);
    widget->setVisible(visible);
    if (id != 0) {
        widget->setObjectName(QString::number(id));
        platform_.registerControl(WindowId::Main, id, widget);
    }
    return widget;
}

QWidget* MainWindow::addField(int id, const QRect& geometry, bool visible) {
    auto* edit = new QLineEdit(client_);
    edit->setObjectName(QString::number(id));
    edit->setGeometry(geometry);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setVisible(visible);
    platform_.registerControl(WindowId::Main, id, edit);
    return edit;
}

void MainWindow::buildControls() {
    auto* frame = new QFrame(client_);
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(kCanvasLeft - 2, kCanvasTop - 2, kCanvasWidth + 4, kCanvasHeight + 4);
    canvasFrame_ = frame;

    canvasView_ = new QScrollArea(client_);
    canvasView_->setObjectName("canvasView");
    canvasView_->setFrameShape(QFrame::NoFrame);
    canvasView_->setGeometry(kCanvasLeft, kCanvasTop, kCanvasWidth, kCanvasHeight);
    canvas_ = new CanvasWidget(session_, platform_, canvasView_);
    canvasView_->setWidget(canvas_);
    platform_.setCanvas(canvas_);
    connect(canvas_, &CanvasWidget::firstPaintDue, this, &MainWindow::firstPaint);
    connect(canvas_, &CanvasWidget::mouseHandled, this, &MainWindow::syncWithSession);
    canvas_->zoomWheel.onStep = [this](int steps) { setZoom(steps > 0 ? zoomInStep(zoom()) : zoomOutStep(zoom())); };

    const int right = kCanvasLeft + kCanvasWidth + kListGap;
    objectList_ = new QListWidget(client_);
    objectList_->setObjectName(QString::number(kCmdObjectList));
    objectList_->installEventFilter(this);
    objectList_->setIconSize(QSize(kPaletteIcon, kPaletteIcon));
    objectList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    {
        // Wide enough for the picture and the longest name: no name is cut.
        const QFontMetrics metrics(objectList_->font());
        int widest = 0;
        for (const std::string& name : objectListItems())
            widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(name)));
        const int bar = objectList_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        listWidth_ = std::max(150, kPaletteIcon + widest + bar + 28);
    }
    objectList_->setGeometry(right, kCanvasTop, listWidth_, 300);
    objectList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    objectList_->setSelectionMode(QAbstractItemView::SingleSelection);
    platform_.registerControl(WindowId::Main, kCmdObjectList, objectList_);
    // Only the selection chooses: the current row also moves when the list
    // merely gets the keyboard focus, and a click would report twice. The
    // window's own changes of the selection are made with signals blocked.
    connect(objectList_, &QListWidget::itemSelectionChanged, this, &MainWindow::listSelectionChanged);

    mapperButton_ = addButton(kCmdShowMapper, "Mapper", QRect(right, 322, listWidth_, 28));
    exitButton_ = addButton(kCmdExit, "EXIT", QRect(right, 382, listWidth_, 28));

    const int row = kCanvasTop + kCanvasHeight + kBottomRowGap;
    bottomRow_ = {addLabel(0, "This Room #", QRect(kCanvasLeft, row, 78, 24)),
                  addButton(kCmdFirstRoom, "<<", QRect(90, row, 34, 24)),
                  addButton(kCmdPrevRoom, "<", QRect(126, row, 34, 24)),
                  addButton(kCmdRoomButton, "1", QRect(162, row, 44, 24)),
                  addButton(kCmdNextRoom, ">", QRect(208, row, 34, 24)),
                  addButton(kCmdLastRoom, ">>", QRect(244, row, 34, 24))};

    QFont bold("Arial");
    bold.setPixelSize(14);
    bold.setBold(true);
    bottomRow_.push_back(addLabel(0, "#", QRect(292, row, 12, 24)));
    QWidget* number = addLabel(1223, "-", QRect(306, row, 40, 24));
    number->setFont(bold);
    QWidget* name = addLabel(1212, "-", QRect(350, row, 170, 24));
    name->setFont(bold);
    bottomRow_.push_back(number);
    bottomRow_.push_back(name);
    bottomRow_.push_back(addLabel(1251, "Destination", QRect(526, row, 76, 24), false));
    bottomRow_.push_back(addLabel(1252, "Room:", QRect(604, row, 42, 24), false));
    bottomRow_.push_back(addField(1101, QRect(648, row, 40, 24), false));
    bottomRow_.push_back(addLabel(1255, "Door:", QRect(694, row, 40, 24), false));
    bottomRow_.push_back(addField(1102, QRect(736, row, 40, 24), false));

    // The line of the castle's problems, between "Mapper" and "EXIT".
    problemCount_ = addLabel(kCtlProblemCount, QString::fromStdString(problemCountText(session_.problems().size())),
                             QRect(right, 354, listWidth_, 24));
}

void MainWindow::firstPaint() {
    if (!session_.firstPaintPending()) return;
    const char* path = std::getenv("PATH");
    session_.firstPaint(readConfigurationFile(session_.app().programFolder), path ? path : "");
    {
    const QSignalBlocker quiet(objectList_);
    objectList_->clear();
    const double ratio = objectList_->devicePixelRatioF() > 0 ? objectList_->devicePixelRatioF() : 1.0;
    const int side = static_cast<int>(kPaletteIcon * ratio + 0.5);
    int type = 0;
    for (const std::string& name : session_.objectList()) {
        // Each type's own picture beside its name.
        const RasterImage icon = squareIcon(session_.pictures().picture(type++), side);
        QImage image(reinterpret_cast<const uchar*>(icon.data()), icon.width(), icon.height(), icon.bytesPerLine(),
                     QImage::Format_RGB32);
        QPixmap pixmap = QPixmap::fromImage(image.copy());
        pixmap.setDevicePixelRatio(ratio);
        objectList_->addItem(new QListWidgetItem(QIcon(pixmap), QString::fromStdString(name)));
    }
    objectList_->setCurrentRow(-1);
    }
    if (!pendingFile_.isEmpty()) {
        const QString file = pendingFile_;
        pendingFile_.clear();
        QTimer::singleShot(0, this, [this, file] {
            session_.openFile(file.toStdString());
            syncWithSession();
        });
    }
}

void MainWindow::listSelectionChanged() {
    const QList<QListWidgetItem*> selected = objectList_->selectedItems();
    if (selected.isEmpty()) session_.mouse().cancelChoice();
    else session_.objectListChosen(objectList_->row(selected.front()));
    syncWithSession();
}

void MainWindow::runCommand(int commandId) {
    session_.runCommand(commandId);
    if (commandId == kCmdShowLinks || commandId == kCmdLabelMap)
        writeViewSettings(ViewSettings{session_.app().showLinks, session_.app().labelMap});
    syncWithSession();
}

void MainWindow::syncWithSession() {
    session_.syncChangedMark();
    const AppState& app = session_.app();
    if (app.placeType == -1 && (objectList_->currentRow() >= 0 || !objectList_->selectedItems().isEmpty())) {
        const QSignalBlocker quiet(objectList_);
        objectList_->clearSelection();
        objectList_->setCurrentRow(-1);
    }
    if (QAction* grid = action(kCmdShowGrid)) grid->setChecked(app.showGrid);
    if (QAction* mapper = action(kCmdShowMapper)) mapper->setChecked(app.mapperVisible);
    if (recentMenu_ && recentRevision_ != session_.recentFiles().revision()) {
        fillRecentMenu();
        if (onRecentFilesChanged) onRecentFilesChanged();
    }
    updateStatusLine();
    if (QAction* links = action(kCmdShowLinks)) links->setChecked(app.showLinks);
    if (QAction* labels = action(kCmdLabelMap)) labels->setChecked(app.labelMap);
    // Greyed while there is nothing to take back or do again; the labels name the step.
    if (undo_) {
        undo_->setText(QString::fromStdString(session_.undoLabel()));
        undo_->setEnabled(session_.canUndo());
    }
    if (redo_) {
        redo_->setText(QString::fromStdString(session_.redoLabel()));
        redo_->setEnabled(session_.canRedo());
    }
    Q_EMIT synced();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (session_.quitRequested() || session_.requestExit()) {
        event->accept();
        return;
    }
    event->ignore();
}

}  // namespace grusk
