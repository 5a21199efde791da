// The room canvas: shows the session's raster image as it is and forwards the
// mouse to the canvas mouse handling in main-window client pixels. A click
// gives it the keyboard focus, so that the arrow keys move the selection.
#pragma once

#include <QWidget>

namespace grusk {

class EditorSession;
class QtPlatform;

class CanvasWidget : public QWidget {
    Q_OBJECT
public:
    CanvasWidget(EditorSession& session, QtPlatform& platform, QWidget* parent);

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
    // Arrow keys nudge the selection while the canvas has the focus.
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPoint clientPos(const QMouseEvent* event) const;

    EditorSession& session_;
    QtPlatform& platform_;
};

}  // namespace grusk
