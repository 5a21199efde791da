// dropsource FILE: a small window titled "dropsource" at the top left of the
// screen; a press in it starts dragging FILE (as a file URL). The program
// ends a few seconds after the drag, with 0 when the file was dropped
// somewhere.
#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class Source : public QWidget {
public:
    explicit Source(QString path) : path_(std::move(path)) {
        setWindowTitle("dropsource");
        setFixedSize(120, 80);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(path_)});
        drag->setMimeData(mime);
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::LinkAction);
        std::printf("%s\n", done == Qt::IgnoreAction ? "not dropped" : "dropped");
        std::fflush(stdout);
        // The target may fetch the file name only after the drop has been
        // answered: keep serving it a while.
        const int code = done == Qt::IgnoreAction ? 1 : 0;
        QTimer::singleShot(3000, [code] { QApplication::exit(code); });
    }

private:
    QString path_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: dropsource FILE\n", stderr);
        return 2;
    }
    Source source(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath());
    source.move(0, 0);
    source.show();
    return QApplication::exec();
}
