#include "ui/qt/settings_dialogs.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/door_links.h"

namespace grusk {

namespace {

QLineEdit* numberField(int id, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    edit->setFixedWidth(60);
    return edit;
}

QPushButton* okButton(QWidget* parent) {
    auto* ok = new QPushButton("OK", parent);
    ok->setObjectName(QString::number(kDialogOk));
    ok->setDefault(true);
    return ok;
}

}  // namespace

void OkOnlyDialog::closeEvent(QCloseEvent* event) { event->ignore(); }

CastleSettingsDialog::CastleSettingsDialog(CastleSettingsLogic& logic, QWidget* owner)
    : OkOnlyDialog(owner), logic_(logic) {
    setObjectName("IDD_BASICS");
    setWindowTitle("Settings");
    auto* layout = new QVBoxLayout(this);
    auto* players = new QHBoxLayout;
    const int ids[2][3] = {{kSettingsStartRoom1, kSettingsStartDoor1, kSettingsLives1},
                           {kSettingsStartRoom2, kSettingsStartDoor2, kSettingsLives2}};
    const char* labels[3] = {"Start Room", "Start Door", "Lives"};
    for (int p = 0; p < 2; ++p) {
        auto* group = new QGroupBox(p == 0 ? "Player 1" : "Player 2", this);
        auto* grid = new QGridLayout(group);
        for (int i = 0; i < 3; ++i) {
            grid->addWidget(new QLabel(labels[i], group), i, 0);
            QLineEdit* edit = numberField(ids[p][i], group);
            edit->setText(QString::fromStdString(logic_.text(ids[p][i])));
            fields_[ids[p][i]] = edit;
            grid->addWidget(edit, i, 1);
        }
        players->addWidget(group);
    }
    layout->addLayout(players);
    QPushButton* ok = okButton(this);
    connect(ok, &QPushButton::clicked, this, &CastleSettingsDialog::ok);
    layout->addWidget(ok, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLineEdit* CastleSettingsDialog::field(int id) const {
    auto it = fields_.find(id);
    return it == fields_.end() ? nullptr : it->second;
}

void CastleSettingsDialog::ok() {
    for (const auto& [id, edit] : fields_) logic_.setText(id, edit->text().toStdString());
    logic_.ok();
    accept();
}

DoorPropertiesDialog::DoorPropertiesDialog(DoorPropertiesLogic& logic, std::function<void()> runMapPrompt,
                                           QWidget* owner)
    : OkOnlyDialog(owner), logic_(logic), runMapPrompt_(std::move(runMapPrompt)) {
    setObjectName("IDD_DOORLINK");
    setWindowTitle("Door Properties");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Room Number", this), 0, 0);
    grid->addWidget(fields_[kDoorRoomField] = numberField(kDoorRoomField, this), 0, 1);
    grid->addWidget(new QLabel("Door Number", this), 1, 0);
    grid->addWidget(fields_[kDoorNumberField] = numberField(kDoorNumberField, this), 1, 1);
    grid->addWidget(new QLabel("Position on Map", this), 2, 0);
    auto* position = new QHBoxLayout;
    position->addWidget(fields_[kDoorMapXField] = numberField(kDoorMapXField, this));
    position->addWidget(fields_[kDoorMapYField] = numberField(kDoorMapYField, this));
    grid->addLayout(position, 2, 1);
    grid->addWidget(new QLabel("Direction", this), 3, 0);
    direction_ = new QPushButton(this);
    direction_->setObjectName(QString::number(kDoorDirectionButton));
    direction_->setAutoDefault(false);
    grid->addWidget(direction_, 3, 1);
    layout->addLayout(grid);
    auto* note = new QLabel(kDoorPositionNote, this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* buttons = new QHBoxLayout;
    auto* positionButton = new QPushButton("Position", this);
    positionButton->setObjectName(QString::number(kDoorPositionButton));
    positionButton->setAutoDefault(false);
    buttons->addWidget(positionButton);
    buttons->addStretch();
    QPushButton* ok = okButton(this);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    setFixedWidth(320);

    connect(direction_, &QPushButton::clicked, this, [this] {
        logic_.stepDirection();
        refresh({kDoorDirectionButton});
    });
    connect(positionButton, &QPushButton::clicked, this, &DoorPropertiesDialog::position);
    connect(ok, &QPushButton::clicked, this, &DoorPropertiesDialog::ok);
    refresh({kDoorRoomField, kDoorNumberField, kDoorMapXField, kDoorMapYField, kDoorDirectionButton});
}

QLineEdit* DoorPropertiesDialog::field(int id) const {
    auto it = fields_.find(id);
    return it == fields_.end() ? nullptr : it->second;
}

void DoorPropertiesDialog::refresh(std::initializer_list<int> ids) {
    for (int id : ids) {
        const QString text = QString::fromStdString(logic_.text(id));
        if (id == kDoorDirectionButton) direction_->setText(text);
        else if (QLineEdit* edit = field(id)) edit->setText(text);
    }
}

void DoorPropertiesDialog::position() {
    // What the user typed so far stays in the fields while the map is used.
    for (const auto& [id, edit] : fields_) logic_.setText(id, edit->text().toStdString());
    logic_.startMapPosition();
    hide();
    if (runMapPrompt_) runMapPrompt_();
    show();
    logic_.mapPositionPicked();
    refresh({kDoorMapXField, kDoorMapYField, kDoorDirectionButton});
}

void DoorPropertiesDialog::ok() {
    for (const auto& [id, edit] : fields_) logic_.setText(id, edit->text().toStdString());
    logic_.ok();
    accept();
}

}  // namespace grusk
