// The one narrow interface through which the core reaches the window system:
// message boxes, file and folder dialogs, captions and control texts, the log
// window, redraw requests, cursors, popup menus, starting programs and the clipboard.
// The Qt program implements it; tests use the scripted FakePlatform.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/geometry.h"

namespace grusk {

enum class WindowId { Main, RoomMap, Log, Inspector, SelectDoor, MapDoor, D64Manager, About, Problems };

enum class CursorShape { Arrow, Hand, Cross, SizeDiagonal, SizeAll, Link, Connect };

enum class Reply { Ok, Yes, No, Cancel };

enum class QuestionKind { YesNo, YesNoCancel };

struct FileFilter {
    std::string label;    // "Grusk Castles"
    std::string pattern;  // "*.cas"
};

constexpr const char* kCaptionKvt = "KVT";
constexpr const char* kCaptionWatchOut = "Watch out!";  // project and room files
constexpr const char* kCaptionWatchIt = "Watch it!";    // castle programs and disk images

class Platform {
public:
    virtual ~Platform() = default;

    // Information message box with an OK button.
    virtual void message(const std::string& text, const std::string& caption) = 0;
    // Question box without icon; answers Yes, No or (YesNoCancel only) Cancel.
    virtual Reply ask(const std::string& text, const std::string& caption, QuestionKind kind) = 0;

    // File dialogs; initialName is the starting contents of the name field.
    virtual std::optional<std::string> askOpenFile(const std::string& initialName,
                                                   const FileFilter& filter) = 0;
    virtual std::optional<std::string> askSaveFile(const std::string& initialName,
                                                   const FileFilter& filter) = 0;
    virtual std::optional<std::string> askFolder(const std::string& title,
                                                 const std::string& preselected) = 0;

    // Main window caption.
    virtual void setCaption(const std::string& text) = 0;
    // Text, visibility and enabling of a control of one of the windows.
    virtual void setControlText(WindowId window, int controlId, const std::string& text) = 0;
    virtual void showControl(WindowId window, int controlId, bool visible) = 0;
    virtual void enableControl(WindowId window, int controlId, bool enabled) = 0;
    virtual void showWindow(WindowId window, bool visible) = 0;

    // Log window.
    virtual void clearLog() = 0;
    virtual void addLogLine(const std::string& line) = 0;
    virtual void showLog() = 0;

    // Redraw requests. Canvas rectangles are main-window client pixels
    // (the room canvas lies at (9, 11)..(649, 411)); map rectangles are map pixels.
    virtual void invalidateCanvas(const PixelRect& rect, bool erase) = 0;
    virtual void invalidateCanvasRegion(const std::vector<PixelRect>& region, bool erase) = 0;
    virtual void invalidateMap(const PixelRect& rect, bool erase) = 0;

    virtual void setCursor(CursorShape shape) = 0;
    // Moves the screen pointer to a main-window client position.
    virtual void setPointerPos(int clientX, int clientY) = 0;

    // Opens popup menu menuId at the pointer; returns the chosen command id or 0.
    virtual int popupMenu(int menuId) = 0;

    // Starts a program without waiting; false when it could not be started.
    virtual bool startProgram(const std::string& path, const std::vector<std::string>& args) = 0;

    // The system clipboard as plain text (shared with other programs and
    // other running editors); nothing when it holds no text.
    virtual void setClipboardText(const std::string& text) = 0;
    virtual std::optional<std::string> clipboardText() = 0;
};

}  // namespace grusk
