#pragma once
// The "Plan check" window: beside the plan dialog while a plan is composed, it shows each leg with its
// universal times, flight and ground times, what is wrong with the plan, and whether the
// registration already has a plan in the plan file. It belongs to the plan dialog, so it can be
// used while that dialog is modal, and it never takes the focus on its own.

#include "check/PlanCheck.h"

#include <QWidget>

#include <optional>
#include <string>

class QLabel;
class QListWidget;
class QSpinBox;
class QTableWidget;

class PlanCheckWindow : public QWidget {
    Q_OBJECT
public:
    explicit PlanCheckWindow(QWidget* owner);

    // Opens beside the owner without taking the focus.
    void ShowBeside();

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

signals:
    void TurnaroundChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* m_header;
    QLabel* m_existing;
    QTableWidget* m_legs;
    QListWidget* m_findings;
    QSpinBox* m_turnaround;
};
