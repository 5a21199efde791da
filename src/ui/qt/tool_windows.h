// The small windows of the editor: the log and inspector windows (list 1321,
// "Close" 1282 hides them), the select-door prompt shown while a door is
// being connected, the map-door prompt, and the about box.
#pragma once

#include <QDialog>
#include <functional>

class QListWidget;

namespace grusk {

class RasterImage;

// "Log Window" or "Inspector": modeless, without owner.
class ToolWindow : public QDialog {
    Q_OBJECT
public:
    ToolWindow(const QString& title, const QString& objectName);
    QListWidget* list() const { return list_; }

private:
    QListWidget* list_ = nullptr;
};

// "Select a Door to connect to" (IDD_SELECTDOOR): modeless, stays up while
// the user changes rooms; closed by the click that connects.
class SelectDoorWindow : public QDialog {
    Q_OBJECT
public:
    explicit SelectDoorWindow(QWidget* owner);
};

// "Set Door position on the Map:" (IDD_MAPDOOR): modal over the main window
// only, so the room map stays usable; the click on the map ends it.
class MapDoorPrompt : public QDialog {
    Q_OBJECT
public:
    explicit MapDoorPrompt(QWidget* owner);
    // Escape or the close box: stop waiting for the map click.
    std::function<void()> onCancel;

public Q_SLOTS:
    void reject() override;
};

// "About GruskEdit" (IDD_WELCOME): the about picture, a contact line and "OK" (1282).
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(const RasterImage& picture);
};

inline constexpr const char* kAboutContactLine =
    "GruskEdit - castle editor. Questions and castles: see Help in the Help menu.";

}  // namespace grusk
