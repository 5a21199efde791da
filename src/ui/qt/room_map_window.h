// The "Room Map" window (IDD_ROOMMAP): the 640 x 400 castle map, the colour
// strip and the swatch of the chosen colour beside it, the room buttons with
// the room field, "Hide" and a status line. It has no owner, so it stays
// usable while a modal dialog of the main window is open. Its mouse events go
// to the session's map handling in map pixels; the colour strip and the swatch
// share the map's coordinates (the strip starts at x 641).
#pragma once

#include <QDialog>
#include <functional>

#include "app/view_zoom.h"
#include "editor/draw/raster_image.h"
#include "ui/qt/zoom_wheel.h"

class QLabel;
class QScrollArea;

namespace grusk {

class EditorSession;
class QtPlatform;

// The map, the colour strip and the swatch, painted from the session and
// scaled by the zoom; the room buttons, the room field and "Hide" sit below
// the swatch and keep their size.
class RoomMapArea : public QWidget {
    Q_OBJECT
public:
    RoomMapArea(EditorSession& session, QWidget* parent);
    // The map as it was painted last (640 x 400).
    const RasterImage& mapImage() const { return map_; }

    int zoom() const { return zoom_; }
    void setZoom(int percent);
    // Asks for the part that shows a rectangle of map pixels.
    void updateMapRect(const PixelRect& rect);
    // The map pixel under a widget position.
    CellPos mapPixelAt(const QPointF& widgetPos) const;
    // Ctrl+wheel zooms.
    ZoomWheel zoomWheel;

Q_SIGNALS:
    void mouseHandled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void showCursor();
    void placeControls();
    ZoomMapping mapping() const;
    double ratio() const;

    EditorSession& session_;
    RasterImage map_;
    int zoom_ = kActualSize;
    RasterImage whole_;   // map, strip and swatch together, for zoomed painting
    RasterImage scaled_;
};

class RoomMapWindow : public QDialog {
    Q_OBJECT
public:
    RoomMapWindow(EditorSession& session, QtPlatform& platform);
    RoomMapArea* mapArea() const { return area_; }
    // The zoom of the map; the window grows or shrinks to fit it when it can.
    void setZoom(int percent);
    int zoom() const;

Q_SIGNALS:
    // After a mouse event or button of the map: the main window catches up.
    void changed();

public Q_SLOTS:
    // Escape and the close box hide the map as "Hide" does.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void command(int id);
    QSize sizeFor(const QSize& area) const;

    EditorSession& session_;
    QScrollArea* scroll_ = nullptr;
    RoomMapArea* area_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace grusk
