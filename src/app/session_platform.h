// The platform as the editor session hands it to the core: every call goes
// through to the window system, except that the main window caption carries
// a leading "*" while the castle has unsaved changes, and a file the session
// already knows (a recent file, a dropped file) can answer the next open
// dialog, so that the command runs exactly as if the user had chosen it.
#pragma once

#include <string>

#include "ui/platform.h"

namespace grusk {

class SessionPlatform : public Platform {
public:
    explicit SessionPlatform(Platform& inner) : inner_(inner) {}

    Platform& inner() { return inner_; }
    // Shows or removes the "*" mark; re-sends the caption only when it changes.
    void setChangedMark(bool changed);
    bool changedMark() const { return marked_; }
    const std::string& baseCaption() const { return base_; }
    std::string shownCaption() const { return marked_ ? "*" + base_ : base_; }
    // How many canvas redraws were asked for so far.
    long long canvasRequests() const { return canvasRequests_; }

    // The next open-file dialog returns this path without showing itself.
    void answerNextOpenFile(const std::string& path) { nextOpenFile_ = path; }
    // Drops an answer no dialog took.
    void dropOpenFileAnswer() { nextOpenFile_.reset(); }
    // The file chosen in the last open or save dialog (nothing when cancelled).
    const std::optional<std::string>& lastChosenFile() const { return lastChosen_; }
    void forgetChosenFile() { lastChosen_.reset(); }

    void message(const std::string& text, const std::string& caption) override { inner_.message(text, caption); }
    Reply ask(const std::string& text, const std::string& caption, QuestionKind kind) override {
        return inner_.ask(text, caption, kind);
    }
    std::optional<std::string> askOpenFile(const std::string& initialName, const FileFilter& filter) override;
    std::optional<std::string> askSaveFile(const std::string& initialName, const FileFilter& filter) override {
        return lastChosen_ = inner_.askSaveFile(initialName, filter);
    }
    std::optional<std::string> askFolder(const std::string& title, const std::string& preselected) override {
        return inner_.askFolder(title, preselected);
    }
    void setCaption(const std::string& text) override;
    void setControlText(WindowId window, int controlId, const std::string& text) override {
        inner_.setControlText(window, controlId, text);
    }
    void showControl(WindowId window, int controlId, bool visible) override {
        inner_.showControl(window, controlId, visible);
    }
    void enableControl(WindowId window, int controlId, bool enabled) override {
        inner_.enableControl(window, controlId, enabled);
    }
    void showWindow(WindowId window, bool visible) override { inner_.showWindow(window, visible); }
    void clearLog() override { inner_.clearLog(); }
    void addLogLine(const std::string& line) override { inner_.addLogLine(line); }
    void showLog() override { inner_.showLog(); }
    void invalidateCanvas(const PixelRect& rect, bool erase) override {
        ++canvasRequests_;
        inner_.invalidateCanvas(rect, erase);
    }
    void invalidateCanvasRegion(const std::vector<PixelRect>& region, bool erase) override {
        ++canvasRequests_;
        inner_.invalidateCanvasRegion(region, erase);
    }
    void invalidateMap(const PixelRect& rect, bool erase) override { inner_.invalidateMap(rect, erase); }
    void setCursor(CursorShape shape) override { inner_.setCursor(shape); }
    void setPointerPos(int clientX, int clientY) override { inner_.setPointerPos(clientX, clientY); }
    int popupMenu(int menuId) override { return inner_.popupMenu(menuId); }
    bool startProgram(const std::string& path, const std::vector<std::string>& args) override {
        return inner_.startProgram(path, args);
    }
    void setClipboardText(const std::string& text) override { inner_.setClipboardText(text); }
    std::optional<std::string> clipboardText() override { return inner_.clipboardText(); }

private:
    Platform& inner_;
    std::string base_;
    bool marked_ = false;
    long long canvasRequests_ = 0;
    std::optional<std::string> nextOpenFile_;
    std::optional<std::string> lastChosen_;
};

}  // namespace grusk
