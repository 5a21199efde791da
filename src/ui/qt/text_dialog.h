// "Enter Text" (IDD_TEXT): the text of a Text object, at most 20 characters
// (one screen width), in upper case. Only "OK" ends it: Escape and the close
// box do nothing.
#pragma once

#include <string>

#include "ui/qt/settings_dialogs.h"

class QLineEdit;

namespace grusk {

inline constexpr int kTextField = 1003;
inline constexpr const char* kTextDialogNote = "Screen width: 20 chars max.";

class TextDialog : public OkOnlyDialog {
    Q_OBJECT
public:
    // initial: the object's text as textDialogInitial gives it.
    TextDialog(const std::string& initial, QWidget* owner);
    // What the field holds now.
    std::string typed() const;
    QLineEdit* field() const { return field_; }

private:
    QLineEdit* field_ = nullptr;
};

}  // namespace grusk
