#include "app/session_platform.h"

namespace grusk {

void SessionPlatform::setCaption(const std::string& text) {
    base_ = text;
    inner_.setCaption(shownCaption());
}

std::optional<std::string> SessionPlatform::askOpenFile(const std::string& initialName, const FileFilter& filter) {
    if (nextOpenFile_) {
        lastChosen_ = std::move(nextOpenFile_);
        nextOpenFile_.reset();
        return lastChosen_;
    }
    return lastChosen_ = inner_.askOpenFile(initialName, filter);
}

void SessionPlatform::setChangedMark(bool changed) {
    if (changed == marked_) return;
    marked_ = changed;
    inner_.setCaption(shownCaption());
}

}  // namespace grusk
