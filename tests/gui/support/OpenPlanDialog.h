#pragma once
// A plan dialog set up on the test's files and shown without a modal loop, to press button after button.

#include "GuiTestSupport.h"

#include "plan/PlanDialog.h"

struct OpenPlanDialog {
    OpenPlanDialog(const WorkingFolder& folder, const std::string& aircraft, const std::string& airports,
                   const std::string& comment = {})
    {
        Platform::TestSeam::Reset();
        Platform::TestSeam::SetAnswerMessages(true);
        UseInputFiles(folder, aircraft, airports);
        State().comment = comment;
        dialog->OnInitDialog();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }
    ~OpenPlanDialog() { Platform::TestSeam::Reset(); }

    std::unique_ptr<CPlanDialog> dialog = std::make_unique<CPlanDialog>(nullptr);
};
