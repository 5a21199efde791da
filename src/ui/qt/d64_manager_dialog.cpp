#include "ui/qt/d64_manager_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/d64_manager.h"
#include "ui/qt/qt_platform.h"

namespace grusk {

namespace {

// The template is laid out in dialog units; two pixels per unit keep its proportions.
constexpr int kUnit = 2;

QRect unitRect(int x, int y, int w, int h) { return QRect(x * kUnit, y * kUnit, w * kUnit, h * kUnit); }

}  // namespace

D64ManagerDialog::D64ManagerDialog(D64Manager& manager, QtPlatform& platform, QWidget* owner)
    : QDialog(owner), manager_(manager), platform_(platform) {
    setObjectName("IDD_MAKEDISC");
    setWindowTitle(kD64DialogTitle);
    setFixedSize(298 * kUnit, 118 * kUnit);
    platform_.registerWindow(WindowId::D64Manager, this);

    folderField_ = new QLineEdit(this);
    folderField_->setObjectName(QString::number(kD64FolderField));
    folderField_->setReadOnly(true);
    folderField_->setGeometry(unitRect(6, 6, 90, 12));
    platform_.registerControl(WindowId::D64Manager, kD64FolderField, folderField_);
    addButton(kD64FolderButton, "...", 96, 6, 12, 12);

    folderList_ = new QListWidget(this);
    folderList_->setObjectName(QString::number(kD64FolderList));
    folderList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    folderList_->setGeometry(unitRect(6, 18, 102, 84));
    addButton(kD64CopyInButton, ">>", 84, 102, 24, 14);

    imageField_ = new QLineEdit(this);
    imageField_->setObjectName(QString::number(kD64ImageField));
    imageField_->setReadOnly(true);
    imageField_->setGeometry(unitRect(114, 6, 90, 12));
    platform_.registerControl(WindowId::D64Manager, kD64ImageField, imageField_);
    addButton(kD64ImageButton, "...", 204, 6, 12, 12);

    imageList_ = new QListWidget(this);
    imageList_->setObjectName(QString::number(kD64ImageList));
    imageList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    imageList_->setGeometry(unitRect(114, 18, 102, 84));
    addButton(kD64CopyOutButton, "<<", 114, 102, 24, 14);

    freeBlocks_ = new QLabel(this);
    freeBlocks_->setObjectName(QString::number(kD64FreeBlocksText));
    freeBlocks_->setGeometry(unitRect(144, 102, 72, 12));
    platform_.registerControl(WindowId::D64Manager, kD64FreeBlocksText, freeBlocks_);

    addButton(kD64OpenButton, "Open Image", 222, 6, 66, 14);
    addButton(kD64CreateButton, "Create New Image", 222, 23, 66, 14);
    addButton(kD64DeleteButton, "Delete Files", 222, 41, 66, 14);
    auto* hint = new QLabel(kD64HintText, this);
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    hint->setGeometry(unitRect(222, 58, 66, 42));
    addButton(kD64CloseButton, "Close", 222, 102, 66, 14)->setDefault(true);

    refresh();
}

D64ManagerDialog::~D64ManagerDialog() {
    // The registry must not keep pointers into a window that is gone.
    platform_.registerWindow(WindowId::D64Manager, nullptr);
    for (int id : {kD64FolderField, kD64ImageField, kD64FreeBlocksText, kD64CopyInButton, kD64DeleteButton})
        platform_.registerControl(WindowId::D64Manager, id, nullptr);
}

QPushButton* D64ManagerDialog::addButton(int id, const QString& label, int x, int y, int w, int h) {
    auto* button = new QPushButton(label, this);
    button->setObjectName(QString::number(id));
    button->setGeometry(unitRect(x, y, w, h));
    button->setAutoDefault(false);
    platform_.registerControl(WindowId::D64Manager, id, button);
    connect(button, &QPushButton::clicked, this, [this, id] { run(id); });
    return button;
}

QPushButton* D64ManagerDialog::button(int id) const { return findChild<QPushButton*>(QString::number(id)); }

std::vector<int> D64ManagerDialog::selectedRows(const QListWidget* list) {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) rows.push_back(i);
    return rows;
}

void D64ManagerDialog::run(int id) {
    switch (id) {
        case kD64CloseButton: accept(); return;
        case kD64CopyInButton: manager_.copyIn(selectedRows(folderList_)); break;
        case kD64CopyOutButton: manager_.copyOut(selectedRows(imageList_)); break;
        case kD64DeleteButton: manager_.deleteFiles(selectedRows(imageList_)); break;
        case kD64CreateButton: manager_.createNewImage(); break;
        case kD64OpenButton:
        case kD64ImageButton: manager_.openImage(); break;
        case kD64FolderButton: manager_.chooseFolder(); break;
        default: return;
    }
    refresh();
}

void D64ManagerDialog::refresh() {
    folderField_->setText(QString::fromStdString(manager_.folderField));
    imageField_->setText(QString::fromStdString(manager_.imageField));
    QString blocks = QString::fromStdString(manager_.freeBlocksText);
    freeBlocks_->setText(blocks.trimmed());
    folderList_->clear();
    for (const FolderItem& item : manager_.folderItems) folderList_->addItem(QString::fromStdString(item.name));
    imageList_->clear();
    for (const std::string& item : manager_.imageItems) imageList_->addItem(QString::fromStdString(item));
    button(kD64CopyInButton)->setEnabled(manager_.copyInEnabled);
    button(kD64DeleteButton)->setEnabled(manager_.deleteEnabled);
}

}  // namespace grusk
