#pragma once
// Driving the plan dialog's controls with real key and mouse events, found by identifier name.

#include <QDialog>
#include <QString>
#include <QWidget>

#include <string>

// Focuses the list and moves to `row` with Home and Down; -1 leaves it untouched.
void SelectRow(QDialog& dialog, const char* list, int row);
// Replaces the text of an edit (one-line, the destination box or the comment) by clicking into it,
// selecting all, deleting and typing `text`.
void TypeInto(QDialog& dialog, const char* edit, const QString& text);
void Click(QDialog& dialog, const char* button);
// Types into the focused-to-be widget with key events, characters beyond ASCII included.
void TypeText(QWidget* widget, const QString& text);
QString PreviewText(QDialog& dialog);
int SelectedRow(QDialog& dialog, const char* list);
QString ListEntry(QDialog& dialog, const char* list, int row);

struct Leg {
    int departureRow;  // row of the local departure time (e.g. 78 for 06:30 in a full list)
    int differenceRow; // 12 + the time difference
    int dayRow;        // -1 leaves the day list as it is
    QString flightNumber;
    QString flightLevel;
    QString destination; // typed into the destination box
};

// Fills in and accepts one leg.
void AcceptLeg(QDialog& dialog, const Leg& leg);

// The header of the worked example: first aircraft, registration N123EX, 50 %, the period row, IFR.
void AcceptExampleHeader(QDialog& dialog, int periodRow);

// The worked example's two legs: 06:30 +2 350 101 EDDF, 01:15 +3 280 102 EGLL; for a weekly plan
// both on Sunday.
void AcceptExampleLegs(QDialog& dialog, bool week);

// Row of "HH:MM" in a departure list that starts at 00:00.
constexpr int DepartureRow(int hour, int minute) { return hour * 12 + minute / 5; }
