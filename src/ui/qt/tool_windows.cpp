#include "ui/qt/tool_windows.h"

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/draw/raster_image.h"

namespace grusk {

ToolWindow::ToolWindow(const QString& title, const QString& objectName) : QDialog(nullptr) {
    setObjectName(objectName);
    setWindowTitle(title);
    setModal(false);
    list_ = new QListWidget(this);
    list_->setObjectName("1321");
    auto* close = new QPushButton("Close", this);
    close->setObjectName("1282");
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(480, 320);
}

SelectDoorWindow::SelectDoorWindow(QWidget* owner) : QDialog(owner) {
    setObjectName("IDD_SELECTDOOR");
    setWindowTitle("Select a Door to connect to");
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Click the door to connect to (change rooms first if needed).", this));
}

MapDoorPrompt::MapDoorPrompt(QWidget* owner) : QDialog(owner) {
    setObjectName("IDD_MAPDOOR");
    setWindowTitle("Set Door position on the Map:");
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Click the door's place on the border of its room in the Room Map.", this));
}

void MapDoorPrompt::reject() {
    if (onCancel) onCancel();
    QDialog::reject();
}

AboutDialog::AboutDialog(const RasterImage& picture) : QDialog(nullptr) {
    setObjectName("IDD_WELCOME");
    setWindowTitle("About GruskEdit");
    auto* layout = new QVBoxLayout(this);
    auto* image = new QLabel(this);
    image->setObjectName("aboutPicture");
    if (!picture.empty()) {
        const QImage view(reinterpret_cast<const uchar*>(picture.data()), picture.width(), picture.height(),
                          picture.bytesPerLine(), QImage::Format_RGB32);
        image->setPixmap(QPixmap::fromImage(view));
    }
    layout->addWidget(image, 0, Qt::AlignHCenter);
    auto* contact = new QLabel(kAboutContactLine, this);
    contact->setObjectName("contact");
    layout->addWidget(contact, 0, Qt::AlignHCenter);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("1282");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace grusk
