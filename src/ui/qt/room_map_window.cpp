#include "ui/qt/room_map_window.h"

#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/editor_session.h"
#include "app/room_map_input.h"
#include "editor/draw/map_renderer.h"
#include "ui/qt/canvas_widget.h"
#include "ui/qt/qt_platform.h"

namespace grusk {

namespace {

constexpr int kAreaWidth = 720;
constexpr int kStatusTop = kMapHeight + 6;
// The controls below the swatch keep their place relative to the strip's
// left edge and the swatch's bottom edge, whatever the zoom.
constexpr int kSwatchBottom = 276;
const char* const kHomeRect = "homeRect";

QImage viewOf(const RasterImage& image) {
    // The pixels are 0xFFRRGGBB, which is what RGB32 holds: no copy is made.
    return QImage(reinterpret_cast<const uchar*>(image.data()), image.width(), image.height(), image.bytesPerLine(),
                  QImage::Format_RGB32);
}

Qt::CursorShape qtCursor(CursorShape shape) {
    switch (shape) {
        case CursorShape::SizeDiagonal: return Qt::SizeFDiagCursor;
        case CursorShape::SizeAll: return Qt::SizeAllCursor;
        case CursorShape::Hand: return Qt::PointingHandCursor;
        case CursorShape::Cross: return Qt::CrossCursor;
        default: return Qt::ArrowCursor;
    }
}

}  // namespace

RoomMapArea::RoomMapArea(EditorSession& session, QWidget* parent)
    : QWidget(parent), session_(session), map_(kMapWidth, kMapHeight) {
    setObjectName("mapArea");
    setFixedSize(kAreaWidth, kMapHeight);
    setMouseTracking(true);
}

double RoomMapArea::ratio() const { return devicePixelRatioF() > 0 ? devicePixelRatioF() : 1.0; }

ZoomMapping RoomMapArea::mapping() const { return ZoomMapping(deviceScale(zoom_, ratio())); }

void RoomMapArea::setZoom(int percent) {
    zoom_ = validZoomStep(percent);
    placeControls();
    update();
}

void RoomMapArea::placeControls() {
    const ZoomMapping m = mapping();
    const double r = ratio();
    const int stripLeft = static_cast<int>(std::floor(m.firstDevicePixel(kColourStripLeft) / r));
    const int swatchBottom = static_cast<int>(std::floor(m.firstDevicePixel(kSwatchBottom) / r));
    int width = static_cast<int>(std::ceil(m.deviceLength(kAreaWidth) / r));
    int height = static_cast<int>(std::ceil(m.deviceLength(kMapHeight) / r));
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        const QVariant home = child->property(kHomeRect);
        if (!home.isValid()) continue;
        const QRect at = home.toRect().translated(stripLeft - kColourStripLeft, swatchBottom - kSwatchBottom);
        child->setGeometry(at);
        width = std::max(width, at.right() + 9);
        height = std::max(height, at.bottom() + 13);
    }
    setFixedSize(width, height);
}

void RoomMapArea::updateMapRect(const PixelRect& rect) {
    if (zoom_ == kActualSize && ratio() == 1.0) {
        update(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top));
        return;
    }
    const PixelRect device = mapping().deviceRect(rect);
    const double r = ratio();
    const int left = static_cast<int>(std::floor(device.left / r));
    const int top = static_cast<int>(std::floor(device.top / r));
    update(QRect(left, top, static_cast<int>(std::ceil(device.right / r)) - left,
                 static_cast<int>(std::ceil(device.bottom / r)) - top));
}

CellPos RoomMapArea::mapPixelAt(const QPointF& widgetPos) const {
    const double r = ratio();
    if (zoom_ == kActualSize && r == 1.0) {
        const QPoint p = widgetPos.toPoint();
        return CellPos{p.x(), p.y()};
    }
    const ZoomMapping m = mapping();
    return CellPos{m.rasterAt(static_cast<int>(std::floor(widgetPos.x() * r))),
                   m.rasterAt(static_cast<int>(std::floor(widgetPos.y() * r)))};
}

void RoomMapArea::paintEvent(QPaintEvent* event) {
    const MapPaintState state = session_.mapInput().beginPaint();
    paintMap(map_, session_.app().castle, session_.pictures(), state);
    QPainter painter(this);
    const RasterImage& strip = session_.pictures().colourStrip();
    const Rgb swatch = mapSwatchColour(session_.mapInput().mapColour());
    if (zoom_ == kActualSize && ratio() == 1.0) {
        painter.fillRect(QRect(kMapWidth, 0, width() - kMapWidth, height()), palette().window());
        painter.fillRect(QRect(0, kMapHeight, kMapWidth, height() - kMapHeight), palette().window());
        painter.drawImage(0, 0, viewOf(map_));
        if (!strip.empty()) painter.drawImage(kColourStripLeft, 0, viewOf(strip));
        painter.fillRect(QRect(kMapSwatchRect.left, kMapSwatchRect.top, kMapSwatchRect.right - kMapSwatchRect.left,
                               kMapSwatchRect.bottom - kMapSwatchRect.top),
                         QColor(swatch.r, swatch.g, swatch.b));
        return;
    }
    // Zoomed: map, strip and swatch put together at 1:1, then scaled as one.
    const QColor ground = palette().window().color();
    painter.fillRect(rect(), ground);
    if (whole_.width() != kAreaWidth) whole_ = RasterImage(kAreaWidth, kMapHeight);
    whole_.fill(Rgb{uint8_t(ground.red()), uint8_t(ground.green()), uint8_t(ground.blue())});
    whole_.blit(map_, 0, 0, kMapWidth, kMapHeight, 0, 0, Rgb{1, 2, 3});
    if (!strip.empty()) whole_.blit(strip, 0, 0, strip.width(), strip.height(), kColourStripLeft, 0, Rgb{1, 2, 3});
    whole_.fillRect(kMapSwatchRect.left, kMapSwatchRect.top, kMapSwatchRect.right - kMapSwatchRect.left,
                    kMapSwatchRect.bottom - kMapSwatchRect.top, swatch);
    paintScaled(painter, whole_, mapping(), ratio(), event->rect(), scaled_);
}

