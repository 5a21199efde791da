#include "ui/qt/room_map_window.h"

#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "app/editor_session.h"
#include "app/room_map_input.h"
#include "editor/draw/map_renderer.h"
#include "ui/qt/qt_platform.h"

namespace grusk {

namespace {

constexpr int kAreaWidth = 720;
constexpr int kStatusTop = kMapHeight + 6;

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

void RoomMapArea::paintEvent(QPaintEvent*) {
    const MapPaintState state = session_.mapInput().beginPaint();
    paintMap(map_, session_.app().castle, session_.pictures(), state);
    QPainter painter(this);
    painter.fillRect(QRect(kMapWidth, 0, kAreaWidth - kMapWidth, kMapHeight), palette().window());
    painter.drawImage(0, 0, viewOf(map_));
    const RasterImage& strip = session_.pictures().colourStrip();
    if (!strip.empty()) painter.drawImage(kColourStripLeft, 0, viewOf(strip));
    const Rgb swatch = mapSwatchColour(session_.mapInput().mapColour());
    painter.fillRect(QRect(kMapSwatchRect.left, kMapSwatchRect.top, kMapSwatchRect.right - kMapSwatchRect.left,
                           kMapSwatchRect.bottom - kMapSwatchRect.top),
                     QColor(swatch.r, swatch.g, swatch.b));
}

void RoomMapArea::showCursor() { setCursor(qtCursor(session_.mapInput().cursor())); }

void RoomMapArea::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    session_.mapInput().mouseMove(p.x(), p.y(), (event->buttons() & Qt::LeftButton) != 0);
    showCursor();
    Q_EMIT mouseHandled();
}

void RoomMapArea::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    session_.mouseButtonPressed();
    if (event->button() == Qt::LeftButton) session_.mapInput().leftDown(p.x(), p.y());
    Q_EMIT mouseHandled();
}

void RoomMapArea::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) session_.mapInput().leftUp(p.x(), p.y());
    else if (event->button() == Qt::RightButton) session_.mapInput().rightUp(p.x(), p.y());
    session_.mouseButtonReleased();
    showCursor();
    Q_EMIT mouseHandled();
}

RoomMapWindow::RoomMapWindow(EditorSession& session, QtPlatform& platform) : QDialog(nullptr), session_(session) {
    setObjectName("IDD_ROOMMAP");
    setWindowTitle("Room Map");
    setModal(false);
    setFixedSize(kAreaWidth + 4, kStatusTop + 24);

    area_ = new RoomMapArea(session, this);
    area_->move(0, 0);
    platform.setMapArea(area_);
    platform.registerWindow(WindowId::RoomMap, this);
    connect(area_, &RoomMapArea::mouseHandled, this, &RoomMapWindow::changed);

    auto* roomLabel = new QLabel("Room", this);
    roomLabel->setGeometry(kMapSwatchRect.left, 286, 64, 20);
    roomLabel->setAlignment(Qt::AlignCenter);

    auto addButton = [&](int id, const QString& label, const QRect& geometry) {
        auto* button = new QPushButton(label, this);
        button->setObjectName(QString::number(id));
        button->setGeometry(geometry);
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
        platform.registerControl(WindowId::RoomMap, id, button);
        connect(button, &QPushButton::clicked, this, [this, id] { command(id); });
    };
    addButton(kMapPrevRoomButton, "<", QRect(kColourStripLeft + 1, 308, 22, 24));
    addButton(kMapNextRoomButton, ">", QRect(kColourStripLeft + 59, 308, 22, 24));
    addButton(kMapHideButton, "Hide", QRect(kMapSwatchRect.left, 360, 64, 28));

    auto* room = new QLabel("1", this);
    room->setObjectName(QString::number(kMapRoomField));
    room->setGeometry(kColourStripLeft + 24, 308, 34, 24);
    room->setAlignment(Qt::AlignCenter);
    room->setFrameShape(QFrame::Panel);
    room->setFrameShadow(QFrame::Sunken);
    platform.registerControl(WindowId::RoomMap, kMapRoomField, room);

    auto* status = new QLabel(this);
    status->setObjectName(QString::number(kMapStatusLine));
    status->setGeometry(4, kStatusTop, kAreaWidth - 4, 20);
    platform.registerControl(WindowId::RoomMap, kMapStatusLine, status);
}

void RoomMapWindow::command(int id) {
    session_.mapInput().command(id);
    Q_EMIT changed();
}

void RoomMapWindow::reject() { command(kMapHideButton); }

}  // namespace grusk
