#include "gui/gui_support.h"

#include <QElapsedTimer>
#include <QTest>
#include <memory>

namespace grusk::test {

QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

QWidget* visibleWindow(const QString& objectName) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName && w->isVisible()) return w;
    return nullptr;
}

std::shared_ptr<bool> whenShown(const QString& objectName, std::function<void(QWidget*)> act, int timeoutMs) {
    auto ran = std::make_shared<bool>(false);
    auto* timer = new QTimer(&qtApp());
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (QWidget* w = visibleWindow(objectName)) {
            timer->stop();
            timer->deleteLater();
            *ran = true;
            act(w);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
    return ran;
}

void clickButton(QWidget* parent, const QString& objectName) {
    auto* button = parent->findChild<QPushButton*>(objectName);
    if (button) QTest::mouseClick(button, Qt::LeftButton);
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) QTest::qWait(5);
    return done();
}

}  // namespace grusk::test
