#pragma once
// The dialog in which one flight plan is composed: the header, then leg after leg, then OK appends
// the plan to the plan file.

#include "app/ModalDialog.h"
#include "plan/PlanDraft.h"

#include "input/ListReading.h"

#include <QString>

#include <filesystem>
#include <string>
#include <vector>

class DestinationBox;
class MultiLineEdit;
class OneLineList;
class QLabel;
class QLineEdit;

class CPlanDialog : public ModalDialog {
public:
    explicit CPlanDialog(QWidget* owner);

    // Reads both input files afresh, fills and preselects every list.
    void OnInitDialog();
    void OnAcceptHeader();
    void OnAcceptLeg();
    void OnOK();

    // Why an input file could not be read, for the user; empty when both were read.
    const QString& ReadProblem() const { return m_readProblem; }

    int Run();

private:
    ListChoice Chosen(const OneLineList* list) const;
    // The edit's text as plan bytes, or the first character that has none.
    TypedText Typed(int editId) const;
    void Refuse(const std::string& message);
    // A weekly plan shows the day list with Sunday selected; any other plan writes no day and hides it.
    void ShowDayList(bool week);

    PlanDraft m_draft;
    OneLineList* dayOfWeekList = nullptr;
    QLabel* dayOfWeekLabel = nullptr;
    QString m_readProblem;
    // Where the airport file's lines lie, to find a listed code's own line again.
    std::filesystem::path m_airportPath;
    std::vector<EntryMark> m_airportMarks;
};