void RoomMapArea::showCursor() { setCursor(qtCursor(session_.mapInput().cursor())); }

void RoomMapArea::mouseMoveEvent(QMouseEvent* event) {
    const CellPos p = mapPixelAt(event->position());
    session_.mapInput().mouseMove(p.x, p.y, (event->buttons() & Qt::LeftButton) != 0);
    showCursor();
    Q_EMIT mouseHandled();
}

void RoomMapArea::mousePressEvent(QMouseEvent* event) {
    const CellPos p = mapPixelAt(event->position());
    session_.mouseButtonPressed();
    if (event->button() == Qt::LeftButton) session_.mapInput().leftDown(p.x, p.y);
    Q_EMIT mouseHandled();
}

void RoomMapArea::mouseReleaseEvent(QMouseEvent* event) {
    const CellPos p = mapPixelAt(event->position());
    if (event->button() == Qt::LeftButton) session_.mapInput().leftUp(p.x, p.y);
    else if (event->button() == Qt::RightButton) session_.mapInput().rightUp(p.x, p.y);
    session_.mouseButtonReleased();
    showCursor();
    Q_EMIT mouseHandled();
}

void RoomMapArea::wheelEvent(QWheelEvent* event) {
    zoomWheel.handle(event);
}

RoomMapWindow::RoomMapWindow(EditorSession& session, QtPlatform& platform) : QDialog(nullptr), session_(session) {
    setObjectName("IDD_ROOMMAP");
    setWindowTitle("Room Map");
    setModal(false);
    setSizeGripEnabled(true);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName("mapScroll");
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(false);
    area_ = new RoomMapArea(session, scroll_);
    platform.setMapArea(area_);
    platform.registerWindow(WindowId::RoomMap, this);
    connect(area_, &RoomMapArea::mouseHandled, this, &RoomMapWindow::changed);
    area_->zoomWheel.onStep = [this](int steps) { setZoom(steps > 0 ? zoomInStep(zoom()) : zoomOutStep(zoom())); };

    auto home = [](QWidget* w, const QRect& geometry) {
        w->setProperty(kHomeRect, geometry);
        w->setGeometry(geometry);
    };
    auto* roomLabel = new QLabel("Room", area_);
    home(roomLabel, QRect(kMapSwatchRect.left, 286, 64, 20));
    roomLabel->setAlignment(Qt::AlignCenter);

    auto addButton = [&](int id, const QString& label, const QRect& geometry) {
        auto* button = new QPushButton(label, area_);
        button->setObjectName(QString::number(id));
        home(button, geometry);
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
        platform.registerControl(WindowId::RoomMap, id, button);
        connect(button, &QPushButton::clicked, this, [this, id] { command(id); });
    };
    addButton(kMapPrevRoomButton, "<", QRect(kColourStripLeft + 1, 308, 22, 24));
    addButton(kMapNextRoomButton, ">", QRect(kColourStripLeft + 59, 308, 22, 24));
    addButton(kMapHideButton, "Hide", QRect(kMapSwatchRect.left, 360, 64, 28));

    auto* room = new QLabel("1", area_);
    room->setObjectName(QString::number(kMapRoomField));
    home(room, QRect(kColourStripLeft + 24, 308, 34, 24));
    room->setAlignment(Qt::AlignCenter);
    room->setFrameShape(QFrame::Panel);
    room->setFrameShadow(QFrame::Sunken);
    platform.registerControl(WindowId::RoomMap, kMapRoomField, room);

    scroll_->setWidget(area_);
    area_->setZoom(kActualSize);

    status_ = new QLabel(this);
    status_->setObjectName(QString::number(kMapStatusLine));
    platform.registerControl(WindowId::RoomMap, kMapStatusLine, status_);

    // The same zoom keys as the main window's View menu.
    auto shortcut = [this](const QKeySequence& keys, std::function<int()> next) {
        auto* s = new QShortcut(keys, this);
        connect(s, &QShortcut::activated, this, [this, next] { setZoom(next()); });
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Plus), [this] { return zoomInStep(zoom()); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { return zoomInStep(zoom()); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { return zoomOutStep(zoom()); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_0), [] { return kActualSize; });

    setMinimumSize(200, 150);
    resize(sizeFor(area_->size()));
}

QSize RoomMapWindow::sizeFor(const QSize& area) const { return QSize(area.width() + 4, area.height() + 30); }

int RoomMapWindow::zoom() const { return area_->zoom(); }

void RoomMapWindow::setZoom(int percent) {
    area_->setZoom(percent);
    if (isMaximized() || isFullScreen()) return;
    QSize wanted = sizeFor(area_->size());
    if (const QScreen* s = screen()) wanted = wanted.boundedTo(s->availableGeometry().size() - QSize(16, 48));
    resize(wanted);
}

void RoomMapWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int h = height();
    scroll_->setGeometry(0, 0, width(), std::max(0, h - 30));
    status_->setGeometry(4, h - 24, std::max(0, width() - 4), 20);
}

void RoomMapWindow::command(int id) {
    session_.mapInput().command(id);
    Q_EMIT changed();
}

void RoomMapWindow::reject() { command(kMapHideButton); }

}  // namespace grusk
