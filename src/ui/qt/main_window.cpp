#include "ui/qt/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <cstdlib>

#include "app/editor_session.h"
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
        default: return {};
    }
}

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

MainWindow::MainWindow(EditorSession& session, QtPlatform& platform) : session_(session), platform_(platform) {
    setObjectName("MainWnd");
    setWindowTitle("Grusk Edit");
    platform_.setOwner(this);
    platform_.registerWindow(WindowId::Main, this);

    client_ = new QWidget(this);
    client_->setObjectName("client");
    client_->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client_);
    platform_.setClientArea(client_);

    buildMenus();
    buildControls();

    // Not resizable: the window keeps the size of its contents.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
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
            if (item.id == kCmdShowGrid || item.id == kCmdShowMapper) act->setCheckable(true);
            const int id = item.id;
            connect(act, &QAction::triggered, this, [this, id] { runCommand(id); });
        }
    }
    menuBar()->setCornerWidget(rightBar, Qt::TopRightCorner);

    auto* pageUp = new QShortcut(QKeySequence(Qt::Key_PageUp), this);
    connect(pageUp, &QShortcut::activated, this, [this] { runCommand(kCmdPrevRoom); });
    auto* pageDown = new QShortcut(QKeySequence(Qt::Key_PageDown), this);
    connect(pageDown, &QShortcut::activated, this, [this] { runCommand(kCmdNextRoom); });
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_V), kCmdPasteAtPointer},
        {QKeySequence(Qt::Key_Delete), kCmdDeleteSelection},
        {QKeySequence(Qt::Key_Escape), kCmdSelectNone},
    };
    for (const auto& [sequence, id] : keys) {
        auto* shortcut = new QShortcut(sequence, this);
        const int command = id;
        connect(shortcut, &QShortcut::activated, this, [this, command] { runCommand(command); });
    }
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

    canvas_ = new CanvasWidget(session_, platform_, client_);
    canvas_->move(kCanvasLeft, kCanvasTop);
    platform_.setCanvas(canvas_);
    connect(canvas_, &CanvasWidget::firstPaintDue, this, &MainWindow::firstPaint);
    connect(canvas_, &CanvasWidget::mouseHandled, this, &MainWindow::syncWithSession);

    const int right = kCanvasLeft + kCanvasWidth + 13;
    objectList_ = new QListWidget(client_);
    objectList_->setObjectName(QString::number(kCmdObjectList));
    objectList_->setGeometry(right, kCanvasTop, 150, 300);
    objectList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    objectList_->setSelectionMode(QAbstractItemView::SingleSelection);
    platform_.registerControl(WindowId::Main, kCmdObjectList, objectList_);
    auto chosen = [this](int row) {
        if (syncingList_ || row < 0) return;
        session_.objectListChosen(row);
        syncWithSession();
    };
    connect(objectList_, &QListWidget::currentRowChanged, this, chosen);
    connect(objectList_, &QListWidget::itemClicked, this,
            [this, chosen](QListWidgetItem* item) { chosen(objectList_->row(item)); });

    addButton(kCmdShowMapper, "Mapper", QRect(right, 322, 150, 28));
    addButton(kCmdExit, "EXIT", QRect(right, 382, 150, 28));

    const int row = kCanvasTop + kCanvasHeight + 9;
    addLabel(0, "This Room #", QRect(kCanvasLeft, row, 78, 24));
    addButton(kCmdFirstRoom, "<<", QRect(90, row, 34, 24));
    addButton(kCmdPrevRoom, "<", QRect(126, row, 34, 24));
    addButton(kCmdRoomButton, "1", QRect(162, row, 44, 24));
    addButton(kCmdNextRoom, ">", QRect(208, row, 34, 24));
    addButton(kCmdLastRoom, ">>", QRect(244, row, 34, 24));

    QFont bold("Arial");
    bold.setPixelSize(14);
    bold.setBold(true);
    addLabel(0, "#", QRect(292, row, 12, 24));
    addLabel(1223, "-", QRect(306, row, 40, 24))->setFont(bold);
    addLabel(1212, "-", QRect(350, row, 170, 24))->setFont(bold);
    addLabel(1251, "Destination", QRect(526, row, 76, 24), false);
    addLabel(1252, "Room:", QRect(604, row, 42, 24), false);
    addField(1101, QRect(648, row, 40, 24), false);
    addLabel(1255, "Door:", QRect(694, row, 40, 24), false);
    addField(1102, QRect(736, row, 40, 24), false);
}

void MainWindow::firstPaint() {
    if (!session_.firstPaintPending()) return;
    const char* path = std::getenv("PATH");
    session_.firstPaint(readConfigurationFile(session_.app().programFolder), path ? path : "");
    syncingList_ = true;
    objectList_->clear();
    for (const std::string& name : session_.objectList()) objectList_->addItem(QString::fromStdString(name));
    objectList_->setCurrentRow(-1);
    syncingList_ = false;
    if (!pendingFile_.isEmpty()) {
        const QString file = pendingFile_;
        pendingFile_.clear();
        QTimer::singleShot(0, this, [this, file] {
            session_.openFile(file.toStdString());
            syncWithSession();
        });
    }
}

void MainWindow::runCommand(int commandId) {
    session_.runCommand(commandId);
    syncWithSession();
}

void MainWindow::syncWithSession() {
    session_.syncChangedMark();
    const AppState& app = session_.app();
    if (app.placeType == -1 && (objectList_->currentRow() >= 0 || !objectList_->selectedItems().isEmpty())) {
        syncingList_ = true;
        objectList_->clearSelection();
        objectList_->setCurrentRow(-1);
        syncingList_ = false;
    }
    if (QAction* grid = action(kCmdShowGrid)) grid->setChecked(app.showGrid);
    if (QAction* mapper = action(kCmdShowMapper)) mapper->setChecked(app.mapperVisible);
    // Greyed while there is nothing to take back or do again; the labels name the step.
    if (undo_) {
        undo_->setText(QString::fromStdString(session_.undoLabel()));
        undo_->setEnabled(session_.canUndo());
    }
    if (redo_) {
        redo_->setText(QString::fromStdString(session_.redoLabel()));
        redo_->setEnabled(session_.canRedo());
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (session_.quitRequested() || session_.requestExit()) {
        event->accept();
        return;
    }
    event->ignore();
}

}  // namespace grusk
