#pragma once
// The "Plan check" window: beside the plan dialog while a plan is composed, it shows each leg with its
// universal times, flight and ground times, what is wrong with the plan, and whether the
// registration already has a plan in the plan file. It belongs to the plan dialog, so it can be
// used while that dialog is modal, and it never takes the focus on its own: F2 in the dialog gives
// it the keys (and opens it again once closed), Esc gives them back.

#include "check/PlanCheck.h"

#include <QMargins>
#include <QRect>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTableWidget;

class PlanCheckWindow : public QWidget {
    Q_OBJECT
public:
    explicit PlanCheckWindow(QWidget* owner);

    // Opens beside the owner without taking the focus.
    void ShowBeside();
    // Opens again where it was, or first beside the owner, and takes the keys: the field
    // "Leg 1 departs from" has the focus.
    void TakeKeys();

    // What the accepted header says of the aircraft and the registration; nothing before a header.
    struct Header {
        std::string aircraftKey;
        std::optional<int> cruiseKnots;
        std::string registration;
    };
    // Shows the check of the plan; the last leg is the one being composed when `composing` is set.
    void ShowCheck(const std::optional<Header>& header, const PlanReport& report, bool weekly, bool composing);
    // One line on the plans already in the plan file.
    void ShowExistingPlans(const QString& text);

    int MinimumTurnaround() const;
    // The code typed into "Leg 1 departs from", in capitals; empty while none is.
    std::string FirstDeparture() const;

signals:
    void TurnaroundChanged();
    void FirstDepartureChanged();

protected:
    bool event(QEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* m_header;
    QLabel* m_existing;
    QTableWidget* m_legs;
    QListWidget* m_findings;
    QSpinBox* m_turnaround;
    QLineEdit* m_firstDeparture;

    void Place();
    bool Requested(const QRect& rectangle) const;
    QSize m_wanted{760, 440}; // the client size it has where the screen has room
    bool m_placed = false;    // shown beside the owner once
    bool m_placedByUser = false;
    QRect m_requested;
    std::vector<QRect> m_requests; // every place and size asked for, as the window system may answer late
    QMargins m_placedMargins;
};
