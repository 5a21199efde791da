#include "ui/qt/canvas_widget.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QWheelEvent>
#include <cmath>

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

QImage viewOf(const RasterImage& image) {
    // The pixels are 0xFFRRGGBB, which is what RGB32 holds: no copy is made.
    return QImage(reinterpret_cast<const uchar*>(image.data()), image.width(), image.height(), image.bytesPerLine(),
                  QImage::Format_RGB32);
}

}  // namespace

void paintScaled(QPainter& painter, const RasterImage& raster, const ZoomMapping& mapping,
                 double ratio, const QRect& dirty, RasterImage& scaled) {
    if (mapping.scale() == kActualSize) {
        painter.drawImage(0, 0, viewOf(raster));
        return;
    }
    const int w = mapping.deviceLength(raster.width());
    const int h = mapping.deviceLength(raster.height());
    if (scaled.width() != w || scaled.height() != h) scaled = RasterImage(w, h);
    // The device pixels under the dirty part of the widget, with a pixel to spare.
    const PixelRect area{static_cast<int>(std::floor(dirty.left() * ratio)) - 1,
                         static_cast<int>(std::floor(dirty.top() * ratio)) - 1,
                         static_cast<int>(std::ceil((dirty.right() + 1) * ratio)) + 1,
                         static_cast<int>(std::ceil((dirty.bottom() + 1) * ratio)) + 1};
    scaleRasterInto(raster, mapping, scaled, area);
    QImage view = viewOf(scaled);
    view.setDevicePixelRatio(ratio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPointF(0, 0), view);
}

CanvasWidget::CanvasWidget(EditorSession& session, QtPlatform& platform, QWidget* parent)
    : QWidget(parent), session_(session), platform_(platform) {
    setObjectName("canvas");
    setFixedSize(kCanvasWidth, kCanvasHeight);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

double CanvasWidget::ratio() const { return devicePixelRatioF() > 0 ? devicePixelRatioF() : 1.0; }

ZoomMapping CanvasWidget::mapping() const { return ZoomMapping(deviceScale(zoom_, ratio())); }

QSize CanvasWidget::sizeAt(int percent) const {
    const ZoomMapping m(deviceScale(percent, ratio()));
    return QSize(static_cast<int>(std::ceil(m.deviceLength(kCanvasWidth) / ratio())),
                 static_cast<int>(std::ceil(m.deviceLength(kCanvasHeight) / ratio())));
}

void CanvasWidget::setZoom(int percent) {
    zoom_ = validZoomStep(percent);
    setFixedSize(sizeAt(zoom_));
    update();
}

void CanvasWidget::updateClientRect(const PixelRect& client) {
    const PixelRect raster{client.left - kCanvasLeft, client.top - kCanvasTop, client.right - kCanvasLeft,
                           client.bottom - kCanvasTop};
    const PixelRect device = mapping().deviceRect(raster);
    const double r = ratio();
    const int left = static_cast<int>(std::floor(device.left / r));
    const int top = static_cast<int>(std::floor(device.top / r));
    update(QRect(left, top, static_cast<int>(std::ceil(device.right / r)) - left,
                 static_cast<int>(std::ceil(device.bottom / r)) - top));
}

QPoint CanvasWidget::widgetPointFor(int clientX, int clientY) const {
    const CellPos device = canvasDevicePixel(mapping(), clientX, clientY);
    const double r = ratio();
    return QPoint(static_cast<int>(std::floor((device.x + 0.5) / r)), static_cast<int>(std::floor((device.y + 0.5) / r)));
}

CellPos CanvasWidget::clientPixelAt(const QPointF& widgetPos) const {
    const double r = ratio();
    // At 1:1 on a plain screen the position is used as it is.
    if (zoom_ == kActualSize && r == 1.0) {
        const QPoint p = widgetPos.toPoint();
        return CellPos{p.x() + kCanvasLeft, p.y() + kCanvasTop};
    }
    return canvasClientPixel(mapping(), static_cast<int>(std::floor(widgetPos.x() * r)),
                             static_cast<int>(std::floor(widgetPos.y() * r)));
}

void CanvasWidget::paintEvent(QPaintEvent* event) {
    if (session_.firstPaintPending()) Q_EMIT firstPaintDue();
    const RasterImage& image = session_.firstPaintPending() ? session_.canvas() : session_.paintCanvas();
    QPainter painter(this);
    if (image.empty()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    paintScaled(painter, image, mapping(), ratio(), event->rect(), scaled_);
}

void CanvasWidget::enterEvent(QEnterEvent*) {
    session_.pointerOnCanvas(true);
    Q_EMIT mouseHandled();
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    platform_.noteMouseTarget(this);
    session_.pointerOnCanvas(true);
    const CellPos p = clientPixelAt(event->position());
    session_.mouse().mouseMove(p.x, p.y, heldButtons(event));
    Q_EMIT mouseHandled();
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    platform_.noteMouseTarget(this);
    const CellPos p = clientPixelAt(event->position());
    session_.mouseButtonPressed();
    if (event->button() == Qt::LeftButton) session_.mouse().leftDown(p.x, p.y, heldButtons(event));
    else if (event->button() == Qt::RightButton) session_.mouse().rightDown(p.x, p.y, heldButtons(event));
    session_.canvasClicked();
    Q_EMIT mouseHandled();
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
    platform_.noteMouseTarget(this);
    const CellPos p = clientPixelAt(event->position());
    int command = 0;
    if (event->button() == Qt::LeftButton) session_.mouse().leftUp(p.x, p.y, heldButtons(event));
    else if (event->button() == Qt::RightButton) command = session_.mouse().rightUp(p.x, p.y, heldButtons(event));
    session_.mouseButtonReleased();
    // A popup command runs once the release is handled.
    if (command != 0) session_.runCommand(command);
    Q_EMIT mouseHandled();
}

void CanvasWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    platform_.noteMouseTarget(this);
    // Only the left button has a double click; any other second press is a
    // plain press, so that every release has its press.
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    const CellPos p = clientPixelAt(event->position());
    session_.mouseButtonPressed();
    session_.mouse().leftDoubleClick(p.x, p.y);
    Q_EMIT mouseHandled();
}

void CanvasWidget::wheelEvent(QWheelEvent* event) {
    zoomWheel.handle(event);
}

void CanvasWidget::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    session_.mouse().pointerLeft();
    // The Inspector goes back to the object clicked last.
    session_.pointerOnCanvas(false);
    Q_EMIT mouseHandled();
}

}  // namespace grusk
