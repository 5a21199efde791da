// The "Room Map" window (IDD_ROOMMAP): the 640 x 400 castle map, the colour
// strip and the swatch of the chosen colour beside it, the room buttons with
// the room field, "Hide" and a status line. It has no owner, so it stays
// usable while a modal dialog of the main window is open. Its mouse events go
// to the session's map handling in map pixels; the colour strip and the swatch
// share the map's coordinates (the strip starts at x 641).
#pragma once

#include <QDialog>

#include "editor/draw/raster_image.h"

class QLabel;

namespace grusk {

class EditorSession;
class QtPlatform;

// The map, the colour strip and the swatch, painted from the session.
class RoomMapArea : public QWidget {
    Q_OBJECT
public:
    RoomMapArea(EditorSession& session, QWidget* parent);
    // The map as it was painted last (640 x 400).
    const RasterImage& mapImage() const { return map_; }

Q_SIGNALS:
    void mouseHandled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showCursor();

    EditorSession& session_;
    RasterImage map_;
};

class RoomMapWindow : public QDialog {
    Q_OBJECT
public:
    RoomMapWindow(EditorSession& session, QtPlatform& platform);
    RoomMapArea* mapArea() const { return area_; }

Q_SIGNALS:
    // After a mouse event or button of the map: the main window catches up.
    void changed();

public Q_SLOTS:
    // Escape and the close box hide the map as "Hide" does.
    void reject() override;

private:
    void command(int id);

    EditorSession& session_;
    RoomMapArea* area_ = nullptr;
};

}  // namespace grusk
