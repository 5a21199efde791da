// "D64 Editor" (IDD_MAKEDISC): shows the D64 manager's fields, lists and
// button states and hands each button to the manager with the selected rows.
#pragma once

#include <QDialog>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace grusk {

class D64Manager;
class QtPlatform;

class D64ManagerDialog : public QDialog {
    Q_OBJECT
public:
    D64ManagerDialog(D64Manager& manager, QtPlatform& platform, QWidget* owner);
    ~D64ManagerDialog() override;

    // Shows the manager's state.
    void refresh();
    QListWidget* folderList() const { return folderList_; }
    QListWidget* imageList() const { return imageList_; }
    QPushButton* button(int id) const;

public Q_SLOTS:
    // Escape and the close box do what "Close" does; they never copy.
    void reject() override { accept(); }

private:
    QPushButton* addButton(int id, const QString& label, int x, int y, int w, int h);
    void run(int id);
    static std::vector<int> selectedRows(const QListWidget* list);

    D64Manager& manager_;
    QtPlatform& platform_;
    QLineEdit* folderField_ = nullptr;
    QLineEdit* imageField_ = nullptr;
    QListWidget* folderList_ = nullptr;
    QListWidget* imageList_ = nullptr;
    QLabel* freeBlocks_ = nullptr;
};

}  // namespace grusk
