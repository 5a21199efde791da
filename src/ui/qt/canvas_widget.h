// The room canvas: shows the session's raster image scaled by the zoom
// (nearest neighbour, in device pixels, so it stays crisp on any screen) and
// forwards the mouse to the canvas mouse handling in the main-window client
// pixels of the raster, whatever the zoom.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "app/view_zoom.h"
#include "editor/draw/raster_image.h"
#include "ui/qt/zoom_wheel.h"

namespace grusk {

class EditorSession;
class QtPlatform;

class CanvasWidget : public QWidget {
    Q_OBJECT
public:
    CanvasWidget(EditorSession& session, QtPlatform& platform, QWidget* parent);

    // The zoom step in percent; the widget takes the scaled size.
    int zoom() const { return zoom_; }
    void setZoom(int percent);
    // Size of the canvas at a zoom step, in widget pixels.
    QSize sizeAt(int percent) const;

    // Asks for the part of the canvas that shows a client-pixel rectangle.
    void updateClientRect(const PixelRect& client);
    // Widget position that shows the middle of a client pixel.
    QPoint widgetPointFor(int clientX, int clientY) const;
    // The client pixel of the raster under a widget position.
    CellPos clientPixelAt(const QPointF& widgetPos) const;

    // Ctrl+wheel zooms.
    ZoomWheel zoomWheel;

Q_SIGNALS:
    // Before the first paint of the canvas: the main window's one-time set-up.
    void firstPaintDue();
    // After every mouse event that may have changed what the window shows.
    void mouseHandled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    ZoomMapping mapping() const;
    double ratio() const;

    EditorSession& session_;
    QtPlatform& platform_;
    int zoom_ = kActualSize;
    RasterImage scaled_;  // the raster at device scale, redone where painted
};

// Paints a raster scaled by a mapping into the widget: the part inside the
// paint event's rectangle is scaled into scaled (kept between paints) and
// drawn at the widget's origin.
void paintScaled(QPainter& painter, const RasterImage& raster, const ZoomMapping& mapping,
                 double ratio, const QRect& dirty, RasterImage& scaled);

}  // namespace grusk
