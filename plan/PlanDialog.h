#pragma once
// The dialog in which one flight plan is composed: the header, then leg after leg, then OK appends
// the plan to the plan file.

#include "app/ModalDialog.h"
#include "plan/PlanDraft.h"

#include "check/ExistingPlans.h"
#include "check/Geo.h"
#include "check/PlanCheck.h"
#include "input/ListReading.h"

#include <QPointer>
#include <QString>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

class DestinationBox;
class MultiLineEdit;
class OneLineList;
class PlanCheckWindow;
class QLabel;
class QLineEdit;

class CPlanDialog : public ModalDialog {
public:
    explicit CPlanDialog(QWidget* owner);
    ~CPlanDialog() override;

    // Reads both input files afresh, fills and preselects every list.
    void OnInitDialog();
    void OnAcceptHeader();
    void OnAcceptLeg();
    void OnOK();

    // Why an input file could not be read, for the user; empty when both were read.
    const QString& ReadProblem() const { return m_readProblem; }

    int Run();
    void done(int result) override;

    // The plan check window, while it is open; and the day its twelve months start (today).
    PlanCheckWindow* CheckWindow() const;
    void SetCheckStartDay(std::int64_t day);

private:
    ListChoice Chosen(const OneLineList* list) const;
    // The edit's text as plan bytes, or the first character that has none.
    TypedText Typed(int editId) const;
    void Refuse(const std::string& message);
    // A weekly plan shows the day list with Sunday selected; any other plan writes no day and hides it.
    void ShowDayList(bool week);
    LegChoices LegControls() const;
    // Checks the plan as it stands and shows the answer in the plan check window.
    void UpdateCheck();
    std::optional<GeoPosition> PlaceOf(const AcceptedLeg& leg);
    // The airport "Leg 1 departs from" names, placed when the airport file lists it.
    std::optional<CheckedAirport> FirstDepartureAirport(const std::string& code);
    void ReadExistingPlansInBackground();
    void ShowExistingPlans();

    PlanDraft m_draft;
    OneLineList* dayOfWeekList = nullptr;
    QLabel* dayOfWeekLabel = nullptr;
    QString m_readProblem;
    // Where the airport file's lines lie, to find a listed code's own line again.
    std::filesystem::path m_airportPath;
    std::vector<EntryMark> m_airportMarks;
    std::unordered_map<size_t, std::optional<GeoPosition>> m_places; // by entry, once looked up

    QPointer<PlanCheckWindow> m_checkWindow;
    std::int64_t m_checkStartDay = 0;
    std::optional<ExistingPlans> m_existingPlans; // once read
    QString m_existingPlansState;                 // while reading, or why there are none
    std::atomic<bool> m_stopReading{false};
    std::thread m_reading; // last: joined before the rest goes
};
