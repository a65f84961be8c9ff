#pragma once
// A plan dialog set up on files of the test's folder and shown without a modal loop, so a test
// can press its buttons one after another.

#include "GuiTestSupport.h"

#include "app/PlannerState.h"
#include "app/Platform.h"
#include "plan/PlanDialog.h"

#include <QTest>

#include <memory>

struct OpenPlanDialog {
    OpenPlanDialog(const WorkingFolder& folder, const std::string& aircraft, const std::string& airports,
                   const std::string& comment = {})
    {
        Platform::TestSeam::Reset();
        Platform::TestSeam::SetAnswerMessages(true);
        UseInputFiles(folder, aircraft, airports);
        State().comment = comment;
        dialog = std::make_unique<CPlanDialog>(nullptr);
        dialog->OnInitDialog();
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            qWarning("the plan dialog was not exposed");
    }
    ~OpenPlanDialog() { Platform::TestSeam::Reset(); }

    std::unique_ptr<CPlanDialog> dialog;
};
