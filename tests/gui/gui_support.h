// Helpers for the GUI tests: one QApplication for the whole run on the
// offscreen platform, finding windows by object name, and answering modal
// windows from a timer while the code under test waits in their loop.
#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace grusk::test {

QApplication& qtApp();

// The visible window (top-level widget) with the object name, or nullptr.
QWidget* visibleWindow(const QString& objectName);

// Runs act on the window with the object name as soon as it is visible
// (checked every few milliseconds, for at most timeoutMs). Returns a flag
// that tells afterwards whether it ran.
std::shared_ptr<bool> whenShown(const QString& objectName, std::function<void(QWidget*)> act, int timeoutMs = 5000);

// Clicks the button with the object name inside the widget.
void clickButton(QWidget* parent, const QString& objectName);

// Processes events until done() is true or the time is up; returns done().
bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);

}  // namespace grusk::test
