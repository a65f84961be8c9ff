#pragma once
// Driving the plan dialog with real key and mouse events on controls found by identifier name.

#include "GuiTestSupport.h"

#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

// Home, then Down to `row`, in the list; -1 leaves the list as it is.
inline void SelectRow(QDialog& dialog, const char* list, int row)
{
    for (int i = -1; i < row; ++i)
        QTest::keyClick(Control<QListView>(dialog, list), i < 0 ? Qt::Key_Home : Qt::Key_Down);
}

// Clicks into the edit, clears it and types `text` key by key, beyond ASCII as events of text alone.
inline void TypeInto(QDialog& dialog, const char* edit, const QString& text)
{
    auto* widget = Control<QWidget>(dialog, edit);
    QTest::mouseClick(widget, Qt::LeftButton);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(widget, Qt::Key_Delete);
    for (const QChar ch : text) {
        const char ascii = ch.unicode() < 0x80 ? char(ch.unicode()) : 0;
        QTest::sendKeyEvent(QTest::Click, widget, ascii ? QTest::asciiToKey(ascii) : Qt::Key_unknown, QString(ch), {});
    }
}

inline void Click(QDialog& dlg, const char* id) { QTest::mouseClick(Control<QPushButton>(dlg, id), Qt::LeftButton); }
inline QString PreviewText(QDialog& dlg) { return Control<QPlainTextEdit>(dlg, "IDC_PLAN_PREVIEW")->toPlainText(); }

// Row of "HH:MM" in a departure list that starts at 00:00.
constexpr int DepartureRow(int hour, int minute) { return hour * 12 + minute / 5; }

// The rows of departure, time difference (12 + hours) and day (-1 left as it is), and the texts typed.
struct Leg {
    int departureRow, differenceRow, dayRow;
    QString flightNumber, flightLevel, destination;
};
inline void AcceptLeg(QDialog& dialog, const Leg& leg)
{
    SelectRow(dialog, "IDC_DEPARTURE_TIME", leg.departureRow);
    SelectRow(dialog, "IDC_TIME_DIFFERENCE", leg.differenceRow);
    SelectRow(dialog, "IDC_DAY_OF_WEEK", leg.dayRow);
    TypeInto(dialog, "IDC_FLIGHT_NUMBER", leg.flightNumber);
    TypeInto(dialog, "IDC_FLIGHT_LEVEL", leg.flightLevel);
    TypeInto(dialog, "IDC_DESTINATION", leg.destination);
    Click(dialog, "IDC_ACCEPT_LEG");
}

// The worked example: registration "  N123EX", the period row, the other header lists as preselected;
// legs 06:30 +2 350 101 EDDF and 01:15 +3 280 102 EGLL, both on Sunday for a weekly plan.
inline void AcceptExampleHeader(QDialog& dialog, int periodRow)
{
    TypeInto(dialog, "IDC_REGISTRATION", QStringLiteral("  N123EX"));
    SelectRow(dialog, "IDC_PERIOD", periodRow);
    Click(dialog, "IDC_ACCEPT_HEADER");
}
inline void AcceptExampleLegs(QDialog& dialog, bool week)
{
    AcceptLeg(dialog, {DepartureRow(6, 30), 12 + 2, week ? 0 : -1, "101", "350", "EDDF"});
    AcceptLeg(dialog, {DepartureRow(1, 15), 12 + 3, week ? 0 : -1, "102", "280", "EGLL"});
}
