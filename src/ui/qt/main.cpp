// gruskedit [FILE]: the desktop editor. FILE, a project file or a castle
// program, is opened after the first paint.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QScreen>
#include <cstdio>

#include "app/startup.h"
#include "ui/qt/editor_app.h"
#include "ui/qt/main_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("GruskEdit");

    const QStringList args = QApplication::arguments();
    if (args.size() > 2) {
        std::fputs("usage: gruskedit [FILE]\n", stderr);
        return 2;
    }
    // The file is named relative to where the program was started; the
    // editor changes its working folder to the program folder later.
    const QString file = args.size() == 2 ? QFileInfo(args[1]).absoluteFilePath() : QString();

    const std::string programFolder = grusk::chooseProgramFolder(QDir::currentPath().toStdString(),
                                                                 QApplication::applicationDirPath().toStdString());
    grusk::EditorApp editor;
    if (!editor.start(programFolder)) return 1;
    QApplication::setWindowIcon(
        QIcon(QDir(QString::fromStdString(programFolder)).filePath("resource/icon.bmp")));
    if (!file.isEmpty()) editor.mainWindow().openAfterFirstPaint(file);
    grusk::MainWindow& window = editor.mainWindow();
    window.adjustSize();
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
    return QApplication::exec();
}
