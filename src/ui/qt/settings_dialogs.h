// The dialogs "Settings" (IDD_BASICS) and "Door Properties" (IDD_DOORLINK).
// Both show and feed their toolkit-free logic and end only through OK:
// Escape and the close box do nothing.
#pragma once

#include <QDialog>
#include <functional>
#include <map>

class QLineEdit;
class QPushButton;

namespace grusk {

class CastleSettingsLogic;
class DoorPropertiesLogic;

// Escape and the close box are ignored; only accept() ends it.
class OkOnlyDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

public Q_SLOTS:
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;
};

class CastleSettingsDialog : public OkOnlyDialog {
    Q_OBJECT
public:
    CastleSettingsDialog(CastleSettingsLogic& logic, QWidget* owner);
    QLineEdit* field(int id) const;

private:
    void ok();

    CastleSettingsLogic& logic_;
    std::map<int, QLineEdit*> fields_;
};

class DoorPropertiesDialog : public OkOnlyDialog {
    Q_OBJECT
public:
    // runMapPrompt runs the map-door prompt and returns after the map click.
    DoorPropertiesDialog(DoorPropertiesLogic& logic, std::function<void()> runMapPrompt, QWidget* owner);
    QLineEdit* field(int id) const;

private:
    void refresh(std::initializer_list<int> ids);
    void ok();
    void position();

    DoorPropertiesLogic& logic_;
    std::function<void()> runMapPrompt_;
    std::map<int, QLineEdit*> fields_;
    QPushButton* direction_ = nullptr;
};

inline constexpr const char* kDoorPositionNote =
    "The position on the map is relative to the rectangle belonging to this room on the map.";

}  // namespace grusk
