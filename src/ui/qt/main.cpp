// gruskedit [FILE]: the desktop editor. FILE, a project file or a castle
// program, is opened after the first paint.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "app/process_memory.h"
#include "app/program_folders.h"
#include "ui/qt/canvas_widget.h"
#include "ui/qt/editor_app.h"
#include "ui/qt/main_window.h"

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    grusk::tuneProcessMemory(true);
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

    // A program folder (started in one, or the build's), else the installed
    // layout with the user's files in the application-data folder.
    const grusk::ProgramFolders folders = grusk::locateProgramFolders(
        grusk::processFolderEnvironment(QDir::currentPath().toStdString(),
                                        QApplication::applicationDirPath().toStdString()),
        grusk::FolderPreference::WorkingFolderFirst);
    grusk::EditorApp editor;
    if (!editor.start(folders)) return 1;
    // The installed icon theme's picture when there is one; the drawn one otherwise.
    QApplication::setDesktopFileName("gruskedit");
    QApplication::setWindowIcon(QIcon::fromTheme(
        "gruskedit", QIcon(QDir(QString::fromStdString(folders.dataFolder)).filePath("resource/icon.bmp"))));
    if (!file.isEmpty()) editor.mainWindow().openAfterFirstPaint(file);
    grusk::MainWindow& window = editor.mainWindow();
    if (!editor.restoreView())
        if (const QScreen* screen = window.screen())
            window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
    // For start-up measurements (scripts/bench.sh) and the install test: the
    // time to the end of the first paint and the caption then (the file named
    // on the command line is opened just before) go to standard error, and
    // the program ends right after it.
    if (qEnvironmentVariableIsSet("GRUSKEDIT_QUIT_AFTER_FIRST_PAINT")) {
        if (auto* canvas = window.findChild<grusk::CanvasWidget*>("canvas"))
            QObject::connect(canvas, &grusk::CanvasWidget::firstPaintDue, canvas, [&sinceStart, &window] {
                QTimer::singleShot(0, [&sinceStart, &window] {
                    std::fprintf(stderr, "first paint after %.1f ms\n", sinceStart.nsecsElapsed() / 1e6);
                    std::fprintf(stderr, "caption: %s\n", window.windowTitle().toLocal8Bit().constData());
                    QCoreApplication::quit();
                });
            });
    }
    return QApplication::exec();
}
