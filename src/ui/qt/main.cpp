#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setObjectName("MainWnd");
    window.setWindowTitle("<NO CASTLE LOADED>");
    window.show();
    return app.exec();
}
