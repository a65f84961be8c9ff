#pragma once
// The dialog in which one flight plan is composed: the header, then leg after leg, then OK appends
// the plan to the plan file.

#include "app/ModalDialog.h"

#include <QString>

#include <string>

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
    void Refuse(const QString& message);
    // The edit's text as plan bytes; nothing (and the user told) when a character has no byte.
    std::optional<std::string> PlanBytes(const QString& text);

    std::string periodText;
    std::string registrationText;
    OneLineList* dayOfWeekList = nullptr;
    QLabel* dayOfWeekLabel = nullptr;
    bool m_headerAccepted = false;
    QString m_readProblem;
};
