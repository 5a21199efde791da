#include "ui/qt/qt_platform.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QCursor>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QGuiApplication>
#include <QProcess>

#include <QScrollArea>

#include "editor/catalogue.h"
#include "ui/qt/canvas_widget.h"
#include "ui/qt/room_map_window.h"

namespace grusk {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

std::optional<std::string> chosen(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

void addItems(QMenu* menu, const MenuItem* items, int count) {
    for (int i = 0; i < count; ++i) {
        const MenuItem& item = items[i];
        const QString label = QString::fromUtf8(item.label.data(), static_cast<qsizetype>(item.label.size()));
        if (item.submenu) {
            QMenu* sub = menu->addMenu(label);
            addItems(sub, item.submenu, item.submenuSize);
        } else if (item.id == 0 && item.label.empty()) {
            menu->addSeparator();
        } else {
            QAction* action = menu->addAction(label);
            action->setData(item.id);
        }
    }
}

}  // namespace

QString filterText(const FileFilter& filter) {
    if (filter.pattern.empty()) return {};
    return q(filter.label) + " (" + q(filter.pattern) + ")";
}

QMenu* buildPopupMenu(int menuId, QWidget* parent) {
    const MenuDef* def = popupMenuDef(menuId);
    auto* menu = new QMenu(parent);
    menu->setObjectName(QString::number(menuId));
    if (def) addItems(menu, def->items, def->size);
    return menu;
}

int runModal(QDialog& dialog) {
    if (dialog.parentWidget()) dialog.setWindowModality(Qt::WindowModal);
    else dialog.setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    int result = QDialog::Rejected;
    QObject::connect(&dialog, &QDialog::finished, &loop, [&](int r) {
        result = r;
        loop.quit();
    });
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    loop.exec(QEventLoop::DialogExec);
    return result;
}

void QtPlatform::setCanvas(CanvasWidget* canvas) { canvas_ = canvas; }

void QtPlatform::setMapArea(RoomMapArea* map) { mapArea_ = map; }

QWidget* QtPlatform::window(WindowId window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second.data();
}

QWidget* QtPlatform::control(WindowId window, int controlId) const {
    auto it = controls_.find({window, controlId});
    return it == controls_.end() ? nullptr : it->second.data();
}

void QtPlatform::message(const std::string& text, const std::string& caption) {
    if (delegate_) return delegate_->message(text, caption);
    QMessageBox box(QMessageBox::Information, q(caption), q(text), QMessageBox::Ok, owner_);
    box.exec();
}

Reply QtPlatform::ask(const std::string& text, const std::string& caption, QuestionKind kind) {
    if (delegate_) return delegate_->ask(text, caption, kind);
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (kind == QuestionKind::YesNoCancel) buttons |= QMessageBox::Cancel;
    QMessageBox box(QMessageBox::NoIcon, q(caption), q(text), buttons, owner_);
    box.setEscapeButton(kind == QuestionKind::YesNoCancel ? QMessageBox::Cancel : QMessageBox::No);
    switch (box.exec()) {
        case QMessageBox::Yes: return Reply::Yes;
        case QMessageBox::No: return Reply::No;
        default: return kind == QuestionKind::YesNoCancel ? Reply::Cancel : Reply::No;
    }
}

std::optional<std::string> QtPlatform::askOpenFile(const std::string& initialName, const FileFilter& filter) {
    if (delegate_) return delegate_->askOpenFile(initialName, filter);
    const QString start = initialName.find('*') == std::string::npos ? q(initialName) : QString();
    return chosen(QFileDialog::getOpenFileName(owner_, QString(), start, filterText(filter)));
}

std::optional<std::string> QtPlatform::askSaveFile(const std::string& initialName, const FileFilter& filter) {
    if (delegate_) return delegate_->askSaveFile(initialName, filter);
    // The core asks its own overwrite question.
    return chosen(QFileDialog::getSaveFileName(owner_, QString(), q(initialName), filterText(filter), nullptr,
                                               QFileDialog::DontConfirmOverwrite));
}

std::optional<std::string> QtPlatform::askFolder(const std::string& title, const std::string& preselected) {
    if (delegate_) return delegate_->askFolder(title, preselected);
    return chosen(QFileDialog::getExistingDirectory(owner_, q(title), q(preselected)));
}

void QtPlatform::setCaption(const std::string& text) {
    if (QWidget* w = window(WindowId::Main)) w->setWindowTitle(q(text));
}

void QtPlatform::setControlText(WindowId window, int controlId, const std::string& text) {
    QWidget* w = control(window, controlId);
    if (!w) return;
    if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(q(text));
    else if (auto* label = qobject_cast<QLabel*>(w)) label->setText(q(text));
    else if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(q(text));
    else if (auto* group = qobject_cast<QGroupBox*>(w)) group->setTitle(q(text));
    else w->setWindowTitle(q(text));
}

void QtPlatform::showControl(WindowId window, int controlId, bool visible) {
    if (QWidget* w = control(window, controlId)) w->setVisible(visible);
}

void QtPlatform::enableControl(WindowId window, int controlId, bool enabled) {
    if (QWidget* w = control(window, controlId)) w->setEnabled(enabled);
}

void QtPlatform::showWindow(WindowId id, bool visible) {
    QWidget* w = window(id);
    if (!w) return;
    if (!visible) {
        // A modal prompt ends its own loop when it is closed from outside.
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->windowModality() != Qt::NonModal) {
            dialog->done(QDialog::Accepted);
            return;
        }
        w->hide();
        return;
    }
    if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->windowModality() != Qt::NonModal) {
        // A modal prompt runs until something closes it from outside.
        if (!dialog->isVisible()) runModal(*dialog);
        return;
    }
    w->show();
    w->raise();
}

