#include "ui/qt/text_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/room_editing.h"

namespace grusk {

TextDialog::TextDialog(const std::string& initial, QWidget* owner) : OkOnlyDialog(owner) {
    setObjectName("IDD_TEXT");
    setWindowTitle("Enter Text");
    field_ = new QLineEdit(QString::fromStdString(initial), this);
    field_->setObjectName(QString::number(kTextField));
    field_->setMinimumWidth(260);
    // The game's screen shows plain ASCII only; this also keeps one character one byte.
    field_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x20-\\x7e]*")), field_));
    // Every change is cut back to one screen width, typed or pasted.
    // The cut itself must not come back through the signal, and the caret
    // stays where the user was typing.
    connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QString cut = QString::fromStdString(textDialogOnChange(text.toStdString()));
        if (cut == text) return;
        const int caret = field_->cursorPosition();
        const QSignalBlocker quiet(field_);
        field_->setText(cut);
        field_->setCursorPosition(std::min(caret, static_cast<int>(cut.size())));
    });
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("1");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addWidget(new QLabel(kTextDialogNote, this));
    layout->addWidget(ok, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

std::string TextDialog::typed() const { return field_->text().toStdString(); }

}  // namespace grusk
