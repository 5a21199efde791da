#include "app/session_platform.h"

namespace grusk {

void SessionPlatform::setCaption(const std::string& text) {
    base_ = text;
    inner_.setCaption(shownCaption());
}

void SessionPlatform::setChangedMark(bool changed) {
    if (changed == marked_) return;
    marked_ = changed;
    inner_.setCaption(shownCaption());
}

}  // namespace grusk
