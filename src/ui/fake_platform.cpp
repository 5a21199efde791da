#include "ui/fake_platform.h"

namespace grusk {

std::string FakePlatform::text(WindowId w, int id) const {
    auto it = controlTexts.find({w, id});
    return it == controlTexts.end() ? std::string() : it->second;
}

std::vector<std::string> FakePlatform::messageTexts() const {
    std::vector<std::string> out;
    for (const Message& m : messages)
        if (!m.question) out.push_back(m.text);
    return out;
}

std::vector<std::string> FakePlatform::questionTexts() const {
    std::vector<std::string> out;
    for (const Message& m : messages)
        if (m.question) out.push_back(m.text);
    return out;
}

void FakePlatform::clearRecords() {
    messages.clear();
    fileDialogs.clear();
    captions.clear();
    log.clear();
    logShown = logCleared = 0;
    canvasRedraws.clear();
    mapRedraws.clear();
    cursors.clear();
    pointerMoves.clear();
    popups.clear();
    started.clear();
}

void FakePlatform::message(const std::string& text, const std::string& caption) {
    messages.push_back({text, caption, false});
}

Reply FakePlatform::ask(const std::string& text, const std::string& caption, QuestionKind) {
    messages.push_back({text, caption, true});
    if (replies.empty()) return Reply::No;
    const Reply r = replies.front();
    replies.pop_front();
    return r;
}

namespace {
std::optional<std::string> next(std::deque<std::optional<std::string>>& queue) {
    if (queue.empty()) return std::nullopt;
    auto r = queue.front();
    queue.pop_front();
    return r;
}
}  // namespace

std::optional<std::string> FakePlatform::askOpenFile(const std::string& initialName, const FileFilter& filter) {
    fileDialogs.emplace_back(initialName, filter);
    return next(files);
}

std::optional<std::string> FakePlatform::askSaveFile(const std::string& initialName, const FileFilter& filter) {
    fileDialogs.emplace_back(initialName, filter);
    return next(files);
}

std::optional<std::string> FakePlatform::askFolder(const std::string& title, const std::string&) {
    fileDialogs.emplace_back(title, FileFilter{});
    return next(folders);
}

void FakePlatform::setCaption(const std::string& text) { captions.push_back(text); }

void FakePlatform::setControlText(WindowId window, int controlId, const std::string& text) {
    controlTexts[{window, controlId}] = text;
}

void FakePlatform::showControl(WindowId window, int controlId, bool visible) {
    controlVisible[{window, controlId}] = visible;
}

void FakePlatform::enableControl(WindowId window, int controlId, bool enabled) {
    controlEnabled[{window, controlId}] = enabled;
}

void FakePlatform::showWindow(WindowId window, bool visible) { windowVisible[window] = visible; }

void FakePlatform::clearLog() {
    log.clear();
    ++logCleared;
}

void FakePlatform::addLogLine(const std::string& line) { log.push_back(line); }

void FakePlatform::showLog() { ++logShown; }

void FakePlatform::invalidateCanvas(const PixelRect& rect, bool erase) { canvasRedraws.emplace_back(rect, erase); }

void FakePlatform::invalidateCanvasRegion(const std::vector<PixelRect>& region, bool erase) {
    for (const PixelRect& r : region) canvasRedraws.emplace_back(r, erase);
}

void FakePlatform::invalidateMap(const PixelRect& rect, bool erase) { mapRedraws.emplace_back(rect, erase); }

void FakePlatform::setCursor(CursorShape shape) { cursors.push_back(shape); }

void FakePlatform::setPointerPos(int clientX, int clientY) { pointerMoves.emplace_back(clientX, clientY); }

int FakePlatform::popupMenu(int menuId) {
    popups.push_back(menuId);
    if (popupChoices.empty()) return 0;
    const int c = popupChoices.front();
    popupChoices.pop_front();
    return c;
}

bool FakePlatform::startProgram(const std::string& path, const std::vector<std::string>& args) {
    started.push_back({path, args});
    return startSucceeds;
}

}  // namespace grusk
