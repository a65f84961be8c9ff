#pragma once

#include <QMainWindow>
#include <QMenuBar>
#include <QTest>

// Clicks a command of the main window's menu bar with the mouse, as a person would.
inline void ClickMenu(QMainWindow& window, const char* objectName)
{
    auto* action = window.findChild<QAction*>(QLatin1String(objectName));
    QVERIFY2(action && window.menuBar()->actions().contains(action), objectName);
    QTest::mouseClick(window.menuBar(), Qt::LeftButton, {}, window.menuBar()->actionGeometry(action).center());
}
