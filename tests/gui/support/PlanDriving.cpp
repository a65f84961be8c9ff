#include "PlanDriving.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {
template <typename T>
T* Find(QDialog& dialog, const char* name)
{
    T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}
} // namespace

void SelectRow(QDialog& dialog, const char* list, int row)
{
    if (row < 0)
        return;
    auto* widget = Find<QListView>(dialog, list);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Home);
    for (int i = 0; i < row; ++i)
        QTest::keyClick(widget, Qt::Key_Down);
}

void TypeInto(QDialog& dialog, const char* edit, const QString& text)
{
    auto* widget = Find<QWidget>(dialog, edit);
    QTest::mouseClick(widget, Qt::LeftButton);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(widget, Qt::Key_Delete);
    TypeText(widget, text);
}

void TypeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClicks(widget, QString(ch));
            continue;
        }
        // Characters beyond ASCII arrive as a key event that carries only their text.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

void Click(QDialog& dialog, const char* button)
{
    QTest::mouseClick(Find<QPushButton>(dialog, button), Qt::LeftButton);
}

QString PreviewText(QDialog& dialog) { return Find<QPlainTextEdit>(dialog, "IDC_PLAN_PREVIEW")->toPlainText(); }

int SelectedRow(QDialog& dialog, const char* list)
{
    const QModelIndexList selected = Find<QListView>(dialog, list)->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.constFirst().row();
}

QString ListEntry(QDialog& dialog, const char* list, int row)
{
    return Find<QListView>(dialog, list)->model()->index(row, 0).data().toString();
}

void AcceptLeg(QDialog& dialog, const Leg& leg)
{
    SelectRow(dialog, "IDC_DEPARTURE_TIME", leg.departureRow);
    SelectRow(dialog, "IDC_TIME_DIFFERENCE", leg.differenceRow);
    SelectRow(dialog, "IDC_DAY_OF_WEEK", leg.dayRow);
    TypeInto(dialog, "IDC_FLIGHT_NUMBER", leg.flightNumber);
    TypeInto(dialog, "IDC_FLIGHT_LEVEL", leg.flightLevel);
    TypeInto(dialog, "IDC_DESTINATION", leg.destination);
    Click(dialog, "IDC_ACCEPT_LEG");
}

void AcceptExampleHeader(QDialog& dialog, int periodRow)
{
    SelectRow(dialog, "IDC_AIRCRAFT", 0);
    TypeInto(dialog, "IDC_REGISTRATION", QStringLiteral("  N123EX"));
    SelectRow(dialog, "IDC_PERIOD", periodRow);
    SelectRow(dialog, "IDC_FLIGHT_RULE", 0);
    SelectRow(dialog, "IDC_TRAFFIC_LIMIT", 4);
    Click(dialog, "IDC_ACCEPT_HEADER");
}

void AcceptExampleLegs(QDialog& dialog, bool week)
{
    const int day = week ? 0 : -1;
    AcceptLeg(dialog, {DepartureRow(6, 30), 12 + 2, day, "101", "350", "EDDF"});
    AcceptLeg(dialog, {DepartureRow(1, 15), 12 + 3, day, "102", "280", "EGLL"});
}
