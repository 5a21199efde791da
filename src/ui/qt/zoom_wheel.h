#pragma once

#include <functional>

class QWheelEvent;

namespace grusk {

// The mouse wheel with Ctrl held zooms a view one step per notch. A notch is
// 120; touchpads send smaller parts, which add up.
class ZoomWheel {
public:
    // Called with +1 or -1 for each notch.
    std::function<void(int steps)> onStep;

    // Takes the event when it is a zoom; otherwise ignores it, so that the
    // scroll area around the view scrolls.
    void handle(QWheelEvent* event);

private:
    int rest_ = 0;
};

}  // namespace grusk
