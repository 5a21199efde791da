#include "ui/qt/canvas_widget.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/editor_session.h"
#include "editor/catalogue.h"
#include "ui/qt/qt_platform.h"

namespace grusk {

namespace {

MouseButtons heldButtons(const QMouseEvent* event) {
    MouseButtons held;
    held.left = (event->buttons() & Qt::LeftButton) != 0;
    held.right = (event->buttons() & Qt::RightButton) != 0;
    held.ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    held.shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    return held;
}

}  // namespace

CanvasWidget::CanvasWidget(EditorSession& session, QtPlatform& platform, QWidget* parent)
    : QWidget(parent), session_(session), platform_(platform) {
    setObjectName("canvas");
    setFixedSize(kCanvasWidth, kCanvasHeight);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

void CanvasWidget::keyPressEvent(QKeyEvent* event) {
    int command = 0;
    switch (event->key()) {
        case Qt::Key_Left: command = kCmdNudgeLeft; break;
        case Qt::Key_Right: command = kCmdNudgeRight; break;
        case Qt::Key_Up: command = kCmdNudgeUp; break;
        case Qt::Key_Down: command = kCmdNudgeDown; break;
        default: QWidget::keyPressEvent(event); return;
    }
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    session_.runCommand(command);
    Q_EMIT mouseHandled();
}

void CanvasWidget::leaveEvent(QEvent* event) {
    session_.mouse().pointerLeft();
    QWidget::leaveEvent(event);
}

QPoint CanvasWidget::clientPos(const QMouseEvent* event) const {
    const QPoint p = event->position().toPoint();
    return {p.x() + x(), p.y() + y()};
}

void CanvasWidget::paintEvent(QPaintEvent*) {
    if (session_.firstPaintPending()) Q_EMIT firstPaintDue();
    const RasterImage& image = session_.firstPaintPending() ? session_.canvas() : session_.paintCanvas();
    QPainter painter(this);
    if (image.empty()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The pixels are 0xFFRRGGBB, which is what RGB32 holds: no copy is made.
    const QImage view(reinterpret_cast<const uchar*>(image.data()), image.width(), image.height(),
                      image.bytesPerLine(), QImage::Format_RGB32);
    painter.drawImage(0, 0, view);
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    platform_.noteMouseTarget(this);
    const QPoint p = clientPos(event);
    session_.mouse().mouseMove(p.x(), p.y(), heldButtons(event));
    Q_EMIT mouseHandled();
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    platform_.noteMouseTarget(this);
    const QPoint p = clientPos(event);
    session_.mouseButtonPressed();
    if (event->button() == Qt::LeftButton) session_.mouse().leftDown(p.x(), p.y(), heldButtons(event));
    else if (event->button() == Qt::RightButton) session_.mouse().rightDown(p.x(), p.y(), heldButtons(event));
    Q_EMIT mouseHandled();
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
    platform_.noteMouseTarget(this);
    const QPoint p = clientPos(event);
    int command = 0;
    if (event->button() == Qt::LeftButton) session_.mouse().leftUp(p.x(), p.y(), heldButtons(event));
    else if (event->button() == Qt::RightButton) command = session_.mouse().rightUp(p.x(), p.y(), heldButtons(event));
    session_.mouseButtonReleased();
    // A popup command runs once the release is handled.
    if (command != 0) session_.runCommand(command);
    Q_EMIT mouseHandled();
}

void CanvasWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    platform_.noteMouseTarget(this);
    if (event->button() != Qt::LeftButton) return;
    const QPoint p = clientPos(event);
    session_.mouseButtonPressed();
    session_.mouse().leftDoubleClick(p.x(), p.y());
    Q_EMIT mouseHandled();
}

}  // namespace grusk
