#pragma once

#include <QMainWindow>
#include <QMenuBar>
#include <QTest>

// Clicks a command of the main window's menu bar with the mouse, as a person would.
inline void ClickMenu(QMainWindow& window, const char* objectName)
{
    QMenuBar* bar = window.menuBar();
    for (QAction* action : bar->actions()) {
        if (action->objectName() == QLatin1String(objectName)) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(action).center());
            return;
        }
    }
    QFAIL(objectName);
}