QListWidget* QtPlatform::logList() const { return qobject_cast<QListWidget*>(control(WindowId::Log, 1321)); }

void QtPlatform::clearLog() {
    if (QListWidget* list = logList()) list->clear();
}

void QtPlatform::addLogLine(const std::string& line) {
    if (QListWidget* list = logList()) list->addItem(q(line));
}

void QtPlatform::showLog() { showWindow(WindowId::Log, true); }

void QtPlatform::invalidateCanvas(const PixelRect& rect, bool) {
    if (canvas_) canvas_->updateClientRect(rect);
}

void QtPlatform::invalidateCanvasRegion(const std::vector<PixelRect>& region, bool erase) {
    for (const PixelRect& r : region) invalidateCanvas(r, erase);
}

void QtPlatform::invalidateMap(const PixelRect& rect, bool) {
    if (mapArea_) mapArea_->updateMapRect(rect);
}

void QtPlatform::setCursor(CursorShape shape) {
    if (delegate_) delegate_->setCursor(shape);
    Qt::CursorShape qt = Qt::ArrowCursor;
    switch (shape) {
        case CursorShape::Arrow: qt = Qt::ArrowCursor; break;
        case CursorShape::Hand: qt = Qt::PointingHandCursor; break;
        case CursorShape::Cross: qt = Qt::CrossCursor; break;
        case CursorShape::SizeDiagonal: qt = Qt::SizeFDiagCursor; break;
        case CursorShape::SizeAll: qt = Qt::SizeAllCursor; break;
        case CursorShape::Link: qt = Qt::PointingHandCursor; break;
        case CursorShape::Connect: qt = Qt::CrossCursor; break;
    }
    QWidget* target = mouseTarget_ ? mouseTarget_.data() : canvas_.data();
    if (target) target->setCursor(qt);
}

void QtPlatform::setPointerPos(int clientX, int clientY) {
    if (delegate_) return delegate_->setPointerPos(clientX, clientY);
    if (canvas_) {
        const QPoint at = canvas_->widgetPointFor(clientX, clientY);
        // A zoomed canvas may be scrolled: bring the spot into view first.
        if (QWidget* viewport = canvas_->parentWidget())
            if (auto* scroll = qobject_cast<QScrollArea*>(viewport->parentWidget())) scroll->ensureVisible(at.x(), at.y(), 24, 24);
        QCursor::setPos(canvas_->mapToGlobal(at));
    } else if (client_) {
        QCursor::setPos(client_->mapToGlobal(QPoint(clientX, clientY)));
    }
}

int QtPlatform::popupMenu(int menuId) {
    if (delegate_) return delegate_->popupMenu(menuId);
    QMenu* menu = buildPopupMenu(menuId, owner_);
    QAction* action = menu->exec(QCursor::pos());
    const int id = action ? action->data().toInt() : 0;
    delete menu;
    return id;
}

bool QtPlatform::startProgram(const std::string& path, const std::vector<std::string>& args) {
    if (delegate_) return delegate_->startProgram(path, args);
    QStringList list;
    for (const std::string& a : args) list << q(a);
    return QProcess::startDetached(q(path), list);
}

// The real clipboard even in tests: copying between two editors goes through it.
void QtPlatform::setClipboardText(const std::string& text) { QGuiApplication::clipboard()->setText(q(text)); }

std::optional<std::string> QtPlatform::clipboardText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasText()) return std::nullopt;
    return clipboard->text().toStdString();
}

}  // namespace grusk
