// A scripted stand-in for the window system, for tests: queue the answers to
// questions and file dialogs, then inspect every call the core made.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/platform.h"

namespace grusk {

class FakePlatform : public Platform {
public:
    struct Message {
        std::string text;
        std::string caption;
        bool question = false;
    };
    struct Started {
        std::string path;
        std::vector<std::string> args;
    };

    // Scripted answers, consumed in order. With an empty queue a question is
    // answered No and a dialog is cancelled.
    std::deque<Reply> replies;
    std::deque<std::optional<std::string>> files;    // open and save dialogs
    std::deque<std::optional<std::string>> folders;  // folder picker
    std::deque<int> popupChoices;                    // popup menus (0 = dismissed)
    bool startSucceeds = true;
    // The clipboard: what the core put there, or what a test puts there.
    std::optional<std::string> clipboard;

    // What the core did.
    std::vector<Message> messages;  // message boxes and questions, in order
    std::vector<std::pair<std::string, FileFilter>> fileDialogs;  // initial name, filter
    std::vector<std::string> captions;
    std::vector<std::string> log;
    int logShown = 0;
    int logCleared = 0;
    std::vector<std::pair<PixelRect, bool>> canvasRedraws;
    std::vector<std::pair<PixelRect, bool>> mapRedraws;
    std::vector<CursorShape> cursors;
    std::vector<std::pair<int, int>> pointerMoves;
    std::vector<int> popups;
    std::vector<Started> started;
    std::map<std::pair<WindowId, int>, std::string> controlTexts;
    std::map<std::pair<WindowId, int>, bool> controlVisible;
    std::map<std::pair<WindowId, int>, bool> controlEnabled;
    std::map<WindowId, bool> windowVisible;

    std::string caption() const { return captions.empty() ? std::string() : captions.back(); }
    std::string text(WindowId w, int id) const;
    // Texts of the message boxes (not questions) shown so far.
    std::vector<std::string> messageTexts() const;
    std::vector<std::string> questionTexts() const;
    void clearRecords();

    void message(const std::string& text, const std::string& caption) override;
    Reply ask(const std::string& text, const std::string& caption, QuestionKind kind) override;
    std::optional<std::string> askOpenFile(const std::string& initialName, const FileFilter& filter) override;
    std::optional<std::string> askSaveFile(const std::string& initialName, const FileFilter& filter) override;
    std::optional<std::string> askFolder(const std::string& title, const std::string& preselected) override;
    void setCaption(const std::string& text) override;
    void setControlText(WindowId window, int controlId, const std::string& text) override;
    void showControl(WindowId window, int controlId, bool visible) override;
    void enableControl(WindowId window, int controlId, bool enabled) override;
    void showWindow(WindowId window, bool visible) override;
    void clearLog() override;
    void addLogLine(const std::string& line) override;
    void showLog() override;
    void invalidateCanvas(const PixelRect& rect, bool erase) override;
    void invalidateCanvasRegion(const std::vector<PixelRect>& region, bool erase) override;
    void invalidateMap(const PixelRect& rect, bool erase) override;
    void setCursor(CursorShape shape) override;
    void setPointerPos(int clientX, int clientY) override;
    int popupMenu(int menuId) override;
    bool startProgram(const std::string& path, const std::vector<std::string>& args) override;
    void setClipboardText(const std::string& text) override { clipboard = text; }
    std::optional<std::string> clipboardText() override { return clipboard; }
};

// The fake without its records of repaints, captions and control texts, so
// that loops of thousands of operations (benchmarks, generated suites)
// measure the operations, not the growth of those lists. Messages and log
// lines are still kept.
class QuietPlatform : public FakePlatform {
public:
    void setCaption(const std::string&) override {}
    void setControlText(WindowId, int, const std::string&) override {}
    void invalidateCanvas(const PixelRect&, bool) override {}
    void invalidateCanvasRegion(const std::vector<PixelRect>&, bool) override {}
    void invalidateMap(const PixelRect&, bool) override {}
    void setCursor(CursorShape) override {}
    void showWindow(WindowId, bool) override {}
};

}  // namespace grusk
