#include "ui/qt/zoom_wheel.h"

#include <QWheelEvent>

namespace grusk {

void ZoomWheel::handle(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || !onStep) {
        event->ignore();
        return;
    }
    rest_ += event->angleDelta().y();
    while (rest_ >= 120) {
        rest_ -= 120;
        onStep(+1);
    }
    while (rest_ <= -120) {
        rest_ += 120;
        onStep(-1);
    }
    event->accept();
}

}  // namespace grusk
